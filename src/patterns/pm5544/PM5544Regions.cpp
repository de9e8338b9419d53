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

CardRegion PhilipsPm5544Spec::regionOf(int x, int y) const
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
        if (insideCircleHeight(dx, dy, 0, 0, g.circleRadius)) {
            return circle();
        }
        if (insideCircleHeight(dx, dy, 0, 0, g.outlineRadius)) {
            return CardRegion::CircleOutline;
        }
    }

    for (const Corner& corner : g.corners) {
        if (std::abs(dy - corner.cy) >= g.cornerOutlineRadius) {
            continue;
        }
        // The content inside the corner radius and the white ring up to the
        // outline radius are one region.
        if (insideCircleHeight(dx, dy, corner.cx, corner.cy, g.cornerOutlineRadius)) {
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
