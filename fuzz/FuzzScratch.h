#pragma once

#include <string>

// A private folder for the files a fuzz target writes: made once per process,
// emptied after every input and removed at exit.
namespace FuzzScratch {

// The folder, made on the first call under $TMPDIR (or /dev/shm, or /tmp). Aborts when it
// cannot be made: a target that cannot write would test nothing.
const std::string& folder();

// Removes every file in the folder.
void empty();

// Sends standard output, which only carries progress lines here, to /dev/null.
void silenceStdout();

}  // namespace FuzzScratch
