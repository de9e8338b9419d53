// Chains of known effect applied in memory to the card's own codes: each
// measure must read what the chain is known to have done, and nothing else.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "MeasureChain.h"
#include "inspect/measure/LegalCodes.h"
#include "inspect/measure/MeasureLimits.h"
#include "tools/MathConstants.h"

namespace {

constexpr int kCr = MeasureFrame::kCrOrR;
constexpr int kY = MeasureFrame::kYOrG;
constexpr int kCb = MeasureFrame::kCbOrB;
const std::vector<int> kChroma{kCr, kCb};
const std::vector<int> kLuma{kY};

struct Card {
    RunSettings settings;
    CardReference reference;
    MeasureCanvas canvas;
    explicit Card(const RunSettings& s)
        : settings(s), reference(CardReference::render(s)), canvas(measureCanvasOf(s, reference))
    {
    }
    Measurement measure(const MeasureFrame& capture) const { return measureCapture(capture, reference, canvas); }
};

// Most chains need no more than a small card: 640x480 (4:3, 13.5 MHz).
const Card& small10()
{
    static const Card card(canvasOf(640, 480, PatternGen::Colour_YCbCr_709, 10));
    return card;
}

void expectUnchangedApartFromPosition(const Measurement& m, const std::string& chain)
{
    EXPECT_NEAR(m.levels.gain, 1, 1e-9) << chain;
    EXPECT_NEAR(m.levels.offset, 0, 1e-9) << chain;
    EXPECT_NEAR(m.bars.chromaGain, 1, 1e-9) << chain;
    for (const GratingResponse& g : m.frequencyResponse)
        EXPECT_NEAR(g.db, 0, 1e-9) << chain << " grating " << g.grating;
    for (double d : m.chromaDelay.samples) EXPECT_NEAR(d, 0, 1e-9) << chain;
    for (double n : m.noise.rms) EXPECT_EQ(n, 0) << chain;
    EXPECT_TRUE(m.noise.atFloor) << chain;
    EXPECT_TRUE(m.diagnoses.empty()) << chain;
}

// The Y'CbCr codes of one matrix decoded to R'G'B' and encoded again with another (studio range).
MeasureFrame rematrixed(const MeasureFrame& in, double decodeKr, double decodeKb, double encodeKr, double encodeKb)
{
    const double s = std::ldexp(1.0, in.bitDepth - 8);
    const double mid = std::ldexp(1.0, in.bitDepth - 1);
    MeasureFrame out = in;
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            const double luma = (in.code(kY, x, y) - 16 * s) / (219 * s);
            const double cb = (in.code(kCb, x, y) - mid) / (224 * s);
            const double cr = (in.code(kCr, x, y) - mid) / (224 * s);
            const double r = luma + 2 * (1 - decodeKr) * cr;
            const double b = luma + 2 * (1 - decodeKb) * cb;
            const double g = (luma - decodeKr * r - decodeKb * b) / (1 - decodeKr - decodeKb);
            const double y2 = encodeKr * r + (1 - encodeKr - encodeKb) * g + encodeKb * b;
            out.at(kY, x, y) = toCode(16 * s + y2 * 219 * s, in.bitDepth);
            out.at(kCb, x, y) = toCode(mid + (b - y2) / (2 * (1 - encodeKb)) * 224 * s, in.bitDepth);
            out.at(kCr, x, y) = toCode(mid + (r - y2) / (2 * (1 - encodeKr)) * 224 * s, in.bitDepth);
        }
    }
    return out;
}

// Each sample `share` of the way from a to b.
MeasureFrame partWay(const MeasureFrame& a, const MeasureFrame& b, double share)
{
    return mapped(a, kAllPlanes, [&](int p, int x, int y, const MeasureFrame& f) {
        return f.code(p, x, y) + share * (b.code(p, x, y) - f.code(p, x, y));
    });
}

}  // namespace

