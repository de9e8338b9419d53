#include "ColourBars.h"

#include <cstdint>

namespace {

// colours100 and colours75 hold white, yellow, cyan, green, magenta, red,
// blue and black, in the canvas colour space.
constexpr int kBarCount = 8;
constexpr int kWhite = 0;
constexpr int kBlack = 7;

// The 100 % bars take the top two thirds, the 75 % bars the next sixth.
constexpr int kFullBarsEndNum = 2, kFullBarsEndDen = 3;
constexpr int kReducedBarsEndNum = 5, kReducedBarsEndDen = 6;

// The caption is centred across the width (x = 0 from the centre) and on the
// middle of the band (in percent of the height); its size is in points of a
// 792-point page scaled to the canvas height.
const char* const kCaptionFont = "DejaVu Sans";
const char* const kCaption = "100 % and 75 % colour bars";
constexpr int kCaptionX = 0;
constexpr int kCaptionY = 92;
constexpr int kCaptionSize = 40;

// The text layer's level where a glyph covers the sample completely.
constexpr double kOverlayFull = 0xFFC0;
constexpr unsigned kTextLayer = 0;

}  // namespace

void ColourBars::setup()
{
    fullBarsEnd = heightFraction(kFullBarsEndNum, kFullBarsEndDen);
    reducedBarsEnd = heightFraction(kReducedBarsEndNum, kReducedBarsEndDen);

    // The caption is drawn by render_text() into the first layer; body()
    // reads its coverage back sample by sample.
    newLayer();
    defineFont(kCaptionFont);
    textSize(kCaptionSize);
    textCursor(kCaptionX, kCaptionY);
    setText(kCaption);
}

Pixel ColourBars::body(int x, int y)
{
    // bars() shapes every edge with the standard rise time.
    Pixel out;
    if (y < fullBarsEnd) {
        Pixel* c = colours100;
        bars(x, out, kBarCount, width, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7]);
        return out;
    }
    if (y < reducedBarsEnd) {
        Pixel* c = colours75;
        bars(x, out, kBarCount, width, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7]);
        return out;
    }
    const double coverage = getOverlay(kTextLayer, 0, y, x, width) / kOverlayFull;
    return colours100[kWhite].blend(coverage, coverage, colours100[kBlack]);
}
