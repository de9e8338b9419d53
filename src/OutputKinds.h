#pragma once

#include <cstdint>
#include <string>

#include "OutputOptions.h"
#include "settings/RunSettings.h"
#include "writers/writeDPX.h"

class PatternSpec;

// What the program writes for a file name, by its extension: which form of
// the renderer makes the samples, which writer stores them and how a failure
// is reported. Adding an output kind is one row of the table and one writer.
namespace OutputKinds {

enum class RenderForm {
    Image16,     // four 16-bit samples per pixel, rounded to the bit depth
    Tiff,        // three 16-bit samples per pixel
    Instrument,  // compressed lines of code values
    Planar,      // planes of the 16-bit form's codes at the bit depth
};

enum class FileWriter { Png, Dpx, Tiff, PatternFile, Y4m };

struct OutputKind {
    const char* extension;  // compared exactly; png is also every other extension, and none
    RenderForm form;
    FileWriter writer;
    const char* failureName;  // "Failed to write %s file"; null where errors are raised instead
    // Instrument pattern files only:
    int32_t sampleFormat;                       // of the file header
    bool convertToXyz;                          // X'Y'Z' samples from the R'G'B' ones
    bool (*acceptsCanvas)(const RunSettings&);  // the canvases the instruments take
    const char* refusal;                        // printed, without a newline, for any other
};

// Printed, without a newline, for a pattern file at any depth but 12 bits.
extern const char* const kPatternFileDepthRefusal;

// The DPX layout of a canvas: R'G'B' (descriptor 50), Y'CbCr 4:4:4 (102) or
// Y'CbCr 4:2:2 (100), as the axes' row of tools/ColourAxes.h says.
DPX::eFormat dpxFormatFor(PatternGen::colorAxes_e axes, PatternGen::sampling_e sampling);

// The kind for an extension (the text after the last "." of the name).
const OutputKind& forExtension(const std::string& extension);

// Why `kind` cannot be written with these settings and options (a clip of
// a kind that holds one frame, an R'G'B' canvas as Y4M, a Y4M header over
// 80 bytes), before anything is rendered; empty when it can.
std::string refusalOf(const OutputKind& kind, const RunSettings& settings, const OutputOptions& options);

// The kind named exactly `name` (as --format names it); null for none.
const OutputKind* named(const std::string& name);

// The extensions of every kind, in the order of the table, joined by ", ".
std::string kindNames();

// Renders `pattern`, set up for `settings`, and writes it to the file named
// there (or to options.descriptor) as `kind` says, with the progress lines
// and failure reports of the program. Returns the exit status.
int renderAndWrite(const OutputKind& kind, const RunSettings& settings, const OutputOptions& options,
                   PatternSpec& pattern, bool hasExtension, const std::string& extension);

}  // namespace OutputKinds
