#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cairo-ft.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "patterns/TTFont.h"

namespace {

const char* const kSystemBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kFamily = "DejaVu Sans";

const char* const kUnfinishedWarning =
    "\nWARNING: DO NOT USE...  Test Pattern font rendering using Cairo is unfinished.\n"
    "         It only works for DroidSans-bold.ttf, and Test Patterns using this to\n"
    "         add text to test patterns will likely change between cairo versions.\n"
    "         If text in test patterns becomes a requirement, then the Murra 5.1\n"
    "         implementation of text rendering for Generator Ident (that renders\n"
    "         directly without using cairo) should be ported instead.\n\n";

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

void copyFile(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
}

// FontConfig is slow to start, so the application font is loaded once for
// every test here.
class TTFontLoaded : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        mkdir(PM5544_TEST_TMP, 0755);
        fontDir = std::string(PM5544_TEST_TMP) + "/TTFontLoaded";
        mkdir(fontDir.c_str(), 0755);
        appFontPath = fontDir + "/" + kFamily + "-Bold.ttf";
        copyFile(kSystemBoldFont, appFontPath);

        testing::internal::CaptureStdout();
        result = font.createCairoFontfaceFromFile(nullptr, kFamily, fontDir);
        output = testing::internal::GetCapturedStdout();
    }

    static std::string fontDir;
    static std::string appFontPath;
    static TTFont font;
    static int result;
    static std::string output;
};

std::string TTFontLoaded::fontDir;
std::string TTFontLoaded::appFontPath;
TTFont TTFontLoaded::font;
int TTFontLoaded::result = -1;
std::string TTFontLoaded::output;

TEST_F(TTFontLoaded, SucceedsAfterTheUnfinishedWarning)
{
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(startsWith(output, kUnfinishedWarning)) << output;
    const std::vector<std::string> lines = linesOf(output.substr(std::string(kUnfinishedWarning).size()));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Application font succesfully loaded.");
    EXPECT_TRUE(startsWith(lines[1], "Available fonts: ")) << lines[1];
    EXPECT_TRUE(startsWith(lines[2], "Font: ")) << lines[2];
    EXPECT_EQ(lines.back(), "FreetypeFont: '" + std::string(font.ftFace->family_name) + "'  style: '" +
                                font.ftFace->style_name + "'");
}

TEST_F(TTFontLoaded, ListsEveryMatchOfTheFamilyIncludingTheApplicationFont)
{
    const std::vector<std::string> lines = linesOf(output);
    int available = -1;
    std::vector<std::string> files;
    for (const std::string& line : lines) {
        if (startsWith(line, "Available fonts: ")) {
            available = std::stoi(line.substr(17));
        } else if (startsWith(line, "Font: ")) {
            EXPECT_TRUE(files.empty()) << "only the first match is the font";
            files.push_back(line.substr(6));
        } else if (startsWith(line, "Alt Font: ")) {
            EXPECT_FALSE(files.empty()) << "alternatives follow the first match";
            files.push_back(line.substr(10));
        }
    }
    ASSERT_GE(available, 1);
    EXPECT_EQ(static_cast<int>(files.size()), available);
    bool appFontListed = false;
    for (const std::string& file : files) {
        appFontListed = appFontListed || file == appFontPath;
    }
    EXPECT_TRUE(appFontListed) << output;
}

TEST_F(TTFontLoaded, HoldsTheFreeTypeFaceOfTheFirstMatchAndItsCairoFace)
{
    ASSERT_NE(font.ftFace, nullptr);
    ASSERT_NE(font.fontFace, nullptr);
    EXPECT_TRUE(startsWith(font.ftFace->family_name, kFamily)) << font.ftFace->family_name;
    EXPECT_EQ(cairo_font_face_status(font.fontFace), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_font_face_get_type(font.fontFace), CAIRO_FONT_TYPE_FT);
}

TEST_F(TTFontLoaded, DescribesTheFaceAtASize)
{
    ASSERT_NE(font.ftFace, nullptr);
    const std::string prefix = std::string(font.ftFace->family_name) + ", " + font.ftFace->style_name + " ";
    EXPECT_EQ(font.fontDescForSize(100), prefix + "100");
    EXPECT_EQ(font.fontDescForSize(7), prefix + "7");
    EXPECT_EQ(font.fontDescForSize(0), prefix + "0");
}

TEST(TTFontUnloaded, StartsWithoutHandlesAndHasNoDescription)
{
    TTFont font;
    EXPECT_EQ(font.ftFace, nullptr);
    EXPECT_EQ(font.fontFace, nullptr);
    EXPECT_EQ(font.fontDescForSize(100), "");
}

TEST_F(TTFontLoaded, MissingApplicationFontFileFailsWithItsPath)
{
    TTFont missing;
    testing::internal::CaptureStdout();
    const int code = missing.createCairoFontfaceFromFile(nullptr, "No Such Family", fontDir);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, std::string(kUnfinishedWarning) + "FontConfig: Application font failed to load '" + fontDir +
                       "/No Such Family-Bold.ttf' \n");
    EXPECT_EQ(missing.ftFace, nullptr);
    EXPECT_EQ(missing.fontFace, nullptr);
}

TEST_F(TTFontLoaded, FileThatIsNoFontFailsToLoad)
{
    std::ofstream(fontDir + "/Garbage-Bold.ttf") << "not a TrueType font";
    TTFont garbage;
    testing::internal::CaptureStdout();
    const int code = garbage.createCairoFontfaceFromFile(nullptr, "Garbage", fontDir);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("FontConfig: Application font failed to load '" + fontDir + "/Garbage-Bold.ttf' \n"),
              std::string::npos)
        << out;
    EXPECT_EQ(garbage.ftFace, nullptr);
}

TEST_F(TTFontLoaded, UnknownFamilyWithoutFontDirectoryIsNotFound)
{
    TTFont unknown;
    testing::internal::CaptureStdout();
    const int code = unknown.createCairoFontfaceFromFile(nullptr, "No Such Family", "");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, std::string(kUnfinishedWarning) +
                       "Available fonts: 0\nFontConfig: Font Family No Such Family not found.\n");
    EXPECT_EQ(unknown.ftFace, nullptr);
    EXPECT_EQ(unknown.fontFace, nullptr);
}

TEST_F(TTFontLoaded, MissingFamilyNameIsNotFound)
{
    TTFont unnamed;
    testing::internal::CaptureStdout();
    const int code = unnamed.createCairoFontfaceFromFile(nullptr, nullptr, "");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("Available fonts: 0\n"), std::string::npos) << out;
    EXPECT_EQ(unnamed.ftFace, nullptr);
}

TEST_F(TTFontLoaded, SystemFamilyLoadsWithoutFontDirectory)
{
    TTFont system;
    testing::internal::CaptureStdout();
    const int code = system.createCairoFontfaceFromFile(nullptr, kFamily, "");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out.find("Application font"), std::string::npos) << out;
    EXPECT_NE(system.ftFace, nullptr);
}

}  // namespace
