#pragma once

#include <string>

// A fresh directory under the build's test folder, named after the running test.
std::string testTempDir();
