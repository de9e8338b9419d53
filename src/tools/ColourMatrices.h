#pragma once

// The Y'CbCr matrices and the change of primaries the colour conversions use,
// as the constants they have always had (not recomputed from the luma weights:
// the codes they give are part of the card).
namespace ColourMatrices {

// Y'CbCr to R'G'B' decoding coefficients: R = Y + crToR Cr, G = Y - cbToG Cb - crToG Cr, B = Y + cbToB Cb.
struct DecodeMatrix {
    double crToR;
    double cbToG;
    double crToG;
    double cbToB;
};

constexpr DecodeMatrix kDecode601{1.402, 0.344136, 0.714136, 1.772};
constexpr DecodeMatrix kDecode709{1.5748, 0.1873242729306488, 0.46812427293064884, 1.8556};
constexpr DecodeMatrix kDecode2020{1.4746, 0.16455312684365778, 0.5713531268436577, 1.8814};

// Luma weights and the chroma divisors (B' - Y') / cbDivisor, (R' - Y') / crDivisor.
struct EncodeMatrix {
    double kr;
    double kg;
    double kb;
    double cbDivisor;
    double crDivisor;
};

constexpr EncodeMatrix kEncode709{0.2126, 0.7152, 0.0722, 1.8556, 1.5748};
constexpr EncodeMatrix kEncode2020{0.2627, 0.678, 0.0593, 1.8814, 1.4746};

// The 601 encoder has its own chroma weights, which do not sum exactly to zero.
constexpr double k601LumaR = 0.299;
constexpr double k601LumaG = 0.587;
constexpr double k601LumaB = 0.114;
constexpr double k601CbR = 0.168736;
constexpr double k601CbG = 0.331264;
constexpr double k601CbB = 0.4997;
constexpr double k601CrR = 0.4988;
constexpr double k601CrG = 0.4185;
constexpr double k601CrB = 0.0813;

// The weight of B' in Cb and of R' in Cr.
constexpr double kChromaHalf = 0.5;

// Rec. 709 primaries to Rec. 2020 primaries (BT.2087, four decimals), rows R, G, B.
constexpr double kM709To2020RR = 0.6274, kM709To2020RG = 0.3293, kM709To2020RB = 0.0433;
constexpr double kM709To2020GR = 0.0691, kM709To2020GG = 0.9195, kM709To2020GB = 0.0114;
constexpr double kM709To2020BR = 0.0164, kM709To2020BG = 0.088, kM709To2020BB = 0.8956;

}  // namespace ColourMatrices
