#include "patterns/philips-PM5544-2si-num-new.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

using PatternGen::colorAxes_e;
using namespace PM5544Palette;

namespace {

// The constructor's provisional square-wave period is that of 250 kHz; setup()
// replaces it by the period of the card's 500 kHz square wave.
constexpr double initialSquareWaveHz = 250000.0;
constexpr double squareWaveHz = 500000.0;

// Above these heights the gratings move up with the sample rate.
constexpr int hdGratingHeight = 600;
constexpr int uhdGratingHeight = 2000;
constexpr int hdGratingFactor = 2;
constexpr int uhdGratingFactor = 4;
constexpr int gratingCount = 5;

// The grating sine swings about mid level on a scale of gratingScale steps
// between black and white.
constexpr int gratingScale = 4096;
constexpr double gratingMid = 2048.0;
constexpr double gratingAmplitude = 2048.0;
constexpr double pi = 3.14159265358979323846;
constexpr double twoPi = 2.0 * pi;

// Narrow features (changes within one standard ramp on both sides) get a
// faster ramp; both clock figures are fixed whatever the canvas size.
constexpr double fastRiseTimeNs = 15.0;
constexpr double shapingClockMHz = 74.25;

// The first card sample of every line; the samples before it are black.
constexpr int firstRenderedSample = 2;

// Grid line widths handed to the grid primitives.
constexpr int gridLineWidth = 2;
constexpr int centreGridLineWidth = 1;

// Two samples are the same colour when their axes, depth, codes and alpha match;
// the rest of the colour space follows from those.
inline bool sameSample(const Pixel& a, const Pixel& b) {
    return a.y == b.y && a.cb == b.cb && a.cr == b.cr && a.alpha == b.alpha && a.axis == b.axis &&
           a.bitDepth == b.bitDepth;
}

// The frame of a large canvas is hundreds of megabytes written once, front to
// back; asking for huge pages over it spares most of the page faults its first
// writes would take. Only whole huge pages inside the block are advised, and
// the advice changes nothing but how the memory is mapped.
inline void adviseHugePages(const void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t hugePageBytes = std::uintptr_t{2} << 20;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + hugePageBytes - 1) & ~(hugePageBytes - 1);
    const std::uintptr_t end = (start + bytes) & ~(hugePageBytes - 1);
    if (first < end) {
        // Advice only: if the system declines, the frame is built on small pages.
        (void)madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#else
    (void)block;
    (void)bytes;
#endif
}

// The dot texture of the corner circles: pairs of active columns alternate
// with pairs of inactive ones, every second line set on the active ones,
// mirrored about the picture centre in both directions.
inline bool textureFlag(int dx, int dy) {
    const bool bit1 = ((static_cast<unsigned>(dx) >> 1) & 1u) != 0;
    const bool activeColumn = dx >= 0 ? bit1 : !bit1;
    if (!activeColumn) {
        return false;
    }
    const bool oddLine = (static_cast<unsigned>(dy) & 1u) != 0;
    return dy >= 0 ? oddLine : !oddLine;
}

}  // namespace

PhilipsPm5544Spec::PhilipsPm5544Spec() {
    squareWavePeriod = static_cast<int>(freqToPixels(initialSquareWaveHz));
}

bool PhilipsPm5544Spec::useFullCanvasSize() {
    return true;
}

void PhilipsPm5544Spec::setup() {
    selectPalette();
    handOverTransitions();
    setSizeParameters();
    computeGeometry();
    buildFrame();
}

