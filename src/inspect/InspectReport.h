#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "inspect/InspectedFile.h"
#include "inspect/SignalModel.h"

// The text pm5544-inspect prints about a file.
namespace InspectReport {

// Kind, the file's own fields, code depth, how its codes are read, which
// sample holds what, and its damage.
void printSummary(std::FILE* out, const InspectedFile& file, const SignalModel& model, const char* codeDepthBasis);

// The samples of one pixel (`samples`, its row's, from the file's rows) as
// stored and as code values of the file's depth; `samples` is null when the
// file does not hold that pixel.
void printPixel(std::FILE* out, const InspectedFile& file, const SignalModel& model, int x, int y,
                const uint16_t* samples);

// A line about the file on standard error: "pm5544-inspect: FILE: TEXT".
void printError(const std::string& path, const std::string& text);

}  // namespace InspectReport
