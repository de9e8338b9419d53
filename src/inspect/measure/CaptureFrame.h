#pragma once

#include "inspect/CodeFrame.h"
#include "inspect/measure/MeasureFrame.h"

// The picture a file holds, as code values at the canvas's bit depth: codes
// of another depth are scaled by the power of two between them (a 10-bit DPX
// of a 12-bit canvas is read as its codes times 4). Pixels the file lacks are 0.
MeasureFrame captureFrame(const CodeFrame& file, int bitDepth);
