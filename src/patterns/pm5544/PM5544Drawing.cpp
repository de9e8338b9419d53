// The card's drawing: the unshaped colour of every sample, region by region.

#include <cstdlib>

#include "patterns/WrappingArithmetic.h"
#include "patterns/pm5544/PM5544Constants.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

using namespace PM5544Palette;
using PM5544Constants::kCentreGridLineWidth;
using PM5544Constants::kGridLineWidth;
using PM5544Constants::textureFlag;

Pixel PhilipsPm5544Spec::render(int x, int y)
{
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

Pixel PhilipsPm5544Spec::centralCircle(int dx, int dy)
{
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

    const bool inStrip = std::abs(dy) >= g.stripInner && std::abs(dy) < g.stripOuter && std::abs(dx) < g.stripHalfWidth;
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
        bars(dx + g.greyScaleOffset, out, 6, g.greyScaleWidth, &palette[Black], &palette[Grey20], &palette[Grey40],
             &palette[Grey60], &palette[Grey80], &palette[White]);
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

int PhilipsPm5544Spec::centralRowClass(int dy) const
{
    // Every way centralCircle depends on dy: the band, whether the line
    // crosses the centre strip, and whether it is one of the two lines of the
    // centre cross (centrePattern). Within one class it depends on dx alone.
    const Geometry& g = geometry;
    const int bandEnds[] = {g.whiteCapEnd,   g.capBarEnd,   g.whiteBarEnd,  g.squareWaveEnd, g.colourBarsEnd,
                            g.centreBandEnd, g.gratingsEnd, g.greyScaleEnd, g.blackBarEnd};
    int band = 0;
    for (const int end : bandEnds) {
        if (dy <= end) {
            break;
        }
        ++band;
    }
    const bool stripLine = std::abs(dy) >= g.stripInner && std::abs(dy) < g.stripOuter;
    const bool crossLine = dy == -1 || dy == 0;
    return band * 4 + (stripLine ? 2 : 0) + (crossLine ? 1 : 0);
}

Pixel PhilipsPm5544Spec::centrePattern(int dx, int dy)
{
    // The centre cross, two samples and two lines thick.
    if (dy == -1 || dy == 0 || dx == -1 || dx == 0) {
        return palette[White];
    }
    Pixel out = palette[Black];
    if (geometry.gridDrawable) {
        gridVertical(dx, dy, geometry.gridPitch, kCentreGridLineWidth, out, palette[White]);
    }
    return out;
}

Pixel PhilipsPm5544Spec::grating(int dx) const
{
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

Pixel PhilipsPm5544Spec::cornerContent(const Corner& corner, int dx, int dy) const
{
    const Geometry& g = geometry;
    if (!insideCircleHeight(dx, dy, corner.cx, corner.cy, g.cornerRingRadius)) {
        return palette[Black];
    }

    const int ax = aspectAdjustedVertFraction(dx, width);
    const int s = g.cornerSquareHalf;
    const bool inSquare =
        corner.squareCx - s < ax && ax < corner.squareCx + s && corner.cy - s < dy && dy < corner.cy + s;
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

Pixel PhilipsPm5544Spec::gridOrBorder(int dx, int dy)
{
    const Geometry& g = geometry;
    const bool gridLines = -g.gridHalfHeight <= dy && dy <= g.gridHalfHeight;

    if (gridLines && -g.gridHalfWidth <= dx && dx < g.gridHalfWidth) {
        Pixel out = palette[Grey50];
        if (g.gridDrawable) {
            grid(dx, dy, g.gridPitch, kGridLineWidth, out, palette[White]);
        }
        return out;
    }

    // The border: white blocks on black, with the grid lines running on
    // through its left and right parts. (backgroundRowClass lists the ways
    // this depends on dy.)
    Pixel out = palette[Black];
    if (g.borderDrawable) {
        gridFlipVphase(dx, dy, 2 * g.gridPitch, g.gridPitch, out, palette[White]);
    }
    if (gridLines && g.gridDrawable) {
        grid(dx, dy, g.gridPitch, kGridLineWidth, out, palette[White]);
    }
    return out;
}

int PhilipsPm5544Spec::backgroundRowClass(int dy) const
{
    // Every way gridOrBorder depends on dy: inside the grid's height or not,
    // and on a horizontal line of the grid or of the border blocks (the tests
    // of grid and gridFlipVphase). Within one class it depends on dx alone.
    const Geometry& g = geometry;
    const bool gridLines = -g.gridHalfHeight <= dy && dy <= g.gridHalfHeight;
    const int pitch = g.gridPitch;
    const bool gridRow =
        g.gridDrawable && positiveModulo(dy - (pitch / 2 - kGridLineWidth / 2), pitch) <= kGridLineWidth;
    const int borderPitch = 2 * pitch;
    const bool borderRow = g.borderDrawable && positiveModulo(dy + (borderPitch / 2 - pitch / 2), borderPitch) <= pitch;
    return (gridLines ? 1 : 0) + (gridRow ? 2 : 0) + (borderRow ? 4 : 0);
}
