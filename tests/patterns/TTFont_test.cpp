#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "patterns/TTFont.h"

namespace {

const char* const kSystemBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kUnfinishedWarning =
    "\nWARNING: DO NOT USE...  Test Pattern font rendering using Cairo is unfinished.\n"
    "         It only works for DroidSans-bold.ttf, and Test Patterns using this to\n"
    "         add text to test patterns will likely change between cairo versions.\n"
    "         If text in test patterns becomes a requirement, then the Murra 5.1\n"
    "         implementation of text rendering for Generator Ident (that renders\n"
    "         directly without using cairo) should be ported instead.\n\n";

std::string load(TTFont& font, const char* family, const std::string& directory, int expectedCode) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(font.createCairoFontfaceFromFile(nullptr, family, directory), expectedCode);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(TTFont, LoadsTheApplicationFontAfterTheWarning) {
    const std::string dir = std::string(PM5544_TEST_TMP) + "/TTFontFonts";
    mkdir(PM5544_TEST_TMP, 0755);
    mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/DejaVu Sans-Bold.ttf", std::ios::binary) << std::ifstream(kSystemBoldFont).rdbuf();
    TTFont font;
    EXPECT_EQ(font.fontDescForSize(100), "");
    const std::string out = load(font, "DejaVu Sans", dir, 0);
    const std::string expectedStart = std::string(kUnfinishedWarning) + "Application font succesfully loaded.\n" +
                                      "Available fonts: ";
    EXPECT_EQ(out.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(out.find("\nFont: "), std::string::npos);
    ASSERT_NE(font.ftFace, nullptr);
    ASSERT_NE(font.fontFace, nullptr);
    const std::string family = font.ftFace->family_name, style = font.ftFace->style_name;
    EXPECT_EQ(out.substr(out.rfind("FreetypeFont")), "FreetypeFont: '" + family + "'  style: '" + style + "'\n");
    EXPECT_EQ(font.fontDescForSize(7), family + ", " + style + " 7");

    TTFont missing;  // no such file in the font directory
    EXPECT_EQ(load(missing, "No Such Family", dir, 1), std::string(kUnfinishedWarning) +
                  "FontConfig: Application font failed to load '" + dir + "/No Such Family-Bold.ttf' \n");
    TTFont unknown;  // nor among the system fonts
    EXPECT_EQ(load(unknown, "No Such Family", "", 1), std::string(kUnfinishedWarning) +
                  "Available fonts: 0\nFontConfig: Font Family No Such Family not found.\n");
    EXPECT_EQ(unknown.ftFace, nullptr);
    EXPECT_EQ(unknown.fontFace, nullptr);
}
