#pragma once

#include "tools/PatternGen.h"

// The built-in colour self-test behind the -u option.
namespace UnitTests {

// Prints every computed reference colour that differs from its expected value.
// Always returns 1, which the driver passes on as the exit status.
int runUnitTests(int width, int height, int aspectWidth, int aspectHeight, PatternGen::colorAxes_e axes);

}  // namespace UnitTests
