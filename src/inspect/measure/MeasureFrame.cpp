#include "inspect/measure/MeasureFrame.h"

MeasureFrame::MeasureFrame(int width, int height, int bitDepth) : width(width), height(height), bitDepth(bitDepth)
{
    for (auto& plane : planes) plane.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}
