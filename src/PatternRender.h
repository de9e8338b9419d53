#pragma once

class PatternSpec;

// The command-line driver: parses the options, renders the pattern in the form
// the output file needs and calls one writer. Returns the exit status.
namespace PatternRender {

int renderPattern(int argc, char** argv, PatternSpec& pattern);

}  // namespace PatternRender