void PhilipsPm5544Spec::selectPalette() {
    const colorAxes_e canvasAxes = colourSpace.axis;
    Table table = Table::Rgb219;
    bool convert = false;
    switch (canvasAxes) {
    case PatternGen::Colour_RGB:
    case PatternGen::Colour_RGB_219:
        break;
    case PatternGen::Colour_YCbCr_601:
    case PatternGen::Colour_YCbCr_PQ_Mapped:
    case PatternGen::Colour_YCbCr_HLG_Mapped:
    case PatternGen::Colour_YCbCr_SLog3_Mapped:
    case PatternGen::Colour_YCbCr_SLog3_Live_Mapped:
    case PatternGen::Colour_RGB_PQ:
    case PatternGen::Colour_RGB_HLG:
    case PatternGen::Colour_RGB_SLog3:
    case PatternGen::Colour_RGB_SLog3_Live:
    case PatternGen::Colour_RGB_PQ_Mapped:
    case PatternGen::Colour_RGB_HLG_Mapped:
    case PatternGen::Colour_RGB_SLog3_Mapped:
    case PatternGen::Colour_RGB_SLog3_Live_Mapped:
        convert = true;
        break;
    case PatternGen::Colour_YCbCr_709:
        table = Table::YCbCr709;
        break;
    case PatternGen::Colour_YCbCr_2020:
        table = Table::YCbCr2020;
        break;
    case PatternGen::Colour_YCbCr_PQ:
    case PatternGen::Colour_YCbCr_HLG:
    case PatternGen::Colour_YCbCr_SLog3:
    case PatternGen::Colour_YCbCr_SLog3_Live:
        table = Table::YCbCr2020;
        convert = true;
        break;
    default:
        // No table serves axes outside the enumeration: the palette keeps the
        // default black it was constructed with.
        return;
    }

    const int bits = tableBits(colourSpace.bitDepth);
    const Codes* codes = tableCodes(table, bits);
    const colorAxes_e axes = tableAxes(table);
    for (int slot = 0; slot < slotCount; ++slot) {
        const Pixel fixed(codes[slot].first, codes[slot].second, codes[slot].third, axes, bits);
        palette[slot] = convert ? fixed.convertTo(canvasAxes) : fixed;
    }
}

void PhilipsPm5544Spec::handOverTransitions() {
    // Every edge of the card is shaped once, along the finished lines; the
    // primitives must therefore draw hard edges.
    savedTransitionSize = transitionSize;
    transitionSize = 0;
    riseTimeEnabled = false;
}

void PhilipsPm5544Spec::setSizeParameters() {
    squareWavePeriod = static_cast<int>(freqToPixels(squareWaveHz));
    if (height > uhdGratingHeight) {
        gratingStartHz *= uhdGratingFactor;
        gratingStepHz *= uhdGratingFactor;
    } else if (height > hdGratingHeight) {
        gratingStartHz *= hdGratingFactor;
        gratingStepHz *= hdGratingFactor;
    }
    capBarWidth = heightFraction(168, 576);
    longBarWidth = heightFraction(252, 576);
    centreBarWidth = heightFraction(42, 576);
}

