#pragma once

#include <string>
#include <vector>

#include "patterns/TextLibraryTypes.h"

// One run of caption text in one style, placed in percent of the canvas.
struct TextSlug {
    enum horizAlign { HorizCentre = 0, HorizLeft = 1, HorizRight = 2 };
    enum vertAlign { VertCentre = 0, VertTop = 1, VertBaseline = 2 };

    std::string text;
    int reserved = 0;
    int size = 100;
    bool italic = false;
    bool bold = true;
    bool flag1 = false;
    bool southGravityWhenVertical = false;  // the gravity of a vertical line in renderSlug
    double trailingSpace = 0.0;             // in units of the font's pixel size
    double x = 0.0;                         // percent of the canvas width
    double y = 0.0;                         // percent of the canvas height
    double letterSpacing = 0.0;             // in units of the font's pixel size; 0 = none
    horizAlign hAlign = HorizCentre;
    vertAlign vAlign = VertCentre;
    PangoFontDescription* fontDescription = nullptr;
    int width = 0;
    int height = 0;
    int baseline = 0;
    int pixelSize = 0;

    TextSlug() = default;
    // The slug owns the font description its layout was measured with.
    ~TextSlug();
    TextSlug(const TextSlug&) = delete;
    TextSlug& operator=(const TextSlug&) = delete;
};

// A line of captions: its slugs are laid out one after another.
struct TextLine {
    std::vector<TextSlug*> slugs;
    bool vertical = false;  // turned by a quarter turn
};
