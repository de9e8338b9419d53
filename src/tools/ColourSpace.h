#pragma once

#include "tools/PatternGen.h"

// The colour space of a sample or a canvas: which axes its code values are on,
// at which bit depth, in the studio or the full range, and the black and white
// levels and gamma curve that follow from those three choices (the facts of
// each axes value are the rows of tools/ColourAxes.h).
class ColourSpace {
public:
    int whiteLevel = 0;
    int blackLevel = 0;
    int bitDepth = 0;
    PatternGen::colorAxes_e axis = PatternGen::Colour_RGB;
    int gammaType = 0;  // ColourAxes::Gamma: 0 none, 1 power law, 2 Rec. 2020 curve
    bool fullRange = false;

    ColourSpace(PatternGen::colorAxes_e axis, int bitDepth, bool fullRange);

    void setColourSpace(PatternGen::colorAxes_e axis, int bitDepth, bool fullRange);

    double normaliseLuma(int code) const;
    double normaliseChroma(int code) const;

    // Clip a code value to the legal range in place; true when it changed.
    bool limitLuma(int& code) const;
    bool limitChroma(int& code) const;

    bool isColourDifference() const;
    bool colourIsIn2020() const;
    bool colourIsRGB() const;
    bool colourIsHDR() const;  // not used by the card

    // The gamma curves: none, the power law or the Rec. 2020 curve, by
    // gammaType. The card uses gammaFloatToLinear only (for the mapped HDR
    // signals); the others are kept for Pixel::scaleWithGamma and patterns of
    // other authors.
    double linearToGamma(int code) const;
    double gammaToLinear(int code) const;
    double linearFloatToGamma(double x) const;
    double gammaFloatToLinear(double x) const;
    double gammaFloatLinearToNonLinear(double x) const;
};

// The member name of an axes value, or "undefined" outside the enumeration
// (not used by the card).
const char* axisToString(const PatternGen::colorAxes_e& axis);
