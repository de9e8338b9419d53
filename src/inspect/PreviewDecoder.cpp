#include "inspect/PreviewDecoder.h"

#include <algorithm>
#include <cmath>

#include "tools/ColourAxes.h"
#include "tools/ColourMatrices.h"
#include "tools/ColourSpace.h"
#include "tools/TransferFunctions.h"
#include "writers/writeVantoKeplo.h"

namespace {

using TransferFunctions::hlgToScene;
using TransferFunctions::pqToLight;
using TransferFunctions::sLog3ToLight;

constexpr double kWhite8 = 255.0;

// Luma weights of the three matrices.
constexpr double kKr601 = ColourMatrices::k601LumaR, kKb601 = ColourMatrices::k601LumaB;
constexpr double kKr2020 = ColourMatrices::kEncode2020.kr, kKb2020 = ColourMatrices::kEncode2020.kb;

// HLG: the display OOTF (system gamma 1.2) of the display the card is made
// for, on which its white sits at 100 cd/m2.
constexpr double kHlgOotfExponent = 0.2;  // system gamma minus one
constexpr double kHlgPeakOverWhite = TransferFunctions::kHlgDisplayPeak / TransferFunctions::kHlgSdrWhiteLuminance;

// S-Log3 signals are 10-bit codes; those carried as studio R'G'B' hold code 64 + 876 x.
constexpr int kSLog3CodeBits = 10;
constexpr double kStudioBlack10 = 64.0, kStudioRange10 = 876.0, kChromaMid10 = 512.0;

// Rec. 2020 to Rec. 709 primaries (BT.2087), and the power the card's R'G'B' is decoded with.
constexpr double k2020To709[3][3] = {
    {1.6605, -0.5876, -0.0728}, {-0.1246, 1.1329, -0.0083}, {-0.0182, -0.1006, 1.1187}};
constexpr double kDisplayExponent = 1 / 2.4;

// X'Y'Z' codes: a 1/2.6 power of XYZ scaled by 48 cd/m2 over 52.37.
constexpr int kXyzCodeBits = 12;
constexpr double kXyzCodeScale = 4095.0;
constexpr double kXyzExponent = 2.6;
constexpr double kXyzPeakOverNormalising = 0.91655528;
// The Rec. 709 OETF that turns the light back into R'G'B', and the studio range it is read on.
constexpr double kOetfKnee = 0.018, kOetfSlope = 4.5, kOetfScale = 1.099, kOetfOffset = 0.099, kOetfExponent = 0.45;

double rec709Oetf(double v)
{
    if (v < kOetfKnee) return kOetfSlope * v;
    return kOetfScale * std::pow(v, kOetfExponent) - kOetfOffset;
}

uint8_t to8(double v)
{
    const double clipped = std::min(std::max(v, 0.0), 1.0);
    return static_cast<uint8_t>(std::lround(clipped * kWhite8));
}

void invert(const double m[3][3], double out[3][3])
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    }
}

}  // namespace

PreviewDecoder::PreviewDecoder(const SignalModel& model, int codeBits) : model_(model), codeBits_(codeBits)
{
    const ColourAxes::Facts& facts = ColourAxes::factsOf(model.axes);
    switch (facts.matrix) {
    case ColourAxes::Matrix::None:
    case ColourAxes::Matrix::Rec709: break;
    case ColourAxes::Matrix::Rec601:
        kr_ = kKr601;
        kb_ = kKb601;
        break;
    case ColourAxes::Matrix::Rec2020:
        kr_ = kKr2020;
        kb_ = kKb2020;
        break;
    }
    switch (facts.transfer) {
    case ColourAxes::Transfer::None: break;
    case ColourAxes::Transfer::PQ: transfer_ = Transfer::Pq; break;
    case ColourAxes::Transfer::HLG: transfer_ = Transfer::Hlg; break;
    case ColourAxes::Transfer::SLog3: transfer_ = facts.live ? Transfer::SLog3Live : Transfer::SLog3; break;
    }
    mapped_ = facts.mapped;
    // HDR signals carried as R'G'B' are Rec. 2020 signals as well.
    if (transfer_ != Transfer::None) {
        kr_ = kKr2020;
        kb_ = kKb2020;
    }
    // The writer's own conversion gives the matrix, one primary at a time.
    double rgbToXyz[3][3];
    const float unit[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int c = 0; c < 3; ++c) {
        float x, y, z;
        LinearRGBtoXYZLinearConversion(unit[c][0], unit[c][1], unit[c][2], x, y, z);
        rgbToXyz[0][c] = x;
        rgbToXyz[1][c] = y;
        rgbToXyz[2][c] = z;
    }
    invert(rgbToXyz, xyzToRgb_);
}

