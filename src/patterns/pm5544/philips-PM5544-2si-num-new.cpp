#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <sys/mman.h>

#include "patterns/pm5544/PM5544Constants.h"
#include "patterns/pm5544/PM5544LineMaker.h"
#include "tools/ColourAxes.h"
#include "tools/MathConstants.h"

using PatternGen::colorAxes_e;
using namespace PM5544Palette;
using PM5544Constants::kFastRiseTimeNs;
using PM5544Constants::kFirstRenderedSample;
using PM5544Constants::kShapingClockMHz;

namespace {

// The constructor's provisional square-wave period is that of 250 kHz; setup()
// replaces it by the period of the card's 500 kHz square wave.
constexpr double kInitialSquareWaveHz = 250000.0;
constexpr double kSquareWaveHz = 500000.0;

// Above these heights the gratings move up with the sample rate.
constexpr int kHdGratingHeight = 600;
constexpr int kUhdGratingHeight = 2000;
constexpr int kHdGratingFactor = 2;
constexpr int kUhdGratingFactor = 4;
constexpr int kGratingCount = 5;

// The grating sine swings about mid level on a scale of kGratingScale steps
// between black and white.
constexpr int kGratingScale = 4096;
constexpr double kGratingMid = 2048.0;
constexpr double kGratingAmplitude = 2048.0;
constexpr double kTwoPi = 2.0 * MathConstants::kPi;

// The frame of a large canvas is hundreds of megabytes written once, front to
// back; asking for huge pages over it spares most of the page faults its first
// writes would take. Only whole huge pages inside the block are advised, and
// the advice changes nothing but how the memory is mapped.
inline void adviseHugePages(const void* block, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePageBytes = std::uintptr_t{2} << 20;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePageBytes - 1);
    if (first < end) {
        // Advice only: if the system declines, the frame is built on small pages.
        (void)madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#else
    (void)block;
    (void)bytes;
#endif
}

}  // namespace

PhilipsPm5544Spec::PhilipsPm5544Spec()
{
    squareWavePeriod = static_cast<int>(freqToPixels(kInitialSquareWaveHz));
}

PhilipsPm5544Spec::~PhilipsPm5544Spec() = default;

bool PhilipsPm5544Spec::useFullCanvasSize()
{
    return true;
}

bool PhilipsPm5544Spec::fullRangeCodes() const
{
    return ColourAxes::factsOf(colourSpace.axis).levels == ColourAxes::Levels::AlwaysFull;
}

void PhilipsPm5544Spec::setup()
{
    selectPalette();
    handOverTransitions();
    setSizeParameters();
    computeGeometry();
    lineMaker.reset();
    frame.clear();
    frame.shrink_to_fit();
    if (renderLinesOnDemand && linesCanBeMadeOnDemand()) {
        lineMaker = std::make_unique<LineMaker>(*this);
    } else {
        buildFrame();
    }
}

bool PhilipsPm5544Spec::linesCanBeMadeOnDemand() const
{
    // Lines are painted region by region, which relies on the circle tests'
    // horizontal measure growing with x: true while its products stay inside
    // 32 bits. Every line must also hold exactly one sample per x.
    const bool geometryFits = width > 0 && height > 0 && aspectWidth > 0 && aspectHeight > 0 &&
                              drawableAt(width, height, aspectWidth, aspectHeight);
    return geometryFits && lineLayout().outputSize() == width;
}

PhilipsPm5544Spec::LineLayout PhilipsPm5544Spec::lineLayout() const
{
    // Each line is framed by black: T/2 samples beyond the `before` and `after`
    // samples that the output keeps, so the shaping always has context.
    const int T = savedTransitionSize;
    LineLayout layout;
    layout.before = (T + 1) / 2;
    layout.after = T - layout.before;
    layout.lead = layout.before + T / 2;
    layout.trail = layout.after + T / 2;
    layout.firstX = kFirstRenderedSample;
    const int end = width - T / 2;
    layout.count = end > kFirstRenderedSample ? end - kFirstRenderedSample : 0;
    return layout;
}

void PhilipsPm5544Spec::selectPalette()
{
    // The codes of the Y'CbCr table of the canvas's matrix when there is one
    // and the signal is not mapped; the R'G'B' codes otherwise, converted to
    // the canvas axes (a full-range R'G'B' canvas takes them as they are:
    // the renderers convert them).
    const colorAxes_e canvasAxes = colourSpace.axis;
    const ColourAxes::Facts& facts = ColourAxes::factsOf(canvasAxes);
    if (!ColourAxes::isKnown(canvasAxes)) {
        // No table serves axes outside the enumeration: the palette keeps the
        // default black it was constructed with.
        return;
    }
    Table table = Table::Rgb219;
    if (ColourAxes::isYCbCr(canvasAxes) && !facts.mapped) {
        switch (facts.matrix) {
        case ColourAxes::Matrix::Rec709: table = Table::YCbCr709; break;
        case ColourAxes::Matrix::Rec2020: table = Table::YCbCr2020; break;
        case ColourAxes::Matrix::None:
        case ColourAxes::Matrix::Rec601: break;
        }
    }
    const bool convert = canvasAxes != tableAxes(table) && facts.levels != ColourAxes::Levels::AlwaysFull;

    const int bits = tableBits(colourSpace.bitDepth);
    const Codes* codes = tableCodes(table, bits);
    const colorAxes_e axes = tableAxes(table);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const Pixel fixed(codes[slot].first, codes[slot].second, codes[slot].third, axes, bits);
        palette[slot] = convert ? fixed.convertTo(canvasAxes) : fixed;
    }
}

