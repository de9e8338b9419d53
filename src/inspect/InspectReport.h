#pragma once

#include <cstdio>

#include "inspect/InspectedFile.h"
#include "inspect/SignalModel.h"

// The text pm5544-inspect prints about a file.
namespace InspectReport {

// Kind, the file's own fields, code depth, how its codes are read, which
// sample holds what, and its damage.
void printSummary(std::FILE* out, const InspectedFile& file, const SignalModel& model, const char* codeDepthBasis);

// The samples of one pixel as stored and as code values of the file's depth.
// False when the file does not hold that pixel.
bool printPixel(std::FILE* out, const InspectedFile& file, const SignalModel& model, int x, int y);

}  // namespace InspectReport
