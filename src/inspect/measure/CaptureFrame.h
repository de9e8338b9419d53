#pragma once

#include "inspect/FileRows.h"
#include "inspect/measure/MeasureFrame.h"

// The picture a file holds, read whole from its rows, as code values at the
// canvas's bit depth: codes of another depth are scaled by the power of two
// between them (a 10-bit DPX of a 12-bit canvas is read as its codes times 4).
// Pixels the file lacks are 0. The rows are read from the first; the frame's
// size must fit MeasureFrame::fits.
MeasureFrame captureFrame(FileRows& rows, int bitDepth);