void PhilipsPm5544Spec::computeGeometry() {
    Geometry& g = geometry;
    g.centreX = widthFraction(1, 2);
    g.centreY = heightFraction(1, 2);
    g.circleRadius = heightFraction(252, 576);
    g.outlineRadius = heightFraction(254, 576);

    // The upper bands end one or two lines short of their nominal fractions.
    g.whiteCapEnd = -heightFraction(231, 576) - 2;
    g.capBarEnd = -heightFraction(189, 576) - 2;
    g.whiteBarEnd = -heightFraction(147, 576);
    g.squareWaveEnd = -heightFraction(105, 576);
    g.colourBarsEnd = -heightFraction(21, 576);
    g.centreBandEnd = heightFraction(21, 576) - 1;
    g.gratingsEnd = heightFraction(105, 576);
    g.greyScaleEnd = heightFraction(147, 576);
    g.blackBarEnd = heightFraction(189, 576);

    const int h21 = heightFraction(21, 576);
    g.capBarOffset = heightFraction(84, 576) - 1;
    g.longBarOffset = heightFraction(126, 576);
    g.markFirst = h21 - 1;
    g.whiteBarMarkLast = h21 + 1;
    // The white mark of the lower black bar ends at a 577th of the height,
    // a sample short of the black mark above it on a 576-line card.
    g.blackBarMarkLast = (height * 21) / 577;
    g.centreBarOffset = h21 - 1;
    g.colourBarsWidth = heightFraction(504, 576);
    g.colourBarsOffset = fractionOf(g.colourBarsWidth, 3, 6);
    g.greyScaleWidth = heightFraction(474, 576);
    g.greyScaleOffset = fractionOf(g.greyScaleWidth, 3, 6);

    g.stripInner = h21;
    g.stripOuter = heightFraction(63, 576);
    g.stripHalfWidth = heightFraction(39, 1080);

    g.cornerRadius = heightFraction(62, 576);
    g.cornerOutlineRadius = heightFraction(64, 576);
    g.cornerRingRadius = heightFraction(54, 576);
    g.cornerSquareHalf = heightFraction(44, 576);
    g.dotRadius = heightFraction(12, 576);
    const int cornerX = heightFraction(422, 1080);
    const int cornerY = heightFraction(356, 1080);
    const int dotStepY = heightFraction(22, 576);
    // The same step horizontally, in the units the circle test scales.
    const int dotStepX = aspectAdjustedHorizFraction(dotStepY, width);

    // Top left, top right, bottom left, bottom right; one to four dots.
    const int cornerSignX[cornerCount] = {-1, 1, -1, 1};
    const int cornerSignY[cornerCount] = {-1, -1, 1, 1};
    const int dotCounts[cornerCount] = {1, 2, 3, 4};
    // Dot offsets in units of (dotStepX, dotStepY), per corner.
    const int dotOffsetX[cornerCount][maxDotsPerCorner] = {{0}, {-1, 1}, {0, 1, -1}, {-1, 1, 1, -1}};
    const int dotOffsetY[cornerCount][maxDotsPerCorner] = {{0}, {1, -1}, {0, 1, -1}, {1, -1, 1, -1}};
    for (int c = 0; c < cornerCount; ++c) {
        Corner& corner = g.corners[c];
        corner.cx = cornerSignX[c] * cornerX;
        corner.cy = cornerSignY[c] * cornerY;
        corner.squareCx = (corner.cx * aspectWidth * width) / (aspectHeight * width);
        corner.dotCount = dotCounts[c];
        for (int d = 0; d < corner.dotCount; ++d) {
            corner.dotCx[d] = corner.cx + dotOffsetX[c][d] * dotStepX;
            corner.dotCy[d] = corner.cy + dotOffsetY[c][d] * dotStepY;
        }
    }

    g.gridHalfHeight = heightFraction(47, 100);
    g.gridHalfWidth = widthFraction(47, 100);
    g.gridPitch = heightFraction(79, 1080);
    // On canvases of a few lines the pitches truncate to zero; the grid is
    // then left out rather than dividing by zero.
    g.gridDrawable = g.gridPitch > 0 && aspectAdjustedVertFraction(g.gridPitch, width) != 0;
    g.borderDrawable = g.gridPitch > 0 && aspectAdjustedVertFraction(2 * g.gridPitch, width) != 0;

    computeGratings();
}

void PhilipsPm5544Spec::computeGratings() {
    Geometry& g = geometry;
    const int totalWidth = heightFraction(395, 576);
    g.gratingsOffset = fractionOf(totalWidth, 5, 10);
    g.gratingSamples.clear();
    g.gratingSamples.reserve(totalWidth > 0 ? static_cast<std::size_t>(totalWidth) : 0);

    // The sine runs on continuously from one grating into the next.
    double phase = 0.0;
    for (int k = 0; k < gratingCount; ++k) {
        const int start = fractionOf(totalWidth, 2 * k, 10);
        const int end = fractionOf(totalWidth, 2 * (k + 1), 10);
        const int frequency = gratingStartHz + k * gratingStepHz;
        const int period = static_cast<int>(freqToPixels(frequency));
        for (int u = start; u < end; ++u) {
            const int level =
                static_cast<int>(gratingMid + gratingAmplitude * std::sin(phase + twoPi * (u - start) / period));
            g.gratingSamples.push_back(palette[White].scale(level, gratingScale));
        }
        phase = phase + twoPi * (end - start) / period;
    }
}

void PhilipsPm5544Spec::buildFrame() {
    const int T = savedTransitionSize;
    const int before = (T + 1) / 2;
    const int after = T - before;

    frame.clear();
    if (width > 0 && height > 0) {
        frame.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        adviseHugePages(frame.data(), frame.capacity() * sizeof(Pixel));
    }
    std::deque<double> fastTransition;
    calculateTransition(fastTransition, fastRiseTimeNs, shapingClockMHz);

    // Each line is framed by black: T/2 samples beyond the `before` and `after`
    // samples that the output keeps, so the shaping always has context.
    std::vector<Pixel> lineBuffer;
    lineBuffer.reserve(static_cast<std::size_t>(T + (width > 0 ? width : 0)));
    const Pixel& black = palette[Black];
    for (int y = 0; y < height; ++y) {
        lineBuffer.clear();
        lineBuffer.insert(lineBuffer.end(), static_cast<std::size_t>(before + T / 2), black);
        for (int x = firstRenderedSample; x < width - T / 2; ++x) {
            lineBuffer.push_back(render(x, y));
        }
        lineBuffer.insert(lineBuffer.end(), static_cast<std::size_t>(after + T / 2), black);
        shapeLine(lineBuffer, fastTransition, frame);
    }
}

