#include "inspect/SignalModel.h"

#include "tools/ColourAxes.h"
#include "tools/ColourKeywords.h"

SignalModel SignalModel::choose(const InspectedFile& file, const CardOptions& options)
{
    SignalModel model;
    model.fullRange = options.fullRange || file.fullRangeRecorded;
    model.xyz = file.layout == ColourLayout::Xyz;
    if (options.axes) {
        model.axes = *options.axes;
        model.basis = "from -c";
    } else {
        switch (file.layout) {
        case ColourLayout::YCbCr:
            model.axes = PatternGen::Colour_YCbCr_709;
            model.basis = "the file says Y'CbCr, not which; -c sets it";
            break;
        case ColourLayout::Rgb:
            // pm5544 writes R'G'B' instrument files on the studio range only.
            model.axes = file.kind == FileKind::PatternFile ? PatternGen::Colour_RGB_219 : PatternGen::Colour_RGB;
            model.basis = "the file says R'G'B', not which; -c sets it";
            break;
        case ColourLayout::Xyz:
            model.axes = PatternGen::Colour_RGB_219;
            model.basis = "X'Y'Z' files are converted from studio R'G'B'; -c sets which";
            break;
        case ColourLayout::Unrecorded:
            model.axes = PatternGen::Colour_RGB;
            model.basis = "pm5544's default: the file does not record it; -c sets it";
            break;
        }
    }
    const bool layoutYCbCr = file.layout == ColourLayout::YCbCr;
    const bool layoutRgb = file.layout == ColourLayout::Rgb || file.layout == ColourLayout::Xyz;
    // pm5544 writes the R'G'B' HDR signals into 4:2:2 DPX files as they are.
    const bool rgbIn422Dpx = file.kind == FileKind::Dpx && file.chromaPairs && !model.yCbCr();
    if ((layoutYCbCr && !model.yCbCr() && !rgbIn422Dpx) || (layoutRgb && model.yCbCr())) {
        model.note = std::string("-c ") + ColourKeywords::textOf(model.axes) + " disagrees with the file's " +
                     (layoutYCbCr ? "Y'CbCr" : "R'G'B'") + " layout; the codes are read as -c says";
    }
    return model;
}

bool SignalModel::yCbCr() const
{
    return !xyz && ColourAxes::isYCbCr(axes);
}

const char* SignalModel::componentName(int component) const
{
    static const char* const kYCbCr[] = {"Cr", "Y'", "Cb", "alpha"};
    static const char* const kRgb[] = {"R'", "G'", "B'", "alpha"};
    static const char* const kXyz[] = {"X'", "Y'", "Z'", "alpha"};
    const char* const* names = xyz ? kXyz : yCbCr() ? kYCbCr : kRgb;
    return names[component];
}

std::string SignalModel::describe() const
{
    std::string text =
        xyz ? std::string("X'Y'Z' converted from ") + ColourKeywords::textOf(axes) : ColourKeywords::textOf(axes);
    const bool rgbFull = ColourAxes::factsOf(axes).levels == ColourAxes::Levels::AlwaysFull;
    text += yCbCr() ? " (Y'CbCr" : " (R'G'B'";
    text += rgbFull || fullRange ? ", full range" : ", studio range";
    text += "; " + basis + ")";
    return text;
}
