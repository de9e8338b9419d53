#include "patterns/pm5544/PM5544Palette.h"

namespace PM5544Palette {

namespace {

constexpr int kWideTableBits = 12;
constexpr int kNarrowTableBits = 10;

// Slot 8 of the 12-bit R'G'B' table (2948, 512, 2948) and slot 4 of every
// 10-bit table (602) are not what their neighbours suggest; they are the
// codes the card has always had and stay as they are.
constexpr Codes kRgb219Bits12[kSlotCount] = {
    {256, 256, 256},    {957, 957, 957},    {1658, 1658, 1658}, {2008, 2008, 2008},
    {2358, 2358, 2358}, {2884, 2884, 2884}, {3059, 3059, 3059}, {3760, 3760, 3760},
    {2948, 512, 2948},  {2884, 2884, 256},  {2884, 256, 256},   {256, 2884, 2884},
    {256, 256, 2884},   {256, 2884, 256},   {3760, 256, 3760},  {256, 256, 3760},
};

constexpr Codes kRgb219Bits10[kSlotCount] = {
    {64, 64, 64},    {239, 239, 239}, {414, 414, 414}, {502, 502, 502}, {602, 602, 602}, {721, 721, 721},
    {765, 765, 765}, {940, 940, 940}, {721, 64, 721},  {721, 721, 64},  {721, 64, 64},   {64, 721, 721},
    {64, 64, 721},   {64, 721, 64},   {940, 64, 940},  {64, 64, 940},
};

constexpr Codes kYCbCr709Bits12[kSlotCount] = {
    {256, 2048, 2048},  {957, 2048, 2048},  {1658, 2048, 2048}, {2008, 2048, 2048},
    {2358, 2048, 2048}, {2884, 2048, 2048}, {3059, 2048, 2048}, {3760, 2048, 2048},
    {2694, 704, 2171},  {2325, 2356, 704},  {2136, 1012, 827},  {1004, 3084, 3269},
    {815, 1740, 3392},  {446, 3392, 1925},  {3507, 256, 2212},  {1001, 1637, 3840},
};

constexpr Codes kYCbCr709Bits10[kSlotCount] = {
    {64, 512, 512},  {239, 512, 512}, {414, 512, 512}, {502, 512, 512}, {602, 512, 512}, {721, 512, 512},
    {765, 512, 512}, {940, 512, 512}, {674, 176, 543}, {581, 589, 176}, {534, 253, 207}, {251, 771, 817},
    {204, 435, 848}, {111, 848, 481}, {877, 64, 553},  {250, 409, 960},
};

constexpr Codes kYCbCr2020Bits12[kSlotCount] = {
    {256, 2048, 2048},  {957, 2048, 2048},  {1658, 2048, 2048}, {2008, 2048, 2048},
    {2358, 2048, 2048}, {2884, 2048, 2048}, {3059, 2048, 2048}, {3760, 2048, 2048},
    {2728, 704, 2156},  {2194, 2423, 704},  {2038, 1079, 812},  {1102, 3017, 3284},
    {946, 1673, 3392},  {412, 3392, 1940},  {3552, 256, 2192},  {1177, 1548, 3840},
};

constexpr Codes kYCbCr2020Bits10[kSlotCount] = {
    {64, 512, 512},  {239, 512, 512}, {414, 512, 512}, {502, 512, 512}, {602, 512, 512}, {721, 512, 512},
    {765, 512, 512}, {940, 512, 512}, {682, 176, 539}, {548, 606, 176}, {509, 270, 203}, {276, 754, 821},
    {237, 418, 848}, {103, 848, 485}, {888, 64, 548},  {294, 387, 960},
};

}  // namespace

int tableBits(int canvasBits)
{
    return canvasBits == kNarrowTableBits ? kNarrowTableBits : kWideTableBits;
}

PatternGen::colorAxes_e tableAxes(Table table)
{
    switch (table) {
    case Table::YCbCr709: return PatternGen::Colour_YCbCr_709;
    case Table::YCbCr2020: return PatternGen::Colour_YCbCr_2020;
    case Table::Rgb219: break;
    }
    return PatternGen::Colour_RGB_219;
}

const Codes* tableCodes(Table table, int bits)
{
    const bool narrow = bits == kNarrowTableBits;
    switch (table) {
    case Table::YCbCr709: return narrow ? kYCbCr709Bits10 : kYCbCr709Bits12;
    case Table::YCbCr2020: return narrow ? kYCbCr2020Bits10 : kYCbCr2020Bits12;
    case Table::Rgb219: break;
    }
    return narrow ? kRgb219Bits10 : kRgb219Bits12;
}

}  // namespace PM5544Palette
