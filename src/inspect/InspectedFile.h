#pragma once

#include <memory>
#include <string>
#include <vector>

#include "inspect/FileRows.h"
#include "inspect/FrameShape.h"
#include "tools/PatternGen.h"

class InputBytes;

enum class FileKind { Png, Tiff, Dpx, PatternFile, Y4m };

// What the file's own layout says about its colour: Y'CbCr, R'G'B' or X'Y'Z'
// samples, or nothing (a PNG holds either in its red, green and blue).
enum class ColourLayout { Unrecorded, YCbCr, Rgb, Xyz };

// One line of a file's summary.
struct SummaryField {
    std::string name;
    std::string value;
};

// Everything a file's headers say: its kind and layout, a description of it,
// and the damage found in them. Its picture is read through FileRows.
struct InspectedFile {
    std::string path;
    FileKind kind = FileKind::Png;
    ColourLayout layout = ColourLayout::Unrecorded;
    bool chromaPairs = false;  // chroma is stored once for each pair of pixels
    // The chroma sampling of the canvas, as far as the file shows it.
    PatternGen::sampling_e sampling = PatternGen::Sampling_444;
    bool samplingRecorded = false;   // the header says it (Y4M); otherwise it is found in the samples
    bool fullRangeRecorded = false;  // the header says the codes use the full range (Y4M)
    FrameShape shape;                // width 0 when the file holds no picture
    // The file's own names of the samples of a pixel, in the order it stores
    // them, and which frame component each one is.
    std::vector<std::string> storedNames;
    std::vector<int> storedComponents;
    std::vector<SummaryField> fields;
    std::vector<std::string> problems;  // damage: a file with any is reported as damaged
    int dpxDescriptor = 0;
    int patternFormat = -1;
    // The display aspect the header records (a Y4M's pixel aspect with its
    // size), in lowest terms; 0 when it records none. The card is compared
    // at it unless -a says otherwise.
    int displayAspectWidth = 0;
    int displayAspectHeight = 0;

    void field(const std::string& name, const std::string& value) { fields.push_back({name, value}); }
    bool damaged() const { return !problems.empty(); }
};

const char* fileKindName(FileKind kind);

// Whether the depth of a kind's codes is the narrowest that holds them all
// (PNG, TIFF and Y4M samples are wider than the codes pm5544 puts in them).
bool depthShownByCodes(FileKind kind);

// Whether that depth is also the -b the file was rendered with: PNG and Y4M
// carry the rounded codes; a TIFF always the 12-bit render.
bool renderedDepthShownByCodes(FileKind kind);

// A file opened for inspection: its description and its rows (none when the
// headers leave no picture to read).
struct OpenedFile {
    InspectedFile file;
    std::unique_ptr<FileRows> rows;
};

// Reads the headers of any file pm5544 writes, telling the kind by its first
// bytes (not by its name): PNG, TIFF, DPX, instrument pattern file or
// YUV4MPEG2, whose frame `y4mFrame` is the picture. Throws UnreadableFile for
// a file that is none of them, or is laid out as pm5544 never writes; a
// header that claims more than the file's length can hold is damage, found
// before anything is allocated for the picture.
OpenedFile openInspectedFile(const InputBytes& input, int y4mFrame = 0);
