#pragma once

#include "tools/PatternGen.h"

// What the program knows about each colour-axes value: one row per value of
// PatternGen::colorAxes_e. ColourSpace's predicates, gamma type and levels,
// axisToString, the -c keywords, the pairing of R'G'B' and Y'CbCr HDR axes,
// the driver's DPX and instrument-file checks, the card's palette and the
// inspector's decoding all read these rows. A new axes value is one more row
// here (the static_asserts below count and order them) and one more case in
// each switch over the axes, which the compiler names (-Wswitch).
namespace ColourAxes {

// The components a sample carries: R'G'B', or luma and two colour
// differences. None only outside the enumeration.
enum class Components { None, RGB, YCbCr };

// The HDR transfer function the signal carries.
enum class Transfer { None, PQ, HLG, SLog3 };

// The matrix of the axes' own Y'CbCr codes; R'G'B' axes have none.
enum class Matrix { None, Rec601, Rec709, Rec2020 };

// The curve of ColourSpace's gamma functions, as its gammaType numbers it.
enum class Gamma { None = 0, PowerLaw = 1, Rec2020 = 2 };

// Black and white codes: by the range flag (studio or full); full range
// whatever the flag; or S-Log3's black code 95, white clear of the reserved
// top codes in the studio range.
enum class Levels { ByRange, AlwaysFull, SLog3 };

// How a DPX file carries a canvas on these axes: as R'G'B' (descriptor 50);
// as Y'CbCr 4:4:4 (102) when the canvas is sampled 4:4:4 and 4:2:2 (100)
// otherwise; or as 4:2:2 (100) whatever the sampling.
enum class DpxLayout { Rgb, YCbCr444Or422, YCbCr422 };

struct Facts {
    PatternGen::colorAxes_e axes;
    const char* keyword;  // of the -c option (null outside the enumeration)
    int keywordNumber;    // a number that selects it as well, or 0
    const char* name;     // the enumeration member's name, as axisToString gives it
    Components components;
    bool in2020;  // on Rec. 2020 primaries
    bool hdr;
    Transfer transfer;
    bool mapped;  // converted to linear Rec. 2020 light before the transfer function
    bool live;    // S-Log3 with the inverse OOTF
    Matrix matrix;
    Gamma gamma;
    Levels levels;
    DpxLayout dpx;
    // The axes of the other form of the same HDR signal (the R'G'B' form of a
    // Y'CbCr signal and the reverse); Colour_Axes_Count for none.
    PatternGen::colorAxes_e partner;
};

namespace detail {

using namespace PatternGen;
constexpr colorAxes_e kNoPartner = Colour_Axes_Count;
constexpr Components RGB = Components::RGB, YCbCr = Components::YCbCr;

// clang-format off
inline constexpr Facts kRows[] = {
    // axes, keyword, keyword number, name,
    //   components, in 2020, HDR, transfer, mapped, live,
    //   matrix, gamma, levels, DPX layout, partner
    {Colour_RGB, "RGB", 0, "Colour_RGB",
     RGB,   false, false, Transfer::None,  false, false,
     Matrix::None,    Gamma::PowerLaw, Levels::AlwaysFull, DpxLayout::Rgb,           kNoPartner},
    {Colour_RGB_219, "RGB-headroom", 0, "Colour_RGB_219",
     RGB,   false, false, Transfer::None,  false, false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::Rgb,           kNoPartner},
    {Colour_YCbCr_601, "601", 601, "Colour_YCbCr_601",
     YCbCr, false, false, Transfer::None,  false, false,
     Matrix::Rec601,  Gamma::None,     Levels::ByRange,    DpxLayout::YCbCr422,      kNoPartner},
    {Colour_YCbCr_709, "709", 709, "Colour_YCbCr_709",
     YCbCr, false, false, Transfer::None,  false, false,
     Matrix::Rec709,  Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr444Or422, kNoPartner},
    {Colour_YCbCr_PQ, "PQ", 0, "Colour_YCbCr_PQ",
     YCbCr, true,  true,  Transfer::PQ,    false, false,
     Matrix::Rec2020, Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_RGB_PQ},
    {Colour_YCbCr_PQ_Mapped, "PQ-Mapped", 0, "Colour_YCbCr_PQ_Mapped",
     YCbCr, true,  true,  Transfer::PQ,    true,  false,
     Matrix::Rec2020, Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_RGB_PQ_Mapped},
    {Colour_YCbCr_HLG, "HLG", 0, "Colour_YCbCr_HLG",
     YCbCr, true,  true,  Transfer::HLG,   false, false,
     Matrix::Rec2020, Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_RGB_HLG},
    {Colour_YCbCr_HLG_Mapped, "HLG-Mapped", 0, "Colour_YCbCr_HLG_Mapped",
     YCbCr, true,  true,  Transfer::HLG,   true,  false,
     Matrix::Rec2020, Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_RGB_HLG_Mapped},
    {Colour_YCbCr_2020, "2020", 2020, "Colour_YCbCr_2020",
     YCbCr, true,  false, Transfer::None,  false, false,
     Matrix::Rec2020, Gamma::Rec2020,  Levels::ByRange,    DpxLayout::YCbCr422,      kNoPartner},
    {Colour_YCbCr_SLog3, "S-Log3", 0, "Colour_YCbCr_SLog3",
     YCbCr, true,  true,  Transfer::SLog3, false, false,
     Matrix::Rec2020, Gamma::Rec2020,  Levels::SLog3,      DpxLayout::YCbCr422,      Colour_RGB_SLog3},
    {Colour_YCbCr_SLog3_Mapped, "S-Log3-Mapped", 0, "Colour_YCbCr_SLog3_Mapped",
     YCbCr, true,  true,  Transfer::SLog3, true,  false,
     Matrix::Rec2020, Gamma::Rec2020,  Levels::SLog3,      DpxLayout::YCbCr422,      Colour_RGB_SLog3_Mapped},
    {Colour_YCbCr_SLog3_Live, "S-Log3-Live", 0, "Colour_YCbCr_SLog3_Live",
     YCbCr, true,  true,  Transfer::SLog3, false, true,
     Matrix::Rec2020, Gamma::Rec2020,  Levels::SLog3,      DpxLayout::YCbCr422,      Colour_RGB_SLog3_Live},
    {Colour_YCbCr_SLog3_Live_Mapped, "S-Log3-Live-Mapped", 0, "Colour_YCbCr_SLog3_Live_Mapped",
     YCbCr, true,  true,  Transfer::SLog3, true,  true,
     Matrix::Rec2020, Gamma::Rec2020,  Levels::SLog3,      DpxLayout::YCbCr422,      Colour_RGB_SLog3_Live_Mapped},
    {Colour_RGB_PQ, "RGB-PQ", 0, "Colour_RGB_PQ",
     RGB,   true,  true,  Transfer::PQ,    false, false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_PQ},
    {Colour_RGB_HLG, "RGB-HLG", 0, "Colour_RGB_HLG",
     RGB,   true,  true,  Transfer::HLG,   false, false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_HLG},
    {Colour_RGB_SLog3, "RGB-S-Log3", 0, "Colour_RGB_SLog3",
     RGB,   true,  true,  Transfer::SLog3, false, false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_SLog3},
    {Colour_RGB_SLog3_Live, "RGB-S-Log3-Live", 0, "Colour_RGB_SLog3_Live",
     RGB,   true,  true,  Transfer::SLog3, false, true,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_SLog3_Live},
    {Colour_RGB_PQ_Mapped, "RGB-PQ-Mapped", 0, "Colour_RGB_PQ_Mapped",
     RGB,   true,  true,  Transfer::PQ,    true,  false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_PQ_Mapped},
    {Colour_RGB_HLG_Mapped, "RGB-HLG-Mapped", 0, "Colour_RGB_HLG_Mapped",
     RGB,   true,  true,  Transfer::HLG,   true,  false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_HLG_Mapped},
    {Colour_RGB_SLog3_Mapped, "RGB-S-Log3-Mapped", 0, "Colour_RGB_SLog3_Mapped",
     RGB,   true,  true,  Transfer::SLog3, true,  false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_SLog3_Mapped},
    {Colour_RGB_SLog3_Live_Mapped, "RGB-S-Log3-Live-Mapped", 0, "Colour_RGB_SLog3_Live_Mapped",
     RGB,   true,  true,  Transfer::SLog3, true,  true,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      Colour_YCbCr_SLog3_Live_Mapped},
};

// A value outside the enumeration: no keyword, neither kind of components,
// the power-law gamma and the levels of its range.
inline constexpr Facts kOutside =
    {Colour_Axes_Count, nullptr, 0, "undefined",
     Components::None, false, false, Transfer::None, false, false,
     Matrix::None,    Gamma::PowerLaw, Levels::ByRange,    DpxLayout::YCbCr422,      kNoPartner};
// clang-format on

constexpr bool inEnumerationOrder()
{
    for (int i = 0; i < Colour_Axes_Count; ++i) {
        if (kRows[i].axes != i) return false;
    }
    return true;
}

static_assert(sizeof kRows / sizeof kRows[0] == Colour_Axes_Count, "one row for every axes value");
static_assert(inEnumerationOrder(), "the rows stand in the order of the enumeration");

}  // namespace detail

// Every row, in the order of the enumeration.
inline constexpr const Facts (&kTable)[PatternGen::Colour_Axes_Count] = detail::kRows;

// The row of `axes`, or that of a value outside the enumeration.
constexpr const Facts& factsOf(PatternGen::colorAxes_e axes)
{
    return axes >= PatternGen::Colour_RGB && axes < PatternGen::Colour_Axes_Count ? detail::kRows[axes]
                                                                                  : detail::kOutside;
}

// The questions asked most.
constexpr bool isKnown(PatternGen::colorAxes_e axes)
{
    return factsOf(axes).components != Components::None;
}

constexpr bool isRgb(PatternGen::colorAxes_e axes)
{
    return factsOf(axes).components == Components::RGB;
}

constexpr bool isYCbCr(PatternGen::colorAxes_e axes)
{
    return factsOf(axes).components == Components::YCbCr;
}

constexpr bool isHdrRgb(PatternGen::colorAxes_e axes)
{
    return isRgb(axes) && factsOf(axes).hdr;
}

constexpr bool isHdrYCbCr(PatternGen::colorAxes_e axes)
{
    return isYCbCr(axes) && factsOf(axes).hdr;
}

}  // namespace ColourAxes
