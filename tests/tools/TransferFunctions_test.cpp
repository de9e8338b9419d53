#include "tools/TransferFunctions.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "tools/ColourSpace.h"
#include "tools/Pixel.h"

using namespace PatternGen;

namespace {

double sLog3(double x)
{
    return Pixel::applySLog3OETFAndRestoreAbsolutisedInput(x, false);
}

}  // namespace

TEST(TransferFunctions, PqHlgAndSLog3Values)
{
    EXPECT_DOUBLE_EQ(Pixel::applyPqInverseEOTF(1.0), 0.508078421517399);
    EXPECT_EQ(Pixel::applyHlgOETF(1.0 / 12), 0.5);
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(3.0), 2.498049532966813);  // x^(1/1.2)
    EXPECT_DOUBLE_EQ(Pixel::applySLog3InverseOOTF(4.0), 3.1758052058674355);
    EXPECT_DOUBLE_EQ(sLog3(0.2), 420.0);
    // Negatives mirror about 420 (log segment) or 95 (linear segment).
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(1.0, true), 840.0 - sLog3(1.0));
    EXPECT_DOUBLE_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(0.01, true), 190.0 - sLog3(0.01));
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(Pixel::applyPqInverseEOTF(bad) + Pixel::applyHlgOETF(bad), 0.0) << bad;
    EXPECT_EQ(sLog3(-0.5), 0.0);
    EXPECT_EQ(Pixel::applySLog3OETFAndRestoreAbsolutisedInput(std::numeric_limits<double>::quiet_NaN(), true), 0.0);
}

TEST(TransferFunctions, CurvesRiseFromEndPointToEndPoint)
{
    const ColourSpace rec2020(Colour_YCbCr_2020, 12, false), powerLaw(Colour_YCbCr_709, 12, false);
    const struct {
        const char* name;
        std::function<double(double)> curve;
        double last, atZero, atLast;
    } curves[] = {
        {"PQ", Pixel::applyPqInverseEOTF, 100.0, 0.0, 1.0},  // 10000 cd/m2 in units of the 100 cd/m2 white
        {"HLG", Pixel::applyHlgOETF, 1.0, 0.0, 1.0},
        {"S-Log3", sLog3, 1.0, 95.0, 597.9},  // codes of black and of 90 % reflectance
        {"S-Log3 live OOTF", Pixel::applySLog3InverseOOTF, 8.0, 0.0, 5.85},
        {"Rec. 2020", [&](double x) { return rec2020.linearFloatToGamma(x); }, 1.0, 0.0, 1.0},
        {"power law", [&](double x) { return powerLaw.linearFloatToGamma(x); }, 1.0, 0.0, 1.0},
    };
    constexpr int kSteps = 100000;
    for (const auto& c : curves) {
        EXPECT_NEAR(c.curve(0.0), c.atZero, 1e-6) << c.name;
        EXPECT_NEAR(c.curve(c.last), c.atLast, 0.1) << c.name;
        double previous = c.curve(0.0);
        for (int i = 1; i <= kSteps; ++i) {
            const double value = c.curve(c.last * i / kSteps);
            ASSERT_GT(value, previous) << c.name << " at " << c.last * i / kSteps;
            previous = value;
        }
    }
    EXPECT_NEAR(Pixel::applyHlgOETF(1.0), 1.0, 1e-8);
    EXPECT_NEAR(rec2020.linearFloatToGamma(1.0), 1.0, 1e-12);
}

TEST(TransferFunctions, InverseCurvesGiveEveryTenBitCodeBack)
{
    for (int code = 0; code <= 1023; ++code) {
        const double signal = code / 1023.0;
        EXPECT_NEAR(Pixel::applyPqInverseEOTF(TransferFunctions::pqToLight(signal)) * 1023, code, 1e-6) << code;
        EXPECT_NEAR(Pixel::applyHlgOETF(TransferFunctions::hlgToScene(signal)) * 1023, code, 1e-6) << code;
        if (code < 95) continue;  // below the S-Log3 black
        EXPECT_NEAR(sLog3(TransferFunctions::sLog3ToLight(code, false)), code, 1e-6) << code;
        const double live = TransferFunctions::sLog3ToLight(code, true);
        EXPECT_NEAR(sLog3(Pixel::applySLog3InverseOOTF(live)), code, 1e-6) << code;
    }
}
