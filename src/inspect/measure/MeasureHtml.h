#pragma once

#include <string>

#include "inspect/measure/DifferenceMap.h"
#include "inspect/measure/MeasureReport.h"

// The report as one self-contained HTML page: the tables, the frequency
// response as an SVG chart with its limit band, the bars' chroma vectors as an
// SVG vector plot, and the registered difference as an embedded PNG on the
// heat scale with its legend. It refers to nothing outside itself.
std::string measureHtml(const MeasureReport& report, const DifferenceMap& difference);