PreviewDecoder::Rgb PreviewDecoder::signal(int crOrR, int yOrG, int cbOrB) const
{
    const ColourSpace space(model_.axes, codeBits_, model_.fullRange);
    if (model_.xyz) {
        double xyz[3];
        const int codes[3] = {crOrR, yOrG, cbOrB};
        for (int i = 0; i < 3; ++i) {
            const double v = std::ldexp(codes[i], kXyzCodeBits - codeBits_) / kXyzCodeScale;
            xyz[i] = std::pow(v, kXyzExponent) / kXyzPeakOverNormalising;
        }
        double rgb[3];
        for (int r = 0; r < 3; ++r) {
            rgb[r] = xyzToRgb_[r][0] * xyz[0] + xyzToRgb_[r][1] * xyz[1] + xyzToRgb_[r][2] * xyz[2];
            rgb[r] = rec709Oetf(std::min(std::max(rgb[r], 0.0), 1.0));
        }
        return {rgb[0], rgb[1], rgb[2]};
    }
    if (!model_.yCbCr()) {
        return {space.normaliseLuma(crOrR), space.normaliseLuma(yOrG), space.normaliseLuma(cbOrB)};
    }
    const double kg = 1 - kr_ - kb_;
    auto decode = [&](double y, double cb, double cr) {
        const double r = y + 2 * (1 - kr_) * cr;
        const double b = y + 2 * (1 - kb_) * cb;
        return Rgb{r, (y - kr_ * r - kb_ * b) / kg, b};
    };
    if (transfer_ == Transfer::SLog3 || transfer_ == Transfer::SLog3Live) {
        // The S-Log3 matrix works on the 10-bit codes themselves.
        const double scale = std::ldexp(1.0, kSLog3CodeBits - codeBits_);
        const Rgb c = decode(yOrG * scale, cbOrB * scale - kChromaMid10, crOrR * scale - kChromaMid10);
        return {(c.r - kStudioBlack10) / kStudioRange10, (c.g - kStudioBlack10) / kStudioRange10,
                (c.b - kStudioBlack10) / kStudioRange10};
    }
    return decode(space.normaliseLuma(yOrG), space.normaliseChroma(cbOrB), space.normaliseChroma(crOrR));
}

PreviewDecoder::Rgb PreviewDecoder::display(const Rgb& s) const
{
    Rgb light = s;
    switch (transfer_) {
    case Transfer::None: return s;
    case Transfer::Pq: light = {pqToLight(s.r), pqToLight(s.g), pqToLight(s.b)}; break;
    case Transfer::Hlg: {
        const Rgb e{hlgToScene(s.r), hlgToScene(s.g), hlgToScene(s.b)};
        const double ys = kKr2020 * e.r + (1 - kKr2020 - kKb2020) * e.g + kKb2020 * e.b;
        const double gain = ys > 0 ? kHlgPeakOverWhite * std::pow(ys, kHlgOotfExponent) : 0;
        light = {gain * e.r, gain * e.g, gain * e.b};
        break;
    }
    case Transfer::SLog3:
    case Transfer::SLog3Live: {
        const bool live = transfer_ == Transfer::SLog3Live;
        auto toLight = [live](double e) { return sLog3ToLight(kStudioBlack10 + kStudioRange10 * e, live); };
        light = {toLight(s.r), toLight(s.g), toLight(s.b)};
        break;
    }
    }
    if (!mapped_) return light;
    const double in[3] = {light.r, light.g, light.b};
    double out[3];
    for (int r = 0; r < 3; ++r) {
        const double v = k2020To709[r][0] * in[0] + k2020To709[r][1] * in[1] + k2020To709[r][2] * in[2];
        out[r] = std::pow(std::min(std::max(v, 0.0), 1.0), kDisplayExponent);
    }
    return {out[0], out[1], out[2]};
}

Rgb8 PreviewDecoder::operator()(int crOrR, int yOrG, int cbOrB) const
{
    const Rgb d = display(signal(crOrR, yOrG, cbOrB));
    return {to8(d.r), to8(d.g), to8(d.b)};
}

void PreviewDecoder::decodeRow(const FrameShape& shape, const uint16_t* row, uint8_t* rgb) const
{
    // The card holds long runs of one colour: decode once per run.
    int last[3] = {-1, -1, -1};
    Rgb8 colour;
    const std::size_t components = static_cast<std::size_t>(shape.components);
    for (int x = 0; x < shape.width; ++x) {
        uint8_t* out = rgb + static_cast<std::size_t>(x) * 3;
        if (x >= shape.presentWidth) {
            out[0] = out[1] = out[2] = 0;
            continue;
        }
        const uint16_t* p = row + static_cast<std::size_t>(x) * components;
        const int codes[3] = {shape.code(p[FrameShape::kCrOrR]), shape.code(p[FrameShape::kYOrG]),
                              shape.code(p[FrameShape::kCbOrB])};
        if (codes[0] != last[0] || codes[1] != last[1] || codes[2] != last[2]) {
            colour = (*this)(codes[0], codes[1], codes[2]);
            last[0] = codes[0];
            last[1] = codes[1];
            last[2] = codes[2];
        }
        out[0] = colour.r;
        out[1] = colour.g;
        out[2] = colour.b;
    }
}
