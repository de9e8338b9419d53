// Which part of the card a sample belongs to. The classification takes every
// decision render() and its helpers take, on the same geometry fields and in
// the same order, but answers with the part instead of its colour; the card
// tests hold the two side by side.

#include <cstdlib>

#include "patterns/pm5544/PM5544Constants.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

namespace {

// buildFrame takes the samples from kFirstRenderedSample up to the last half
// ramp of a line from render(); the samples outside them are black.
using PM5544Constants::kFirstRenderedSample;
// The grid's line width, as gridOrBorder hands it to the grid primitive.
using PM5544Constants::kGridLineWidth;

// computeGratings splits the gratings' width into this many equal parts,
// each at fractionOf(width, 2k, 10).
constexpr int kGratingParts = 10;

}  // namespace

template <class Inside>
CardRegion PhilipsPm5544Spec::classify(int x, int y, const Inside& inside) const
{
    const Geometry& g = geometry;
    if (x < kFirstRenderedSample || x >= width - savedTransitionSize / 2) {
        return CardRegion::LineEnds;
    }
    const int dx = x - g.centreX;
    const int dy = y - g.centreY;

    // centrePattern
    auto centre = [&]() {
        return dy == -1 || dy == 0 || dx == -1 || dx == 0 ? CardRegion::CentreCross : CardRegion::CentreLines;
    };

    // grating
    auto grating = [&]() {
        const int u = dx + g.gratingsOffset;
        const int total = static_cast<int>(g.gratingSamples.size());
        if (u < 0 || u >= total) {
            return CardRegion::GratingMargin;
        }
        int k = 0;
        while (k + 1 < kGratingRegionCount && u >= fractionOf(total, 2 * (k + 1), kGratingParts)) {
            ++k;
        }
        return static_cast<CardRegion>(static_cast<int>(CardRegion::Grating1) + k);
    };

    // centralCircle
    auto circle = [&]() {
        if (dy <= g.whiteBarEnd) {  // white cap, black bar, white bar
            return CardRegion::UpperBars;
        }
        if (dy <= g.squareWaveEnd) {
            return CardRegion::SquareWave;
        }
        const bool inStrip =
            std::abs(dy) >= g.stripInner && std::abs(dy) < g.stripOuter && std::abs(dx) < g.stripHalfWidth;
        if (dy <= g.colourBarsEnd) {
            return inStrip ? centre() : CardRegion::ColourBars;
        }
        if (dy <= g.centreBandEnd) {
            return centre();
        }
        if (dy <= g.gratingsEnd) {
            return inStrip ? centre() : grating();
        }
        if (dy <= g.greyScaleEnd) {
            return CardRegion::GreyScale;
        }
        if (dy <= g.blackBarEnd) {
            return CardRegion::LowerBar;
        }
        return CardRegion::BottomSegment;
    };

    if (std::abs(dy) < g.outlineRadius) {
        if (inside(kCentralCircle, dx, dy)) {
            return circle();
        }
        if (inside(kCircleOutline, dx, dy)) {
            return CardRegion::CircleOutline;
        }
    }

    for (int i = 0; i < kCornerCount; ++i) {
        if (std::abs(dy - g.corners[i].cy) >= g.cornerOutlineRadius) {
            continue;
        }
        // The content inside the corner radius and the white ring up to the
        // outline radius are one region.
        if (inside(kFirstCornerCircle + i, dx, dy)) {
            return CardRegion::CornerCircles;
        }
    }

    // gridOrBorder: a grid line wherever the grid primitive draws one, in the
    // grid area and through the border beside it.
    const bool gridLines = -g.gridHalfHeight <= dy && dy <= g.gridHalfHeight;
    Pixel scratch;
    const bool onGridLine =
        gridLines && g.gridDrawable && grid(dx, dy, g.gridPitch, kGridLineWidth, scratch, scratch) != 0;
    if (onGridLine) {
        return CardRegion::GridLines;
    }
    if (gridLines && -g.gridHalfWidth <= dx && dx < g.gridHalfWidth) {
        return CardRegion::Background;
    }
    return CardRegion::Border;
}

CardRegion PhilipsPm5544Spec::regionOf(int x, int y) const
{
    const Geometry& g = geometry;
    return classify(x, y, [&](int circle, int dx, int dy) {
        if (circle == kCentralCircle) return insideCircleHeight(dx, dy, 0, 0, g.circleRadius);
        if (circle == kCircleOutline) return insideCircleHeight(dx, dy, 0, 0, g.outlineRadius);
        const Corner& corner = g.corners[circle - kFirstCornerCircle];
        return insideCircleHeight(dx, dy, corner.cx, corner.cy, g.cornerOutlineRadius);
    });
}

void PhilipsPm5544Spec::regionsOfLine(int y, std::vector<CardRegion>& regions) const
{
    const Geometry& g = geometry;
    const int dy = y - g.centreY;
    const int first = -g.centreX;
    const int end = width - g.centreX;
    SampleRun runs[kRegionCircleCount];
    runs[kCentralCircle] = circleRunHeight(dy, 0, 0, g.circleRadius, first, end);
    runs[kCircleOutline] = circleRunHeight(dy, 0, 0, g.outlineRadius, first, end);
    for (int i = 0; i < kCornerCount; ++i) {
        const Corner& corner = g.corners[i];
        runs[kFirstCornerCircle + i] = circleRunHeight(dy, corner.cx, corner.cy, g.cornerOutlineRadius, first, end);
    }
    regions.resize(static_cast<std::size_t>(width));
    const auto inside = [&](int circle, int dx, int) { return runs[circle].holds(dx); };
    for (int x = 0; x < width; ++x) regions[static_cast<std::size_t>(x)] = classify(x, y, inside);
}
