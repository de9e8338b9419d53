// The colour self-test: recomputes reference colours with the Pixel
// operations and prints every result that differs from its reference.
// Differences are reported, never judged; some are expected (for instance
// 10-bit HDR results compared with 12-bit references).
#include "tools/UnitTests.h"

#include <array>
#include <cstdio>
#include <initializer_list>

#include "tools/Pixel.h"

namespace {

using PatternGen::colorAxes_e;

// The colours a reference set may hold. Not every set holds every colour.
enum Colour { White, Yellow, Cyan, Green, Magenta, Red, Blue, Black, Grey40, InPhase, Quadrature, ColourCount };

using ColourSet = std::array<Pixel, ColourCount>;

// One entry of a reference set, in constructor order: Y' (or G), Cb (or B), Cr (or R).
struct Entry {
    Colour colour;
    int y;
    int cb;
    int cr;
};

constexpr int kReferenceBitDepth = 12;
constexpr int kTenBit = 10;
constexpr int kEightBit = 8;

ColourSet makeSet(colorAxes_e axes, int bitDepth, std::initializer_list<Entry> entries)
{
    ColourSet set;
    for (const Entry& entry : entries) {
        set[entry.colour] = Pixel(entry.y, entry.cb, entry.cr, axes, bitDepth);
    }
    return set;
}

// One printed comparison: the label and the colour it names.
struct Check {
    const char* label;
    Colour colour;
};

// Prints the differences between operation(source colour) and the reference
// colour of the same name, row by row.
template <typename Operation>
void compare(const ColourSet& source, const ColourSet& reference, std::initializer_list<Check> checks,
             Operation operation)
{
    for (const Check& check : checks) {
        operation(source[check.colour]).printDiff(check.label, reference[check.colour]);
    }
}

// Reference sets, 12 bits studio range unless a depth is given. They are
// built afresh on each call: the self-test runs once per process.
ColourSet rgb100()
{
    return makeSet(PatternGen::Colour_RGB, kReferenceBitDepth,
                   {{White, 4095, 4095, 4095},
                    {Yellow, 4095, 0, 4095},
                    {Cyan, 4095, 4095, 0},
                    {Green, 4095, 0, 0},
                    {Magenta, 0, 4095, 4095},
                    {Red, 0, 0, 4095},
                    {Blue, 0, 4095, 0},
                    {Black, 0, 0, 0}});
}

ColourSet rgb75()
{
    return makeSet(PatternGen::Colour_RGB, kReferenceBitDepth,
                   {{White, 3071, 3071, 3071},
                    {Yellow, 3071, 0, 3071},
                    {Cyan, 3071, 3071, 0},
                    {Green, 3071, 0, 0},
                    {Magenta, 0, 3071, 3071},
                    {Red, 0, 0, 3071},
                    {Blue, 0, 3071, 0},
                    {Grey40, 1638, 1638, 1638}});
}

ColourSet rgb219()
{
    return makeSet(PatternGen::Colour_RGB_219, kReferenceBitDepth,
                   {{White, 3760, 3760, 3760},
                    {Yellow, 3760, 256, 3760},
                    {Cyan, 3760, 3760, 256},
                    {Green, 3760, 256, 256},
                    {Magenta, 256, 3760, 3760},
                    {Red, 256, 256, 3760},
                    {Blue, 256, 3760, 256},
                    {Black, 256, 256, 256}});
}

ColourSet ycc709()
{
    return makeSet(PatternGen::Colour_YCbCr_709, kReferenceBitDepth,
                   {{White, 3760, 2048, 2048},
                    {Yellow, 3507, 256, 2212},
                    {Cyan, 3015, 2459, 256},
                    {Green, 2763, 667, 420},
                    {Magenta, 1253, 3429, 3676},
                    {Red, 1001, 1637, 3840},
                    {Blue, 509, 3840, 1884},
                    {Black, 256, 2048, 2048},
                    {InPhase, 980, 1648, 2516},
                    {Quadrature, 564, 2788, 2424}});
}

ColourSet ycc601()
{
    return makeSet(PatternGen::Colour_YCbCr_601, kReferenceBitDepth,
                   {{White, 3760, 2048, 2048},
                    {Yellow, 3360, 256, 2336},
                    {Cyan, 2704, 2656, 256},
                    {Green, 2304, 864, 544},
                    {Magenta, 1696, 3232, 3552},
                    {Red, 1296, 1440, 3840},
                    {Blue, 640, 3840, 1760},
                    {Black, 256, 2048, 2048}});
}

ColourSet ycc709at75()
{
    return makeSet(PatternGen::Colour_YCbCr_709, kReferenceBitDepth,
                   {{White, 2884, 2048, 2048},
                    {Yellow, 2694, 704, 2171},
                    {Cyan, 2325, 2356, 704},
                    {Green, 2136, 1012, 827},
                    {Magenta, 1004, 3084, 3269},
                    {Red, 815, 1740, 3392},
                    {Blue, 446, 3392, 1925},
                    {Grey40, 1658, 2048, 2048}});
}

ColourSet ycc2020at75()
{
    return makeSet(PatternGen::Colour_YCbCr_2020, kReferenceBitDepth,
                   {{Yellow, 2728, 704, 2156},
                    {Cyan, 2194, 2423, 704},
                    {Green, 2038, 1079, 812},
                    {Magenta, 1102, 3017, 3284},
                    {Red, 946, 1673, 3392},
                    {Blue, 412, 3392, 1940}});
}

ColourSet ycc709at10Bits()
{
    return makeSet(PatternGen::Colour_YCbCr_709, kTenBit,
                   {{White, 940, 512, 512},
                    {Yellow, 877, 63, 553},
                    {Cyan, 754, 615, 63},
                    {Green, 691, 166, 104},
                    {Magenta, 313, 857, 919},
                    {Red, 250, 408, 960},
                    {Blue, 127, 960, 470}});
}

ColourSet ycc709at75At8Bits()
{
    return makeSet(PatternGen::Colour_YCbCr_709, kEightBit,
                   {{White, 180, 128, 128},
                    {Yellow, 168, 44, 136},
                    {Cyan, 145, 147, 44},
                    {Green, 133, 63, 52},
                    {Magenta, 63, 193, 204},
                    {Red, 51, 109, 212},
                    {Blue, 28, 212, 120}});
}

ColourSet ycc709at75At10Bits()
{
    return makeSet(PatternGen::Colour_YCbCr_709, kTenBit,
                   {{Yellow, 674, 176, 543},
                    {Cyan, 581, 589, 176},
                    {Green, 534, 253, 207},
                    {Magenta, 251, 771, 817},
                    {Red, 204, 435, 848},
                    {Blue, 111, 848, 481},
                    {Grey40, 414, 512, 512}});
}

// Only the code values of this set take part in comparisons, so it is built
// on the 709 axes.
ColourSet ycc2020at75At10Bits()
{
    return makeSet(PatternGen::Colour_YCbCr_709, kTenBit,
                   {{Yellow, 682, 176, 539},
                    {Cyan, 548, 606, 176},
                    {Green, 509, 270, 203},
                    {Magenta, 276, 754, 821},
                    {Red, 237, 418, 848},
                    {Blue, 103, 848, 485}});
}

ColourSet sLog3At10Bits()
{
    return makeSet(PatternGen::Colour_YCbCr_SLog3, kTenBit,
                   {{White, 552, 512, 512},
                    {Yellow, 551, 421, 507},
                    {Cyan, 525, 524, 476},
                    {Green, 520, 428, 464},
                    {Magenta, 423, 569, 574},
                    {Red, 372, 443, 600},
                    {Blue, 341, 608, 506},
                    {Grey40, 410, 512, 512}});
}

ColourSet pq()
{
    return makeSet(PatternGen::Colour_YCbCr_PQ, kReferenceBitDepth,
                   {{White, 2036, 2048, 2048},
                    {Yellow, 1988, 1684, 2071},
                    {Cyan, 1931, 2102, 1889},
                    {Green, 1873, 1721, 1902},
                    {Magenta, 1463, 2342, 2350},
                    {Red, 1363, 1783, 2403},
                    {Blue, 950, 2617, 2144},
                    {Black, 256, 2048, 2048}});
}

ColourSet pqAt10Bits()
{
    return makeSet(PatternGen::Colour_YCbCr_PQ, kTenBit,
                   {{White, 509, 512, 512},
                    {Yellow, 497, 421, 518},
                    {Cyan, 483, 526, 472},
                    {Green, 468, 430, 476},
                    {Magenta, 366, 585, 587},
                    {Red, 341, 446, 601},
                    {Blue, 238, 654, 536}});
}

// The HLG white reference is kept on the PQ axes; only its code values are compared.
Pixel hlgWhite()
{
    return Pixel(502, 512, 512, PatternGen::Colour_YCbCr_PQ, kTenBit);
}
Pixel white95()
{
    return Pixel(243, 243, 242, PatternGen::Colour_RGB_219, kTenBit);
}

auto convertingTo(colorAxes_e axes)
{
    return [axes](const Pixel& pixel) { return pixel.convertTo(axes); };
}

// Bar scaling from 100 % to 75 %.
constexpr int kBar75Numerator = 75;
constexpr int kBar95Numerator = 95;
constexpr int kPercent = 100;

Pixel scaleTo75(const Pixel& pixel)
{
    return pixel.scale(kBar75Numerator, kPercent);
}

}  // namespace

