#pragma once

#include <array>
#include <string>

#include "inspect/measure/MeasureFrame.h"
#include "settings/RunSettings.h"

// What the measures need to know about the canvas: its levels, how luma and
// the colour differences are formed from its components, their names, and
// the nominal sample rate that turns samples into time and frequency.
struct MeasureCanvas {
    PatternGen::colorAxes_e axes = PatternGen::Colour_YCbCr_709;
    int bitDepth = 12;
    bool yCbCr = true;
    bool fullRange = false;  // codes on the full range (R'G'B' of -c RGB always)
    double black = 256;      // nominal black code
    double white = 3760;
    double chromaMid = 2048;  // the code of zero colour difference (Y'CbCr)
    double sampleRateHz = 74250000.0;
    bool sharedChroma = false;  // 4:2:2 or 4:2:0: each even sample's chroma serves the odd one after it too
    // Y' = weights . (plane 0, plane 1, plane 2): (0, 1, 0) for Y'CbCr, the
    // matrix's luma weights on (R', G', B') for R'G'B'.
    std::array<double, MeasureFrame::kPlanes> lumaWeights{0, 1, 0};
    double cbDivisor = 1.8556;  // (B' - Y') / cbDivisor for R'G'B'
    double crDivisor = 1.5748;
    // The planes in the order they are reported: Y', Cb, Cr or R', G', B'.
    std::array<int, MeasureFrame::kPlanes> order{MeasureFrame::kYOrG, MeasureFrame::kCbOrB, MeasureFrame::kCrOrR};
    std::array<const char*, MeasureFrame::kPlanes> names{"y", "cb", "cr"};  // JSON names, in `order`
    std::array<const char*, MeasureFrame::kPlanes> labels{"Y'", "Cb", "Cr"};
    int lumaPlane = MeasureFrame::kYOrG;  // the plane chroma delay is timed against
    // The planes timed against it (Cb, Cr or B', R'), as JSON names and labels.
    std::array<const char*, 2> chromaNames{"cb", "cr"};
    std::array<const char*, 2> chromaLabels{"Cb", "Cr"};

    static MeasureCanvas of(const RunSettings& settings, double sampleRateHz);

    double span() const { return white - black; }
    double luma(const MeasureFrame& f, std::size_t i) const
    {
        return lumaWeights[0] * f.planes[0][i] + lumaWeights[1] * f.planes[1][i] + lumaWeights[2] * f.planes[2][i];
    }
    // The colour-difference pair (Cb, Cr) of one colour given by its plane values, in codes about zero.
    std::array<double, 2> chroma(const std::array<double, MeasureFrame::kPlanes>& planes) const;
    // What luma is, for the report: "the Y' samples", "Y' of the Rec. 709 matrix".
    std::string lumaBasis;
};
