#include "inspect/measure/CaptureFrame.h"

#include <algorithm>
#include <vector>

MeasureFrame captureFrame(FileRows& rows, int bitDepth)
{
    const FrameShape& shape = rows.shape();
    MeasureFrame frame(shape.width, shape.height, bitDepth);
    const int down = shape.storedBits - shape.codeBits;  // to the file's codes
    const int widen = bitDepth - shape.codeBits;         // to the canvas's
    const int maxCode = (1 << bitDepth) - 1;
    const int planes = std::min(shape.components, MeasureFrame::kPlanes);
    const int width = std::min(shape.presentWidth, shape.width);
    const std::size_t components = static_cast<std::size_t>(shape.components);
    std::vector<uint16_t> row(shape.rowSamples());
    rows.restart();
    for (int y = 0; y < shape.height && rows.next(row.data()); ++y) {
        for (int p = 0; p < planes; ++p) {
            uint16_t* out = frame.row(p, y);
            for (int x = 0; x < width; ++x) {
                int code = row[static_cast<std::size_t>(x) * components + static_cast<std::size_t>(p)] >> down;
                if (widen >= 0) {
                    code <<= widen;
                } else {
                    code = (code + (1 << (-widen - 1))) >> -widen;
                }
                out[x] = static_cast<uint16_t>(std::min(code, maxCode));
            }
        }
    }
    return frame;
}