Pixel PhilipsPm5544Spec::body(int x, int y) {
    if (x < 0 || y < 0) {
        printf("PhilipsPm5544Spec::body x=%d y=%d\n", x, y);
    }
    // Computed wide so that no coordinate overflows; anything outside the
    // frame is handed to at() as the one-past-the-end index, which it rejects.
    const long long index = static_cast<long long>(x) + static_cast<long long>(width) * y;
    const bool inFrame = index >= 0 && static_cast<unsigned long long>(index) < frame.size();
    return frame.at(inFrame ? static_cast<std::size_t>(index) : frame.size());
}

// ---------------------------------------------------------------------------
// Drawing

Pixel PhilipsPm5544Spec::render(int x, int y) {
    const Geometry& g = geometry;
    const int dx = x - g.centreX;
    const int dy = y - g.centreY;

    // A circle can only hold samples less than its radius away vertically;
    // testing that first spares most samples the full test, with the same answer.
    if (std::abs(dy) < g.outlineRadius) {
        if (insideCircleHeight(dx, dy, 0, 0, g.circleRadius)) {
            return centralCircle(dx, dy);
        }
        if (insideCircleHeight(dx, dy, 0, 0, g.outlineRadius)) {
            return palette[White];
        }
    }

    for (const Corner& corner : g.corners) {
        if (std::abs(dy - corner.cy) >= g.cornerOutlineRadius) {
            continue;
        }
        if (insideCircleHeight(dx, dy, corner.cx, corner.cy, g.cornerRadius)) {
            return cornerContent(corner, dx, dy);
        }
        if (insideCircleHeight(dx, dy, corner.cx, corner.cy, g.cornerOutlineRadius)) {
            return palette[White];
        }
    }

    return gridOrBorder(dx, dy);
}

Pixel PhilipsPm5544Spec::centralCircle(int dx, int dy) {
    const Geometry& g = geometry;
    Pixel out;

    if (dy <= g.whiteCapEnd) {
        return palette[White];
    }
    if (dy <= g.capBarEnd) {
        out = palette[White];
        barsLayered(dx + g.capBarOffset, out, 1, &capBarWidth, &palette[Black]);
        return out;
    }
    if (dy <= g.whiteBarEnd) {
        const int u = dx + g.longBarOffset;
        out = palette[Black];
        barsLayered(u, out, 1, &longBarWidth, &palette[White]);
        if (g.markFirst <= u && u <= g.whiteBarMarkLast) {
            out = palette[Black];
        }
        return out;
    }
    if (dy <= g.squareWaveEnd) {
        return squareWave(dx, squareWavePeriod, palette[Grey75], palette[Black]);
    }

    const bool inStrip = std::abs(dy) >= g.stripInner && std::abs(dy) < g.stripOuter &&
                         std::abs(dx) < g.stripHalfWidth;
    if (dy <= g.colourBarsEnd) {
        if (inStrip) {
            return centrePattern(dx, dy);
        }
        bars(dx + g.colourBarsOffset, out, 6, g.colourBarsWidth, &palette[Yellow75], &palette[Cyan75],
             &palette[Green75], &palette[Magenta75], &palette[Red75], &palette[Blue75]);
        return out;
    }
    if (dy <= g.centreBandEnd) {
        return centrePattern(dx, dy);
    }
    if (dy <= g.gratingsEnd) {
        return inStrip ? centrePattern(dx, dy) : grating(dx);
    }
    if (dy <= g.greyScaleEnd) {
        bars(dx + g.greyScaleOffset, out, 6, g.greyScaleWidth, &palette[Black], &palette[Grey20],
             &palette[Grey40], &palette[Grey60], &palette[Grey80], &palette[White]);
        return out;
    }
    if (dy <= g.blackBarEnd) {
        const int u = dx + g.longBarOffset;
        out = palette[White];
        barsLayered(u, out, 1, &longBarWidth, &palette[Black]);
        if (g.markFirst <= u && u <= g.blackBarMarkLast) {
            out = palette[White];
        }
        return out;
    }
    out = palette[Yellow100];
    barsLayered(dx + g.centreBarOffset, out, 1, &centreBarWidth, &palette[Red100]);
    return out;
}