TEST(MeasureChains, IdentityIsIdealOnEveryKindOfCanvas)
{
    const RunSettings canvases[] = {
        canvasOf(1280, 720, PatternGen::Colour_YCbCr_709, 10),
        canvasOf(640, 480, PatternGen::Colour_YCbCr_709, 8, PatternGen::Sampling_422),
        canvasOf(720, 576, PatternGen::Colour_YCbCr_601, 10, PatternGen::Sampling_422),
        canvasOf(640, 480, PatternGen::Colour_RGB, 12),
    };
    for (const RunSettings& s : canvases) {
        const Card card(s);
        const Measurement m = card.measure(card.reference.frame);
        const std::string name = asOptions(s);
        EXPECT_EQ(m.registration.dx, 0) << name;
        EXPECT_EQ(m.registration.dy, 0) << name;
        expectUnchangedApartFromPosition(m, name);
        ASSERT_EQ(m.levels.greyScale.size(), 6u) << name;
        ASSERT_EQ(m.bars.bars.size(), 6u) << name;
        EXPECT_EQ(m.bars.bars[0].name, "yellow");
        EXPECT_EQ(m.bars.bars[5].name, "blue");
        for (const GratingResponse& g : m.frequencyResponse) EXPECT_TRUE(g.measurable) << name << " " << g.grating;
        EXPECT_TRUE(m.chromaDelay.measured[0] && m.chromaDelay.measured[1]) << name;
        EXPECT_EQ(m.levels.clippedLow + m.levels.clippedHigh, 0) << name;
        for (double p : m.psnrDb) EXPECT_TRUE(std::isinf(p)) << name;
    }
}

TEST(MeasureChains, LumaGainAndOffsetAreFittedOverTheGreyScale)
{
    const Card& card = small10();
    const double black = card.canvas.black;
    const MeasureFrame capture = mapped(card.reference.frame, kLuma, [&](int p, int x, int y, const MeasureFrame& f) {
        return black + 1.05 * (f.code(p, x, y) - black) - 10;
    });
    const Measurement m = card.measure(capture);
    // measured = 1.05 reference - 10 - 0.05 black, rounded to codes
    EXPECT_NEAR(m.levels.gain, 1.05, 1e-3);
    EXPECT_NEAR(m.levels.offset, -10 - 0.05 * black, 0.5);
    EXPECT_LT(std::abs(m.levels.largestStepDeviation), 0.5);
    EXPECT_NEAR(m.levels.white.measured - m.levels.white.reference, 0.05 * (940 - black) - 10, 0.5);
    // A change of level is not noise.
    for (double n : m.noise.rms) EXPECT_LT(n, 0.5);

    // Clipping is counted on Y' alone: colour differences pushed to the range's
    // ends as well are not levels (and on a 4:2:2 card each would count twice).
    const LegalCodes legal = LegalCodes::of(card.canvas);
    const MeasureFrame clipped =
        mapped(card.reference.frame, kAllPlanes, [&](int p, int x, int y, const MeasureFrame& f) {
            return std::max<double>(legal.lowest, f.code(p, x, y) - 100);
        });
    long long clippedY = 0;
    for (int y = 0; y < card.reference.frame.height; ++y) {
        for (int x = 0; x < card.reference.frame.width; ++x) {
            const int code = card.reference.frame.code(kY, x, y);
            clippedY += code - 100 <= legal.lowest && code > legal.lowest;
        }
    }
    const Measurement low = card.measure(clipped);
    EXPECT_GT(clippedY, 0);
    EXPECT_EQ(low.levels.clippedLow, clippedY);
    EXPECT_EQ(low.levels.clippedHigh, 0);
}

TEST(MeasureChains, RegistrationFindsWholeAndHalfSampleShifts)
{
    const Card& card = small10();
    const std::vector<double> halfSample{-1 / 16.0, 9 / 16.0, 9 / 16.0, -1 / 16.0};
    const struct {
        const char* chain;
        MeasureFrame capture;
        double dx, dy, within;
    } cases[] = {
        {"3 right, 2 up", shifted(card.reference.frame, kAllPlanes, 3, -2), 3, -2, 0},
        {"17 left, 5 down", shifted(card.reference.frame, kAllPlanes, -17, 5), -17, 5, 0},
        {"half a sample right", filtered(card.reference.frame, kAllPlanes, halfSample, 1), 0.5, 0, 0.02},
        {"half a line down", filteredVertically(card.reference.frame, kAllPlanes, halfSample, 1), 0, 0.5, 0.02},
        {"a sample and a half left", filtered(card.reference.frame, kAllPlanes, {0.5, 0.5}, 2), -1.5, 0, 0.02},
    };
    for (const auto& c : cases) {
        const Measurement m = card.measure(c.capture);
        EXPECT_NEAR(m.registration.dx, c.dx, c.within) << c.chain;
        EXPECT_NEAR(m.registration.dy, c.dy, c.within) << c.chain;
        EXPECT_GT(m.registration.correlation, 0.9) << c.chain;
        if (c.within == 0) expectUnchangedApartFromPosition(m, c.chain);
    }
    // Pictures no shift searched makes like the card: one further off than
    // the search (a 512 x 256 window here), the card mirrored. They are said
    // to be no measure of a chain, first, and fail the built-in limits.
    const struct {
        const char* chain;
        MeasureFrame capture;
    } unlike[] = {
        {"300 right", shifted(card.reference.frame, kAllPlanes, 300, 0)},
        {"mirrored", mapped(card.reference.frame, kAllPlanes,
                            [](int p, int x, int y, const MeasureFrame& f) { return f.code(p, f.width - 1 - x, y); })},
    };
    for (const auto& c : unlike) {
        const Measurement m = card.measure(c.capture);
        EXPECT_LT(m.registration.correlation, kLeastRegisteredCorrelation) << c.chain;
        ASSERT_FALSE(m.diagnoses.empty()) << c.chain;
        EXPECT_NE(m.diagnoses[0].find("not like the card"), std::string::npos) << c.chain << ": " << m.diagnoses[0];
        bool failed = false;
        for (const LimitCheck& check : checkLimits(m, LimitSet::builtIn())) {
            failed = failed || (check.name == "registration_correlation" && !check.passed);
        }
        EXPECT_TRUE(failed) << c.chain;
    }
}