int UnitTests::runUnitTests(int width, int height, int aspectWidth, int aspectHeight, colorAxes_e /*axes*/)
{
    printf("Width x Height: %dx%d\n", width, height);
    printf("Aspect: %d:%d\n", aspectWidth, aspectHeight);
    printf("Pixel aspect: 1:%.3lf\n",
           static_cast<double>(aspectHeight) * width / (static_cast<double>(aspectWidth) * height));

    printf("\nCheck 75%% scaling\n");
    compare(ycc709(), ycc709at75(),
            {{"  White75   ", White},
             {"  Yellow75  ", Yellow},
             {"  Cyan75    ", Cyan},
             {"  Green75   ", Green},
             {"  Magenta75 ", Magenta},
             {"  Red75     ", Red},
             {"  Blue75    ", Blue}},
            scaleTo75);

    const std::initializer_list<Check> checks75At8Bits = {
        {"  White75_8   ", White},   {"  Yellow75_8  ", Yellow}, {"  Cyan75_8    ", Cyan}, {"  Green75_8   ", Green},
        {"  Magenta75_8 ", Magenta}, {"  Red75_8     ", Red},    {"  Blue75_8    ", Blue}};
    puts("\nCheck 8 bit truncation");
    compare(ycc709(), ycc709at75At8Bits(), checks75At8Bits,
            [](const Pixel& pixel) { return scaleTo75(pixel).truncateTo(kEightBit); });
    puts("\nCheck 8 bit rounding");
    compare(ycc709(), ycc709at75At8Bits(), checks75At8Bits,
            [](const Pixel& pixel) { return scaleTo75(pixel).roundTo(kEightBit); });

    auto roundTo10 = [](const Pixel& pixel) { return pixel.roundTo(kTenBit); };
    puts("\nCheck 10 bit rounding");
    compare(ycc709(), ycc709at10Bits(),
            {{"  White_709_10   ", White},
             {"  Yellow_709_10  ", Yellow},
             {"  Cyan_709_10    ", Cyan},
             {"  Green_709_10   ", Green},
             {"  Magenta_709_10 ", Magenta},
             {"  Red_709_10     ", Red},
             {"  Blue_709_10    ", Blue}},
            roundTo10);

    printf("\nCheck 75%% 10 bit rounding\n");
    compare(ycc709at75(), ycc709at75At10Bits(),
            {{"  Yellow_709_10  ", Yellow},
             {"  Cyan_709_10    ", Cyan},
             {"  Green_709_10   ", Green},
             {"  Magenta_709_10 ", Magenta},
             {"  Red_709_10     ", Red},
             {"  Blue_709_10    ", Blue},
             {"  Grey 40%% 709_10    ", Grey40}},
            roundTo10);

    printf("\nCheck 2020 75%% 10 bit rounding\n");
    compare(ycc2020at75(), ycc2020at75At10Bits(),
            {{"  Yellow_2020_10  ", Yellow},
             {"  Cyan_2020_10    ", Cyan},
             {"  Green_2020_10   ", Green},
             {"  Magenta_2020_10 ", Magenta},
             {"  Red_2020_10     ", Red},
             {"  Blue_2020_10    ", Blue}},
            roundTo10);

    puts("\nCheck RGB - YCbCr Maths");
    compare(rgb100(), ycc709(),
            {{"  White 709   ", White},
             {"  Yellow 709  ", Yellow},
             {"  Cyan 709    ", Cyan},
             {"  Magenta 709 ", Magenta},
             {"  Green 709   ", Green},
             {"  Red 709     ", Red},
             {"  Blue 709    ", Blue},
             {"  Black 709   ", Black}},
            convertingTo(PatternGen::Colour_YCbCr_709));
    puts("");
    compare(rgb100(), ycc601(),
            {{"  White 601   ", White},
             {"  Yellow 601  ", Yellow},
             {"  Cyan 601    ", Cyan},
             {"  Magenta 601 ", Magenta},
             {"  Green 601   ", Green},
             {"  Red 601     ", Red},
             {"  Blue 601    ", Blue},
             {"  Black 601   ", Black}},
            convertingTo(PatternGen::Colour_YCbCr_601));

    // The Y'CbCr 601 colours computed just above, for the round trips below.
    ColourSet computed601;
    for (int colour = White; colour <= Black; ++colour) {
        computed601[colour] = rgb100()[colour].convertTo(PatternGen::Colour_YCbCr_601);
    }

    puts("\nCheck RGB - YCbCr - RGB Maths");
    compare(computed601, rgb100(),
            {{"  White RGB   ", White},
             {"  Yellow RGB  ", Yellow},
             {"  Cyan RGB    ", Cyan},
             {"  Magenta RGB ", Magenta},
             {"  Green RGB   ", Green},
             {"  Red RGB     ", Red},
             {"  Blue RGB    ", Blue},
             {"  Black RGB   ", Black}},
            convertingTo(PatternGen::Colour_RGB));

    // White and yellow start from the 601 references, the others from the
    // computed 601 colours.
    ColourSet headroomSource = computed601;
    headroomSource[White] = ycc601()[White];
    headroomSource[Yellow] = ycc601()[Yellow];
    puts("\nCheck YCbCr - RGB headroom Maths");
    compare(headroomSource, rgb219(),
            {{"  White RGB_studio   ", White},
             {"  Yellow RGB_studio  ", Yellow},
             {"  Cyan RGB_studio    ", Cyan},
             {"  Magenta RGB_studio ", Magenta},
             {"  Green RGB_studio   ", Green},
             {"  Red RGB_studio     ", Red},
             {"  Blue RGB_studio    ", Blue},
             {"  Black RGB_studio   ", Black}},
            convertingTo(PatternGen::Colour_RGB_219));

    auto viaRgb219 = [](const Pixel& pixel) {
        return pixel.convertTo(PatternGen::Colour_RGB_219).convertTo(PatternGen::Colour_YCbCr_709);
    };
    auto viaRgb = [](const Pixel& pixel) {
        return pixel.convertTo(PatternGen::Colour_RGB).convertTo(PatternGen::Colour_YCbCr_709);
    };

    puts("\nCheck red and blue YCbCr - RGB-219 - and back");
    compare(ycc709(), rgb219(), {{"  R 709 conversion 219 ", Red}, {"  B 709 conversion 219 ", Blue}},
            convertingTo(PatternGen::Colour_RGB_219));
    // Compared with the 709 red and blue computed from R'G'B' in the maths check.
    ColourSet computed709;
    computed709[Red] = rgb100()[Red].convertTo(PatternGen::Colour_YCbCr_709);
    computed709[Blue] = rgb100()[Blue].convertTo(PatternGen::Colour_YCbCr_709);
    compare(ycc709(), computed709, {{"  R double conversion  ", Red}, {"  B double conversion  ", Blue}}, viaRgb219);

    const std::initializer_list<Check> checksIQ = {{"  I double conversion  ", InPhase},
                                                   {"  Q double conversion  ", Quadrature}};
    puts("\nCheck I and Q vectors YCbCr - RGB-219 - and back");
    compare(ycc709(), ycc709(), checksIQ, viaRgb219);
    puts("\nCheck I and Q vectors YCbCr - RGB - and back");
    compare(ycc709(), ycc709(), checksIQ, viaRgb);

    printf("\nCheck 95%% white rgb 219 - full RGB\n");
    white95()
        .convertTo(PatternGen::Colour_RGB)
        .printDiff("  White 95%  ", rgb100()[White].scale(kBar95Numerator, kPercent));

    puts("\nCheck 709 YCbCr - HLG 2020");
    ycc709()[White].convertTo(PatternGen::Colour_YCbCr_HLG).printDiff("  White HLG   ", hlgWhite());

    puts("\nCheck 709 YCbCr - PQ 2020");
    compare(ycc709(), pq(),
            {{"  White PQ   ", White},
             {"  Yellow PQ  ", Yellow},
             {"  Cyan PQ    ", Cyan},
             {"  Magenta PQ ", Magenta},
             {"  Green PQ   ", Green},
             {"  Red PQ     ", Red},
             {"  Blue PQ    ", Blue},
             {"  Black PQ   ", Black}},
            convertingTo(PatternGen::Colour_YCbCr_PQ));

    puts("\nCheck Ref PQ 12bits - 10 bits rounded");
    compare(pq(), pqAt10Bits(),
            {{"  White PQ   ", White},
             {"  Yellow PQ  ", Yellow},
             {"  Cyan PQ    ", Cyan},
             {"  Magenta PQ ", Magenta},
             {"  Green PQ   ", Green},
             {"  Red PQ     ", Red},
             {"  Blue PQ    ", Blue}},
            roundTo10);

    puts("\nCheck SLog3");
    compare(rgb75(), sLog3At10Bits(),
            {{"  White SLog3   ", White},
             {"  Yellow SLog3  ", Yellow},
             {"  Cyan RSLog3    ", Cyan},
             {"  Magenta SLog3 ", Magenta},
             {"  Green SLog3   ", Green},
             {"  Red SLog3     ", Red},
             {"  Blue SLog3    ", Blue},
             {"  Grey 40% SLog3   ", Grey40}},
            [](const Pixel& pixel) { return pixel.convertTo(PatternGen::Colour_YCbCr_SLog3).roundTo(kTenBit); });

    puts("\n");
    return 1;
}