Pixel PhilipsPm5544Spec::centrePattern(int dx, int dy) {
    // The centre cross, two samples and two lines thick.
    if (dy == -1 || dy == 0 || dx == -1 || dx == 0) {
        return palette[White];
    }
    Pixel out = palette[Black];
    if (geometry.gridDrawable) {
        gridVertical(dx, dy, geometry.gridPitch, centreGridLineWidth, out, palette[White]);
    }
    return out;
}

Pixel PhilipsPm5544Spec::grating(int dx) const {
    const int u = dx + geometry.gratingsOffset;
    // The sample just left of the gratings is mid grey, the rest around them black.
    if (u == -1) {
        return palette[Grey50];
    }
    if (u < 0 || u >= static_cast<int>(geometry.gratingSamples.size())) {
        return palette[Black];
    }
    return geometry.gratingSamples[static_cast<std::size_t>(u)];
}

Pixel PhilipsPm5544Spec::cornerContent(const Corner& corner, int dx, int dy) const {
    const Geometry& g = geometry;
    if (!insideCircleHeight(dx, dy, corner.cx, corner.cy, g.cornerRingRadius)) {
        return palette[Black];
    }

    const int ax = aspectAdjustedVertFraction(dx, width);
    const int s = g.cornerSquareHalf;
    const bool inSquare = corner.squareCx - s < ax && ax < corner.squareCx + s && corner.cy - s < dy &&
                          dy < corner.cy + s;
    if (!inSquare) {
        return palette[Black];
    }

    for (int d = 0; d < corner.dotCount; ++d) {
        if (insideCircleHeight(dx, dy, corner.dotCx[d], corner.dotCy[d], g.dotRadius)) {
            return textureFlag(dx, dy) ? palette[Black] : palette[Grey50];
        }
    }
    return palette[Grey50];
}

