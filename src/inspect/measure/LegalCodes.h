#pragma once

#include "inspect/measure/MeasureCanvas.h"

// The lowest and highest codes a sample of the canvas may take: the whole
// range at full range, clear of the reserved timing codes at studio range.
struct LegalCodes {
    int lowest = 0;
    int highest = 0;
    static LegalCodes of(const MeasureCanvas& canvas);
};
