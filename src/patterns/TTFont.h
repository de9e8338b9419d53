#pragma once

#include <string>

#include "patterns/TextLibraryTypes.h"

// A TrueType font loaded through FontConfig and FreeType for the text layer.
// It only holds the two handles; nothing is ever released.
class TTFont {
public:
    cairo_font_face_t* fontFace = nullptr;
    FT_Face ftFace = nullptr;

    TTFont() = default;

    // 0 on success; 1 FontConfig failure, 2 FreeType failure, 3 Cairo failure.
    int createCairoFontfaceFromFile(cairo_t* cr, const char* family, const std::string& fontDirectory);

    // "<family>, <style> <size>", or "" when no face is loaded.
    std::string fontDescForSize(int size);
};
