#pragma once

#include <string>

class PatternSpec;

// The command-line driver: parses the options, renders the pattern in the form
// the output file needs and calls one writer. Returns the exit status.
namespace PatternRender {

int renderPattern(int argc, char** argv, PatternSpec& pattern);

// The font folder for a program started as `programPath`: "<its folder>/../fonts"
// when that exists and is a folder; empty otherwise, and for a program in "/".
std::string fontDirectoryFor(const char* programPath);

}  // namespace PatternRender
