#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "patterns/TTFont.h"
#include "support/Capture.h"
#include "support/TempDir.h"

namespace {

const std::string kUnfinishedWarning =
    "\nWARNING: DO NOT USE...  Test Pattern font rendering using Cairo is unfinished.\n"
    "         It only works for DroidSans-bold.ttf, and Test Patterns using this to\n"
    "         add text to test patterns will likely change between cairo versions.\n"
    "         If text in test patterns becomes a requirement, then the Murra 5.1\n"
    "         implementation of text rendering for Generator Ident (that renders\n"
    "         directly without using cairo) should be ported instead.\n\n";

std::string load(TTFont& font, const char* family, const std::string& directory, int expectedCode)
{
    return stdoutOf([&] { EXPECT_EQ(font.createCairoFontfaceFromFile(nullptr, family, directory), expectedCode); });
}

}  // namespace

TEST(TTFont, LoadsTheApplicationFontAfterTheWarning)
{
    const std::string dir = testTempDir();
    std::ofstream(dir + "/DejaVu Sans-Bold.ttf", std::ios::binary)
        << std::ifstream("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf").rdbuf();
    TTFont font, missing, unknown;
    const std::string out = load(font, "DejaVu Sans", dir, 0);
    const std::string expectedStart = kUnfinishedWarning + "Application font succesfully loaded.\nAvailable fonts: ";
    EXPECT_EQ(out.substr(0, expectedStart.size()), expectedStart);
    ASSERT_TRUE(font.ftFace != nullptr && font.fontFace != nullptr);
    const std::string family = font.ftFace->family_name, style = font.ftFace->style_name;
    EXPECT_EQ(out.substr(out.rfind("FreetypeFont")), "FreetypeFont: '" + family + "'  style: '" + style + "'\n");

    // No such file in the font directory, nor among the system fonts.
    EXPECT_EQ(
        load(missing, "No Such Family", dir, 1),
        kUnfinishedWarning + "FontConfig: Application font failed to load '" + dir + "/No Such Family-Bold.ttf' \n");
    EXPECT_EQ(load(unknown, "No Such Family", "", 1),
              kUnfinishedWarning + "Available fonts: 0\nFontConfig: Font Family No Such Family not found.\n");
}