void PhilipsPm5544Spec::handOverTransitions()
{
    // Every edge of the card is shaped once, along the finished lines; the
    // primitives must therefore draw hard edges.
    savedTransitionSize = transitionSize;
    transitionSize = 0;
    riseTimeEnabled = false;
}

void PhilipsPm5544Spec::setSizeParameters()
{
    squareWavePeriod = static_cast<int>(freqToPixels(kSquareWaveHz));
    if (height > kUhdGratingHeight) {
        gratingStartHz *= kUhdGratingFactor;
        gratingStepHz *= kUhdGratingFactor;
    } else if (height > kHdGratingHeight) {
        gratingStartHz *= kHdGratingFactor;
        gratingStepHz *= kHdGratingFactor;
    }
    capBarWidth = heightFraction(168, 576);
    longBarWidth = heightFraction(252, 576);
    centreBarWidth = heightFraction(42, 576);
}

void PhilipsPm5544Spec::computeGeometry()
{
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
    const int cornerSignX[kCornerCount] = {-1, 1, -1, 1};
    const int cornerSignY[kCornerCount] = {-1, -1, 1, 1};
    const int dotCounts[kCornerCount] = {1, 2, 3, 4};
    // Dot offsets in units of (dotStepX, dotStepY), per corner.
    const int dotOffsetX[kCornerCount][kMaxDotsPerCorner] = {{0}, {-1, 1}, {0, 1, -1}, {-1, 1, 1, -1}};
    const int dotOffsetY[kCornerCount][kMaxDotsPerCorner] = {{0}, {1, -1}, {0, 1, -1}, {1, -1, 1, -1}};
    for (int c = 0; c < kCornerCount; ++c) {
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

void PhilipsPm5544Spec::computeGratings()
{
    Geometry& g = geometry;
    const int totalWidth = heightFraction(395, 576);
    g.gratingsOffset = fractionOf(totalWidth, 5, 10);
    g.gratingSamples.clear();
    g.gratingSamples.reserve(totalWidth > 0 ? static_cast<std::size_t>(totalWidth) : 0);

    // The sine runs on continuously from one grating into the next.
    double phase = 0.0;
    for (int k = 0; k < kGratingCount; ++k) {
        const int start = fractionOf(totalWidth, 2 * k, 10);
        const int end = fractionOf(totalWidth, 2 * (k + 1), 10);
        const int frequency = gratingStartHz + k * gratingStepHz;
        const int period = static_cast<int>(freqToPixels(frequency));
        for (int u = start; u < end; ++u) {
            const int level =
                static_cast<int>(kGratingMid + kGratingAmplitude * std::sin(phase + kTwoPi * (u - start) / period));
            g.gratingSamples.push_back(palette[White].scale(level, kGratingScale));
        }
        phase = phase + kTwoPi * (end - start) / period;
    }
}

void PhilipsPm5544Spec::buildFrame()
{
    const LineLayout layout = lineLayout();
    if (width > 0 && height > 0) {
        frame.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        adviseHugePages(frame.data(), frame.capacity() * sizeof(Pixel));
    }
    std::deque<double> fastTransition;
    calculateTransition(fastTransition, kFastRiseTimeNs, kShapingClockMHz);

    std::vector<Pixel> lineBuffer;
    lineBuffer.reserve(static_cast<std::size_t>(layout.size()));
    const Pixel& black = palette[Black];
    for (int y = 0; y < height; ++y) {
        lineBuffer.clear();
        lineBuffer.insert(lineBuffer.end(), static_cast<std::size_t>(layout.lead), black);
        for (int x = layout.firstX; x < layout.firstX + layout.count; ++x) {
            lineBuffer.push_back(render(x, y));
        }
        lineBuffer.insert(lineBuffer.end(), static_cast<std::size_t>(layout.trail), black);
        shapeLine(lineBuffer, fastTransition, frame);
    }
}

Pixel PhilipsPm5544Spec::body(int x, int y)
{
    if (x < 0 || y < 0) {
        printf("PhilipsPm5544Spec::body x=%d y=%d\n", x, y);
    }
    // Computed wide so that no coordinate overflows; anything outside the
    // frame is handed to at() as the one-past-the-end index, which it rejects.
    const long long index = static_cast<long long>(x) + static_cast<long long>(width) * y;
    if (lineMaker == nullptr) {
        const bool inFrame = index >= 0 && static_cast<unsigned long long>(index) < frame.size();
        return frame.at(inFrame ? static_cast<std::size_t>(index) : frame.size());
    }
    // The same flat index into lines made on demand, and the same refusal.
    const long long size = static_cast<long long>(width) * height;
    if (index < 0 || index >= size) {
        char message[128];
        std::snprintf(message, sizeof message,
                      "vector::_M_range_check: __n (which is %lld) >= this->size() (which is %lld)", size, size);
        throw std::out_of_range(message);
    }
    const uint32_t* line = lineMaker->line(static_cast<int>(index / width));
    return lineMaker->colours()[line[index % width]];
}

const std::vector<Pixel>* PhilipsPm5544Spec::colourTable()
{
    return lineMaker != nullptr ? &lineMaker->colours() : nullptr;
}

const uint32_t* PhilipsPm5544Spec::indexedLine(int y)
{
    if (lineMaker == nullptr) {
        return nullptr;
    }
    if (y < 0 || y >= height) {
        body(0, y);  // reports the position and refuses it, as a sample of that line would
    }
    return lineMaker->line(y);
}
