#pragma once

#include <string>
#include <vector>

// A directory under the build's test folder, named after the running test
// (what an earlier run left there stays).
std::string testTempDir();

// testTempDir() emptied of the files an earlier run left.
std::string emptyTempDir();

// The names in a folder, "." and ".." left out.
std::vector<std::string> filesIn(const std::string& dir);
