#pragma once

// The parts of the PM5544 card, as PhilipsPm5544Spec::regionOf tells them
// apart: what a measurement reports its differences against.
enum class CardRegion {
    LineEnds,       // the black samples at both ends of every line
    Border,         // the black and white blocks around the grid
    GridLines,      // white grid lines, in the grid and through the side borders
    Background,     // the grey between the grid lines
    CircleOutline,  // the white ring of the central circle
    UpperBars,      // white cap, black bar and white bar with its mark, top of the circle
    SquareWave,     // the 500 kHz square wave
    ColourBars,     // the six 75 % bars
    CentreCross,    // the cross at the centre, two samples and two lines thick
    CentreLines,    // the black band and strip around the cross, with its vertical lines
    Grating1,       // the five gratings, lowest frequency first
    Grating2,
    Grating3,
    Grating4,
    Grating5,
    GratingMargin,  // black beside the gratings, and the grey sample before them
    GreyScale,      // the six grey steps
    LowerBar,       // the black bar with its white mark, below the grey scale
    BottomSegment,  // the yellow segment with its red centre bar
    CornerCircles,  // the four small circles with their rings, squares and dots
};

constexpr int kCardRegionCount = static_cast<int>(CardRegion::CornerCircles) + 1;
constexpr int kGratingRegionCount = static_cast<int>(CardRegion::Grating5) - static_cast<int>(CardRegion::Grating1) + 1;

// A short lower-case name for tables ("colour bars", "grating 3").
const char* cardRegionName(CardRegion region);
