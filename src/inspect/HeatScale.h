#pragma once

#include "inspect/PreviewDecoder.h"

// The colours that show how large a difference is: purple for the smallest,
// through red and orange to pale yellow for the largest. Every colour of the
// scale is brighter than a quarter-dimmed picture, so no difference hides.
namespace HeatScale {

constexpr int kStops = 4;
// The scale's colour at t from 0 (the smallest difference shown) to 1 (the largest).
Rgb8 colourAt(double t);
// Where a difference of `codes` lies on a scale from 1 code to `largest`: a logarithmic scale, so that one large
// difference does not hide the small ones. 0 for a difference below one code.
double positionOf(double codes, double largest);

}  // namespace HeatScale
