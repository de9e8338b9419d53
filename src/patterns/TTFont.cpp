#include "patterns/TTFont.h"

#include <cstdio>
#include <string>

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

// Return codes of createCairoFontfaceFromFile.
constexpr int kLoaded = 0;
constexpr int kFontConfigFailed = 1;
constexpr int kFreeTypeFailed = 2;
constexpr int kCairoFailed = 3;

// Application fonts are the bold cut of a family, one file per family.
const char* const kFontFileSuffix = "-Bold.ttf";

// The first face of a TrueType file is the only one it has.
constexpr FT_Long kFirstFace = 0;

// The fonts loaded here never change while the program runs.
constexpr int kNoRescan = 0;

void printUnfinishedWarning()
{
    puts("\nWARNING: DO NOT USE...  Test Pattern font rendering using Cairo is unfinished.");
    puts("         It only works for DroidSans-bold.ttf, and Test Patterns using this to");
    puts("         add text to test patterns will likely change between cairo versions.");
    puts("         If text in test patterns becomes a requirement, then the Murra 5.1");
    puts("         implementation of text rendering for Generator Ident (that renders");
    puts("         directly without using cairo) should be ported instead.\n");
}

// Adds "<fontDirectory>/<family>-Bold.ttf" as an application font.
bool addApplicationFont(FcConfig* config, const std::string& path)
{
    if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(path.c_str()))) {
        return false;
    }
    FcFontSet* appFonts = FcConfigGetFonts(config, FcSetApplication);
    return appFonts != nullptr && appFonts->nfont > 0;
}

// The "file" property of a listed font, or "" when it has none.
std::string fileOf(FcPattern* font)
{
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(file));
}

// Every font of the family, with the properties the loader reports.
FcFontSet* listFamily(FcConfig* config, const char* family)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* properties = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_LANG, FC_FILE, static_cast<char*>(nullptr));
    FcFontSet* fonts = FcFontList(config, pattern, properties);
    FcObjectSetDestroy(properties);
    FcPatternDestroy(pattern);
    return fonts;
}

}  // namespace

// The context is not needed: a font face is independent of any surface.
int TTFont::createCairoFontfaceFromFile(cairo_t* /*cr*/, const char* family, const std::string& fontDirectory)
{
    printUnfinishedWarning();

    // A missing family name cannot match any font; treat it as an empty one.
    const char* familyName = family != nullptr ? family : "";

    if (!FcInit()) {
        puts("FontConfig: Failed FcInit");
        return kFontConfigFailed;
    }
    FcConfig* config = FcConfigGetCurrent();
    FcConfigSetRescanInterval(config, kNoRescan);

    if (!fontDirectory.empty()) {
        const std::string path = fontDirectory + "/" + familyName + kFontFileSuffix;
        if (!addApplicationFont(config, path)) {
            printf("FontConfig: Application font failed to load '%s' \n", path.c_str());
            return kFontConfigFailed;
        }
        puts("Application font succesfully loaded.");
    }

    FcFontSet* matches = listFamily(config, familyName);
    const int count = matches != nullptr ? matches->nfont : 0;
    printf("Available fonts: %d\n", count);
    if (count == 0) {
        printf("FontConfig: Font Family %s not found.\n", familyName);
        if (matches != nullptr) {
            FcFontSetDestroy(matches);
        }
        return kFontConfigFailed;
    }

    const std::string file = fileOf(matches->fonts[0]);
    printf("Font: %s\n", file.c_str());
    for (int i = 1; i < count; ++i) {
        printf("Alt Font: %s\n", fileOf(matches->fonts[i]).c_str());
    }
    FcFontSetDestroy(matches);

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        printf("FreetypeFont: Failed to load '%s' \n", file.c_str());
        return kFreeTypeFailed;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), kFirstFace, &face) != 0) {
        printf("FreetypeFont: Failed to load '%s' \n", file.c_str());
        FT_Done_FreeType(library);
        return kFreeTypeFailed;
    }

    // Hinting stays with the font's own instructions: the auto-hinter would
    // reshape the outlines that the text layer strokes and fills.
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_AUTOHINT);
    if (cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS) {
        printf("FreetypeFont: Failed to make Cairo font '%s' \n", file.c_str());
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        return kCairoFailed;
    }

    // The library, the face and the Cairo face live as long as the program.
    ftFace = face;
    fontFace = cairoFace;
    printf("FreetypeFont: '%s'  style: '%s'\n", face->family_name != nullptr ? face->family_name : "",
           face->style_name != nullptr ? face->style_name : "");
    return kLoaded;
}

std::string TTFont::fontDescForSize(int size)
{
    if (ftFace == nullptr) {
        return std::string();
    }
    std::string description = ftFace->family_name != nullptr ? ftFace->family_name : "";
    description += ", ";
    description += ftFace->style_name != nullptr ? ftFace->style_name : "";
    description += " ";
    description += std::to_string(size);
    return description;
}
