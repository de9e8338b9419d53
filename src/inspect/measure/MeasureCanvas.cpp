#include "inspect/measure/MeasureCanvas.h"

#include "tools/ColourAxes.h"
#include "tools/ColourMatrices.h"
#include "tools/ColourSpace.h"

MeasureCanvas MeasureCanvas::of(const RunSettings& s, double sampleRateHz)
{
    MeasureCanvas c;
    c.axes = s.axes;
    c.bitDepth = s.bitDepth;
    // -fr changes nothing on this card, whose colours are studio-range codes whatever the flag; only R'G'B' of
    // -c RGB is on the full range.
    c.fullRange = ColourAxes::factsOf(s.axes).levels == ColourAxes::Levels::AlwaysFull;
    c.sampleRateHz = sampleRateHz;
    c.sharedChroma = s.sampling != PatternGen::Sampling_444;
    const ColourSpace space(s.axes, s.bitDepth, c.fullRange);
    c.black = space.blackLevel;
    c.white = space.whiteLevel;
    c.chromaMid = static_cast<double>(1 << (s.bitDepth - 1));
    c.yCbCr = ColourAxes::isYCbCr(s.axes);
    if (c.yCbCr) {
        c.lumaBasis = "the Y' samples";
        return c;
    }
    // R'G'B' has no matrix of its own: luma is formed as the primaries' own matrix forms it.
    const ColourMatrices::EncodeMatrix m =
        ColourAxes::factsOf(s.axes).in2020 ? ColourMatrices::kEncode2020 : ColourMatrices::kEncode709;
    c.lumaWeights = {m.kr, m.kg, m.kb};
    c.cbDivisor = m.cbDivisor;
    c.crDivisor = m.crDivisor;
    c.order = {MeasureFrame::kCrOrR, MeasureFrame::kYOrG, MeasureFrame::kCbOrB};
    c.names = {"r", "g", "b"};
    c.labels = {"R'", "G'", "B'"};
    c.chromaNames = {"b", "r"};
    c.chromaLabels = {"B'", "R'"};
    c.lumaBasis = ColourAxes::factsOf(s.axes).in2020 ? "Y' of the Rec. 2020 matrix" : "Y' of the Rec. 709 matrix";
    return c;
}

std::array<double, 2> MeasureCanvas::chroma(const std::array<double, MeasureFrame::kPlanes>& p) const
{
    if (yCbCr) return {p[MeasureFrame::kCbOrB] - chromaMid, p[MeasureFrame::kCrOrR] - chromaMid};
    const double y = lumaWeights[0] * p[0] + lumaWeights[1] * p[1] + lumaWeights[2] * p[2];
    return {(p[MeasureFrame::kCbOrB] - y) / cbDivisor, (p[MeasureFrame::kCrOrR] - y) / crDivisor};
}
