#include "patterns/pm5544/CardRegion.h"

const char* cardRegionName(CardRegion region)
{
    switch (region) {
    case CardRegion::LineEnds: return "line ends";
    case CardRegion::Border: return "border";
    case CardRegion::GridLines: return "grid lines";
    case CardRegion::Background: return "background";
    case CardRegion::CircleOutline: return "circle outline";
    case CardRegion::UpperBars: return "upper bars";
    case CardRegion::SquareWave: return "square wave";
    case CardRegion::ColourBars: return "colour bars";
    case CardRegion::CentreCross: return "centre cross";
    case CardRegion::CentreLines: return "centre lines";
    case CardRegion::Grating1: return "grating 1";
    case CardRegion::Grating2: return "grating 2";
    case CardRegion::Grating3: return "grating 3";
    case CardRegion::Grating4: return "grating 4";
    case CardRegion::Grating5: return "grating 5";
    case CardRegion::GratingMargin: return "grating margin";
    case CardRegion::GreyScale: return "grey scale";
    case CardRegion::LowerBar: return "lower bar";
    case CardRegion::BottomSegment: return "bottom segment";
    case CardRegion::CornerCircles: return "corner circles";
    }
    return "unknown";
}
