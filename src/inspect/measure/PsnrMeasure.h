#pragma once

#include <array>

#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/MeasureFrame.h"

// Peak signal-to-noise ratio of each component over the whole frame, as the
// frames stand (not registered): 10 log10((2^n - 1)^2 / mean squared
// difference), infinite for identical planes. In the canvas's report order.
std::array<double, MeasureFrame::kPlanes> measurePsnr(const MeasureFrame& capture, const MeasureFrame& card,
                                                      const MeasureCanvas& canvas);
