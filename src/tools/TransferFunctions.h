#pragma once

// The HDR transfer functions' constants, and the inverse curves the
// inspector's previews undo them with. The forward curves are Pixel's static
// functions (applyPqInverseEOTF, applyHlgOETF, applySLog3InverseOOTF,
// applySLog3OETFAndRestoreAbsolutisedInput), defined in TransferFunctions.cpp.
namespace TransferFunctions {

// PQ (ST 2084): m1, m2, c1, c2, c3. Light is in units of the 100 cd/m2 white,
// so kPqPeak is the 10000 cd/m2 peak.
constexpr double kPqM1 = 0.1593017578125;
constexpr double kPqM2 = 78.84375;
constexpr double kPqC1 = 0.8359375;
constexpr double kPqC2 = 18.8515625;
constexpr double kPqC3 = 18.6875;
constexpr double kPqPeak = 100.0;

// HLG OETF: a, b, c, the end of its square-root segment (in scene light and
// as a signal), and the SDR white on the HLG display the card is made for.
constexpr double kHlgA = 0.17883277;
constexpr double kHlgB = 0.28466892;
constexpr double kHlgC = 0.55991073;
constexpr double kHlgSqrtLimit = 0.08333333333333333;  // 1/12
constexpr double kHlgSqrtSignalEnd = 0.5;
constexpr double kHlgSdrWhiteLuminance = 100.0;
constexpr double kHlgDisplayPeak = 1000.0;
// (1 - 1.2) / 1.2 for the system gamma 1.2, as the single-precision value.
constexpr double kHlgInverseGammaExponent = -0.16666670143604279;

// S-Log3 inverse OOTF of the live forms: a 1/1.2 power up to 3.0, a straight
// line above.
constexpr double kSLog3OotfKnee = 3.0;
constexpr double kSLog3OotfExponent = 0.8333333333333334;  // 1/1.2
constexpr double kSLog3OotfLineOffset = 0.7474385637693104;
constexpr double kSLog3OotfGamma = 1.2;
constexpr double kSLog3OotfLineScale = 1.2457309396155174;

// S-Log3 OETF, producing 10-bit code values. The input is scaled so that 1.0
// is 90 % reflectance.
constexpr double kSLog3ReflectanceScale = 0.9;
constexpr double kSLog3LinearLimit = 0.012499999999999999;  // 0.01125 / 0.9
constexpr double kSLog3LinearEndCode = 171.2102946929;      // the code there
constexpr double kSLog3LinearSlope = 6774.248417146666;
constexpr double kSLog3LinearOffset = 95.0;  // code of black
constexpr double kSLog3LogScale = 261.5;
constexpr double kSLog3LogOffset = 420.0;  // code of 18 % grey
constexpr double kSLog3LogBias = 0.01;
constexpr double kSLog3LogDivisor = 0.19;

// PQ signal to light, 1.0 at the 100 cd/m2 white; the inverse of
// Pixel::applyPqInverseEOTF.
double pqToLight(double signal);

// HLG signal to scene light; the inverse of Pixel::applyHlgOETF.
double hlgToScene(double signal);

// A 10-bit S-Log3 code to light, 1.0 at 90 % reflectance and never negative;
// `live` also undoes the live forms' inverse OOTF.
double sLog3ToLight(double code, bool live);

}  // namespace TransferFunctions
