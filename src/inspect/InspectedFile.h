#pragma once

#include <string>
#include <vector>

#include "inspect/CodeFrame.h"
#include "tools/PatternGen.h"

enum class FileKind { Png, Tiff, Dpx, PatternFile };

// What the file's own layout says about its colour: Y'CbCr, R'G'B' or X'Y'Z'
// samples, or nothing (a PNG holds either in its red, green and blue).
enum class ColourLayout { Unrecorded, YCbCr, Rgb, Xyz };

// One line of a file's summary.
struct SummaryField {
    std::string name;
    std::string value;
};

// Everything read from one file: its picture, a description of it, and what
// was found wrong with it.
struct InspectedFile {
    std::string path;
    FileKind kind = FileKind::Png;
    ColourLayout layout = ColourLayout::Unrecorded;
    bool chromaPairs = false;  // chroma is stored once for each pair of pixels
    // The chroma sampling of the canvas, as far as the file shows it.
    PatternGen::sampling_e sampling = PatternGen::Sampling_444;
    CodeFrame frame;
    // The file's own names of the samples of a pixel, in the order it stores
    // them, and which frame component each one is.
    std::vector<std::string> storedNames;
    std::vector<int> storedComponents;
    std::vector<SummaryField> fields;
    std::vector<std::string> problems;  // damage: a file with any is reported as damaged
    int dpxDescriptor = 0;
    int patternFormat = -1;

    void field(const std::string& name, const std::string& value) { fields.push_back({name, value}); }
    bool damaged() const { return !problems.empty(); }
};

const char* fileKindName(FileKind kind);