Pixel PhilipsPm5544Spec::gridOrBorder(int dx, int dy) {
    const Geometry& g = geometry;
    const bool gridLines = -g.gridHalfHeight <= dy && dy <= g.gridHalfHeight;

    if (gridLines && -g.gridHalfWidth <= dx && dx < g.gridHalfWidth) {
        Pixel out = palette[Grey50];
        if (g.gridDrawable) {
            grid(dx, dy, g.gridPitch, gridLineWidth, out, palette[White]);
        }
        return out;
    }

    // The border: white blocks on black, with the grid lines running on
    // through its left and right parts.
    Pixel out = palette[Black];
    if (g.borderDrawable) {
        gridFlipVphase(dx, dy, 2 * g.gridPitch, g.gridPitch, out, palette[White]);
    }
    if (gridLines && g.gridDrawable) {
        grid(dx, dy, g.gridPitch, gridLineWidth, out, palette[White]);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Edge shaping

void PhilipsPm5544Spec::shapeLine(const std::vector<Pixel>& lineBuffer, const std::deque<double>& fastTransition,
                                  std::vector<Pixel>& shaped) const {
    const int T = savedTransitionSize;
    const int before = (T + 1) / 2;
    const int after = T - before;
    const int size = static_cast<int>(lineBuffer.size());
    const int last = size - after - 1;

    // The line is walked one run of equal samples at a time. Within a run the
    // nearest change on either side is the sample just past the run's end, so
    // every distance the shaping needs follows from the run's bounds.
    Run run;
    for (run.first = 0; run.first < size; run.first = run.last + 1) {
        const Pixel& p = lineBuffer[static_cast<std::size_t>(run.first)];
        run.last = run.first;
        while (run.last + 1 < size && sameSample(lineBuffer[static_cast<std::size_t>(run.last + 1)], p)) {
            ++run.last;
        }
        run.hasPrevious = run.first > 0;
        run.hasNext = run.last + 1 < size;

        // Samples with no change within one standard ramp on either side are
        // left as they are; they make up most of the line.
        const int quietFirst = run.hasPrevious ? run.first + before : run.first;
        const int quietLast = run.hasNext ? run.last - after : run.last;
        const int end = run.last < last ? run.last : last;
        int i = run.first > before ? run.first : before;
        while (i <= end) {
            if (quietFirst <= i && i <= quietLast) {
                const int quietEnd = quietLast < end ? quietLast : end;
                shaped.insert(shaped.end(), static_cast<std::size_t>(quietEnd - i + 1), p);
                i = quietEnd + 1;
            } else {
                shaped.push_back(shapeSample(lineBuffer, i, run, fastTransition));
                ++i;
            }
        }
    }
}

Pixel PhilipsPm5544Spec::shapeSample(const std::vector<Pixel>& line, int i, const Run& run,
                                     const std::deque<double>& fastTransition) const {
    const int size = static_cast<int>(line.size());
    const Pixel& p = line[static_cast<std::size_t>(i)];
    // Distances to the nearest differing sample on each side; they count only
    // where the run has a neighbour on that side.
    const int toPrevious = i - run.first + 1;
    const int toNext = run.last - i + 1;
    auto changeBeforeWithin = [&](int count) { return run.hasPrevious && toPrevious <= count; };
    auto changeAfterWithin = [&](int count) { return run.hasNext && toNext <= count; };

    // A one-sample feature keeps its full level.
    if (changeBeforeWithin(1) && changeAfterWithin(1)) {
        return p;
    }

    const int T = savedTransitionSize;
    const int before = (T + 1) / 2;
    const int after = T - before;

    // A change on both sides within one standard ramp marks a narrow feature,
    // which takes the faster ramp; a lone edge takes the standard one.
    bool rampToNext = false;
    bool rampFromPrevious = false;
    const std::deque<double>* luma = &lumaTransition;
    if (changeAfterWithin(after)) {
        rampToNext = true;
        rampFromPrevious = changeBeforeWithin(T);
        if (rampFromPrevious) {
            luma = &fastTransition;
        }
    } else if (changeBeforeWithin(before)) {
        rampFromPrevious = true;
        rampToNext = changeAfterWithin(T);
        if (rampToNext) {
            luma = &fastTransition;
        }
    } else {
        return p;
    }

    const std::deque<double>* chroma = sampling == PatternGen::Sampling_444 ? &lumaTransition : &chromaTransition;
    // Subsampled chroma has the shorter table; a lone edge reads its chroma
    // weights from the standard luma table, as a 4:4:4 canvas does, so that
    // it is shaped on every canvas.
    if (luma == &lumaTransition && luma->size() > chroma->size()) {
        chroma = &lumaTransition;
    }
    const int lumaSize = static_cast<int>(luma->size());
    const int chromaSize = static_cast<int>(chroma->size());
    // The ramp is split evenly about the edge, which needs an even length.
    if (lumaSize == 0 || lumaSize > chromaSize || lumaSize % 2 != 0) {
        printf("Error transition size problem - luma size=%d chroma size=%d\n", lumaSize, chromaSize);
        return p;
    }

    const int ahead = (lumaSize + 1) / 2;
    const int behind = lumaSize - ahead;
    Pixel out = p;

    // Each ramp reaches at most `ahead` (or `behind`) samples out; the line's
    // ends stop it short, which the context samples at both ends prevent.
    if (rampToNext) {
        if (i == size - 1) {
            printf("Error - transitionTo iterator starting at end of line\n");
        } else if (run.hasNext) {
            if (toNext <= ahead) {
                const Pixel& q = line[static_cast<std::size_t>(run.last + 1)];
                out = q.blend((*luma)[behind - toNext], (*chroma)[behind - toNext], out);
            }
        } else if (size - i <= ahead) {
            printf("Error - hit unexpected end on line.  pixelsInFront=%u i=%u\n", static_cast<unsigned>(ahead),
                   static_cast<unsigned>(size - i - 1));
        }
    }

    if (rampFromPrevious) {
        if (i == 0) {
            printf("Error - transitionFrom starting at beginning of line\n");
        } else if (run.hasPrevious) {
            if (toPrevious <= behind) {
                const Pixel& q = line[static_cast<std::size_t>(run.first - 1)];
                out = out.blend((*luma)[behind + toPrevious - 1], (*chroma)[behind + toPrevious - 1], q);
            }
        } else if (i + 1 <= behind) {
            printf("Error - hit unexpected beginning on line\n");
        }
    }
    return out;
}
