#include "inspect/measure/CaptureFrame.h"

#include <algorithm>

MeasureFrame captureFrame(const CodeFrame& file, int bitDepth)
{
    MeasureFrame frame(file.width, file.height, bitDepth);
    const int down = file.storedBits - file.codeBits;  // to the file's codes
    const int widen = bitDepth - file.codeBits;        // to the canvas's
    const int maxCode = (1 << bitDepth) - 1;
    const int planes = std::min(file.components, MeasureFrame::kPlanes);
    for (int y = 0; y < file.presentHeight; ++y) {
        for (int x = 0; x < file.presentWidth; ++x) {
            for (int p = 0; p < planes; ++p) {
                int code = file.stored(x, y, p) >> down;
                if (widen >= 0) {
                    code <<= widen;
                } else {
                    code = (code + (1 << (-widen - 1))) >> -widen;
                }
                frame.at(p, x, y) = static_cast<uint16_t>(std::min(code, maxCode));
            }
        }
    }
    return frame;
}
