#pragma once

#include <cstdio>

#include "inspect/measure/MeasureReport.h"

// The report as aligned text, one section per measure, units named.
void printMeasureText(std::FILE* out, const MeasureReport& report);