TEST(MeasureChains, GratingResponseIsTheFiltersAtEachPeriod)
{
    // (1 2 1) / 4 has the response 0.5 + 0.5 cos(2 pi / p) at period p.
    for (int bits : {10, 8}) {
        const Card card(canvasOf(1280, 720, PatternGen::Colour_YCbCr_709, bits));
        const Measurement m = card.measure(filtered(card.reference.frame, kLuma, {0.25, 0.5, 0.25}, 1));
        const double within = bits == 10 ? 0.03 : 0.05;
        ASSERT_EQ(m.frequencyResponse.size(), 5u);
        for (const GratingResponse& g : m.frequencyResponse) {
            const double expected = 20 * std::log10(0.5 + 0.5 * std::cos(2 * MathConstants::kPi / g.periodSamples));
            EXPECT_NEAR(g.db, expected, within) << bits << " bits, grating " << g.grating;
        }
        EXPECT_EQ(m.frequencyResponse[0].periodSamples, 46);  // 74.25 MHz / 1.6 MHz, truncated
        EXPECT_NEAR(m.frequencyResponse[4].mhz, 74.25 / 7, 1e-9);
    }
}

TEST(MeasureChains, HalfTheSampleRateIsMeasuredOnlyAtAWholeShift)
{
    const Card card(canvasOf(640, 480, PatternGen::Colour_YCbCr_601, 10));
    const Measurement whole = card.measure(shifted(card.reference.frame, kAllPlanes, 1, 0));
    const Measurement half = card.measure(filtered(card.reference.frame, kAllPlanes, {0.5, 0.5}, 0));
    ASSERT_EQ(whole.frequencyResponse[4].periodSamples, 2);
    EXPECT_TRUE(whole.frequencyResponse[4].measurable);
    EXPECT_FALSE(half.frequencyResponse[4].measurable);
    EXPECT_TRUE(half.frequencyResponse[3].measurable);
}

TEST(MeasureChains, ChromaDelayIsChromaAgainstLuma)
{
    const Card& card = small10();
    const struct {
        const char* chain;
        MeasureFrame capture;
        double samples;
    } cases[] = {
        {"chroma a sample late", shifted(card.reference.frame, kChroma, 1, 0), 1},
        {"chroma half a sample late", filtered(card.reference.frame, kChroma, {0.5, 0.5}, 0), 0.5},
        {"luma half a sample late", filtered(card.reference.frame, kLuma, {0.5, 0.5}, 0), -0.5},
        {"chroma two samples early, all a line down",
         shifted(shifted(card.reference.frame, kChroma, -2, 0), kAllPlanes, 0, 1), -2},
    };
    for (const auto& c : cases) {
        const Measurement m = card.measure(c.capture);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_NEAR(m.chromaDelay.samples[i], c.samples, 0.05) << c.chain << " " << card.canvas.chromaNames[i];
            EXPECT_NEAR(m.chromaDelay.ns[i], c.samples / card.canvas.sampleRateHz * 1e9, 0.7) << c.chain;
        }
    }
}

