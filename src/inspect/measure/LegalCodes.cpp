#include "inspect/measure/LegalCodes.h"

LegalCodes LegalCodes::of(const MeasureCanvas& canvas)
{
    const int top = (1 << canvas.bitDepth) - 1;
    if (canvas.fullRange) return {0, top};
    const int reserved = 1 << (canvas.bitDepth - 8);
    return {reserved, top - reserved};
}
