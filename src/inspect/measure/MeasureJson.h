#pragma once

#include <string>

#include "inspect/measure/MeasureReport.h"

// The report as JSON, for scripts: the keys of the README's --json table.
// Infinite values (a PSNR or SNR without noise) and unmeasured ones are null.
std::string measureJson(const MeasureReport& report);