TEST(MeasureChains, NoiseOfKnownSigmaAndTheQuantisationFloor)
{
    const Card& card = small10();
    const struct {
        double sigma;
        bool atFloor;
    } cases[] = {{0.25, true}, {0.33, true}, {1, false}, {4, false}};  // 0.33: about 68 dB, within 3 dB of 69.6
    for (const auto& c : cases) {
        const Measurement m = card.measure(noisy(card.reference.frame, c.sigma, 7));
        // Rounding to codes adds a variance of 1/12 (less for small sigma, whose samples mostly round back).
        const double rms = std::sqrt(c.sigma * c.sigma + 1.0 / 12);
        if (c.sigma >= 1) {
            for (double n : m.noise.rms) EXPECT_NEAR(n, rms, 0.02 * rms) << c.sigma;
            EXPECT_NEAR(m.noise.snrDb, 20 * std::log10(876 / rms), 0.2) << c.sigma;
        }
        EXPECT_EQ(m.noise.atFloor, c.atFloor) << c.sigma << ": " << m.noise.snrDb << " dB";
        EXPECT_NEAR(m.levels.gain, 1, 1e-3) << c.sigma;
        EXPECT_TRUE(m.diagnoses.empty()) << c.sigma;
    }
    EXPECT_NEAR(card.measure(card.reference.frame).noise.floorDb, 69.6, 0.05);
    EXPECT_NEAR(
        Card(canvasOf(640, 480, PatternGen::Colour_YCbCr_709, 8)).measure(small10().reference.frame).noise.floorDb,
        57.6, 0.05);
}

TEST(MeasureChains, KnownMistakesAreNamed)
{
    const Card& card709 = small10();
    const Card card601(canvasOf(640, 480, PatternGen::Colour_YCbCr_601, 10));
    const Card fullRange(canvasOf(640, 480, PatternGen::Colour_RGB, 10));  // R'G'B' codes on the whole range
    const MeasureFrame& c709 = card709.reference.frame;
    const double s = 4;  // 10-bit codes per 8-bit code
    const struct {
        const char* chain;
        const Card& card;
        MeasureFrame capture;
        std::string diagnosis;
    } cases[] = {
        {"601 encoding on a 709 card", card709, rematrixed(c709, 0.2126, 0.0722, 0.299, 0.114),
         "the Rec. 601 matrix on a Rec. 709 card (encoded with it)"},
        {"709 encoding on a 601 card", card601, rematrixed(card601.reference.frame, 0.299, 0.114, 0.2126, 0.0722),
         "the Rec. 709 matrix on a Rec. 601 card (encoded with it)"},
        {"Cb and Cr swapped", card709,
         mapped(c709, kChroma, [](int p, int x, int y, const MeasureFrame& f) { return f.code(kCr + kCb - p, x, y); }),
         "Cb and Cr swapped"},
        {"studio codes stretched to full range", card709,
         mapped(c709, kAllPlanes,
                [&](int p, int x, int y, const MeasureFrame& f) {
                    return p == kY ? (f.code(p, x, y) - 16 * s) * 255 / 219 : 512 + (f.code(p, x, y) - 512) * 255 / 224;
                }),
         "full-range codes where studio-range codes belong"},
        {"studio codes taken for full-range and squeezed", card709,
         mapped(c709, kAllPlanes,
                [&](int p, int x, int y, const MeasureFrame& f) {
                    return p == kY ? 16 * s + f.code(p, x, y) * 219 / 255 : 512 + (f.code(p, x, y) - 512) * 224 / 255;
                }),
         "studio-range codes squeezed as if they were full-range"},
        {"full-range codes squeezed to studio", fullRange,
         mapped(fullRange.reference.frame, kAllPlanes,
                [&](int p, int x, int y, const MeasureFrame& f) { return 16 * s + f.code(p, x, y) * 219 * s / 1023; }),
         "studio-range codes where full-range codes belong"},
        // The mistake explains only two thirds of what such a chain did: not named.
        {"three quarters of the way to the 601 matrix", card709,
         partWay(c709, rematrixed(c709, 0.2126, 0.0722, 0.299, 0.114), 0.75), ""},
        {"a luma gain alone", card709,
         mapped(c709, kLuma,
                [](int p, int x, int y, const MeasureFrame& f) { return 64 + (f.code(p, x, y) - 64) * 1.03; }),
         ""},
    };
    for (const auto& c : cases) {
        const Measurement m = c.card.measure(c.capture);
        if (c.diagnosis.empty()) {
            EXPECT_TRUE(m.diagnoses.empty()) << c.chain << ": " << (m.diagnoses.empty() ? "" : m.diagnoses[0]);
        } else {
            ASSERT_EQ(m.diagnoses.size(), 1u) << c.chain;
            EXPECT_EQ(m.diagnoses[0], c.diagnosis) << c.chain;
        }
    }
    // Swapped colour differences turn the bars' chroma vectors about the Cb = Cr diagonal.
    const Measurement swapped = card709.measure(cases[2].capture);
    EXPECT_NEAR(swapped.bars.bars[0].chromaGain, 1, 1e-9);
    EXPECT_GT(std::abs(swapped.bars.bars[0].chromaPhaseDeg), 10);
}
