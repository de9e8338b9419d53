#include <gtest/gtest.h>
#include <sys/stat.h>

#include <glib-object.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <string>

#include "patterns/PatternWrapper.h"

namespace {

const char* const kSystemBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kFamily = "DejaVu Sans";

constexpr int kCanvasWidth = 400;
constexpr int kCanvasHeight = 200;
constexpr uint32_t kWhite = 0xFFC0;
constexpr uint32_t kBlack = 0;

class TextPattern : public PatternSpec {
public:
    void setup() override {}
    Pixel body(int, int) override { return Pixel(); }
};

// The samples of layer 0 that satisfy a test, and their bounding box.
struct Ink {
    int count = 0;
    int minX = INT_MAX;
    int maxX = INT_MIN;
    int minY = INT_MAX;
    int maxY = INT_MIN;
};

template <typename Test>
Ink findInk(PatternSpec& pattern, Test test)
{
    Ink ink;
    for (int y = 0; y < kCanvasHeight; ++y) {
        for (int x = 0; x < kCanvasWidth; ++x) {
            if (test(pattern.getOverlay(0, 0, y, x, kCanvasWidth), x)) {
                ++ink.count;
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
            }
        }
    }
    return ink;
}

Ink nonBlack(PatternSpec& pattern)
{
    return findInk(pattern, [](uint32_t level, int) { return level != kBlack; });
}

Ink white(PatternSpec& pattern)
{
    return findInk(pattern, [](uint32_t level, int) { return level == kWhite; });
}

// White samples in the columns from `fromX` up to (not including) `toX`.
Ink whiteInColumns(PatternSpec& pattern, int fromX, int toX)
{
    return findInk(pattern, [=](uint32_t level, int x) { return level == kWhite && x >= fromX && x < toX; });
}

class TextLayer : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        mkdir(PM5544_TEST_TMP, 0755);
        fontDir = std::string(PM5544_TEST_TMP) + "/TextLayerFonts";
        mkdir(fontDir.c_str(), 0755);
        std::ifstream in(kSystemBoldFont, std::ios::binary);
        std::ofstream out(fontDir + "/" + kFamily + "-Bold.ttf", std::ios::binary);
        out << in.rdbuf();
    }

    void SetUp() override
    {
        pattern.width = kCanvasWidth;
        pattern.height = kCanvasHeight;
        pattern.fontDirectory = fontDir;
    }

    void loadFont()
    {
        testing::internal::CaptureStdout();
        const int code = pattern.defineFont(kFamily);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(code, 0);
    }

    // A layer full of white, so that what render_text leaves is visible.
    void newWhiteLayer()
    {
        pattern.newLayer();
        std::fill(pattern.layers[0], pattern.layers[0] + kCanvasWidth * kCanvasHeight * 4, 0xFF);
    }

    int render()
    {
        testing::internal::CaptureStdout();
        const int result = pattern.render_text(kCanvasWidth, kCanvasHeight);
        renderOutput = testing::internal::GetCapturedStdout();
        return result;
    }

    static std::string fontDir;
    TextPattern pattern;
    std::string renderOutput;
};

std::string TextLayer::fontDir;

// A Pango layout on a scratch surface, for measuring slugs.
class Measure {
public:
    Measure()
        : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB30, kCanvasWidth, kCanvasHeight)),
          cr(cairo_create(surface)),
          layout(pango_cairo_create_layout(cr))
    {
    }
    ~Measure()
    {
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    cairo_surface_t* surface;
    cairo_t* cr;
    PangoLayout* layout;
};

// --- text settings ---

TEST_F(TextLayer, SetTextMakesALineOfOneSlugFromTheCurrentSettings)
{
    EXPECT_EQ(pattern.textCursor(10, 20), 0);
    EXPECT_EQ(pattern.textAlign(TextSlug::HorizLeft, TextSlug::VertTop), 0);
    EXPECT_EQ(pattern.textSize(50), 0);
    EXPECT_EQ(pattern.setText("Hi"), 0);
    pattern.textCursor(30, 40);
    pattern.textSize(60);
    EXPECT_EQ(pattern.setText("there"), 0);

    ASSERT_EQ(pattern.textLines.size(), 2u);
    const TextLine* line = pattern.textLines[0];
    EXPECT_FALSE(line->vertical);
    ASSERT_EQ(line->slugs.size(), 1u);
    const TextSlug* slug = line->slugs[0];
    EXPECT_EQ(slug->text, "Hi");
    EXPECT_EQ(slug->reserved, 0);
    EXPECT_EQ(slug->size, 50);
    EXPECT_FALSE(slug->italic);
    EXPECT_TRUE(slug->bold);
    EXPECT_FALSE(slug->flag1);
    EXPECT_FALSE(slug->southGravityWhenVertical);
    EXPECT_EQ(slug->trailingSpace, 0.0);
    EXPECT_EQ(slug->x, 10.0);
    EXPECT_EQ(slug->y, 20.0);
    EXPECT_EQ(slug->letterSpacing, 0.0);
    EXPECT_EQ(slug->hAlign, TextSlug::HorizLeft);
    EXPECT_EQ(slug->vAlign, TextSlug::VertTop);
    EXPECT_EQ(slug->fontDescription, nullptr);

    const TextSlug* second = pattern.textLines[1]->slugs.at(0);
    EXPECT_EQ(second->text, "there");
    EXPECT_EQ(second->size, 60);
    EXPECT_EQ(second->x, 30.0);
    EXPECT_EQ(second->y, 40.0);
}

TEST_F(TextLayer, SetTextWithoutTextMakesAnEmptySlug)
{
    EXPECT_EQ(pattern.setText(nullptr), 0);
    ASSERT_EQ(pattern.textLines.size(), 1u);
    EXPECT_EQ(pattern.textLines[0]->slugs.at(0)->text, "");
}

TEST_F(TextLayer, DefineFontKeepsAFailedFontAndReturnsItsCode)
{
    pattern.fontDirectory = "";
    testing::internal::CaptureStdout();
    const int failed = pattern.defineFont("No Such Family");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(failed, 1);
    EXPECT_NE(out.find("FontConfig: Font Family No Such Family not found.\n"), std::string::npos) << out;
    ASSERT_EQ(pattern.fonts.size(), 1u);
    EXPECT_EQ(pattern.fonts[0].ftFace, nullptr);
    EXPECT_EQ(pattern.fonts[0].fontFace, nullptr);

    pattern.fontDirectory = fontDir;
    loadFont();
    ASSERT_EQ(pattern.fonts.size(), 2u);
    EXPECT_NE(pattern.fonts[1].ftFace, nullptr);
    EXPECT_NE(pattern.fonts[1].fontFace, nullptr);
}

// --- font size ---

TEST_F(TextLayer, FontSizeIsInPointsOfAPageScaledToTheCanvasHeight)
{
    loadFont();
    int pixelSize = 0;
    PangoFontDescription* hd = pattern.getFont(0, 1080, 100, pixelSize);
    EXPECT_EQ(pango_font_description_get_size(hd), 139636);
    EXPECT_TRUE(pango_font_description_get_size_is_absolute(hd));
    EXPECT_EQ(pixelSize, 136);
    EXPECT_EQ(std::string(pango_font_description_get_family(hd)), pattern.fonts[0].ftFace->family_name);
    pango_font_description_free(hd);

    PangoFontDescription* sd = pattern.getFont(0, 576, 50, pixelSize);
    EXPECT_EQ(pango_font_description_get_size(sd), 37236);  // 29491200 / 792, truncated
    EXPECT_EQ(pixelSize, 36);
    pango_font_description_free(sd);
}

TEST_F(TextLayer, FontSizeWithoutAFontStillScales)
{
    int pixelSize = 0;
    PangoFontDescription* description = pattern.getFont(0, 1080, 100, pixelSize);
    EXPECT_EQ(pango_font_description_get_size(description), 139636);
    EXPECT_EQ(pixelSize, 136);
    pango_font_description_free(description);

    description = pattern.getFont(3, 2, 1, pixelSize);
    EXPECT_EQ(pango_font_description_get_size(description), 2);  // 2048 / 792
    EXPECT_EQ(pixelSize, 0);
    pango_font_description_free(description);
}

// --- measuring ---

TEST_F(TextLayer, SlugIsMeasuredAtItsPixelSize)
{
    loadFont();
    Measure measure;
    TextSlug slug;
    slug.text = "Hi";
    pattern.calcSlug(kCanvasHeight, measure.layout, &slug, true, false);
    EXPECT_EQ(slug.pixelSize, 25);  // 200 * 100 * 1024 / 792 = 25858 units
    ASSERT_NE(slug.fontDescription, nullptr);
    EXPECT_EQ(pango_font_description_get_size(slug.fontDescription), 25858);
    EXPECT_GT(slug.width, slug.pixelSize / 2);
    EXPECT_GE(slug.height, slug.pixelSize);
    EXPECT_GT(slug.baseline, 0);
    EXPECT_LT(slug.baseline, slug.height);

    // Measuring again at another size replaces the description.
    slug.size = 200;
    pattern.calcSlug(kCanvasHeight, measure.layout, &slug, true, false);
    EXPECT_EQ(slug.pixelSize, 50);  // 51717 units
    EXPECT_EQ(pango_font_description_get_size(slug.fontDescription), 51717);
}

TEST_F(TextLayer, TrailingWhitespaceIsRemovedOnlyFromTheLastSlug)
{
    loadFont();
    Measure measure;
    TextSlug bare;
    bare.text = "Ab";
    pattern.calcSlug(kCanvasHeight, measure.layout, &bare, true, false);

    TextSlug middle;
    middle.text = "Ab \t\n";
    pattern.calcSlug(kCanvasHeight, measure.layout, &middle, false, false);
    EXPECT_EQ(middle.text, "Ab \t\n");
    EXPECT_GT(middle.height, bare.height);  // the newline opens a second line

    TextSlug last;
    last.text = "Ab  \r\n";
    pattern.calcSlug(kCanvasHeight, measure.layout, &last, true, false);
    EXPECT_EQ(last.text, "Ab");
    EXPECT_EQ(last.width, bare.width);
    EXPECT_EQ(last.height, bare.height);

    TextSlug blank;
    blank.text = " \n ";
    pattern.calcSlug(kCanvasHeight, measure.layout, &blank, true, false);
    EXPECT_EQ(blank.text, "");

    TextSlug inner;
    inner.text = "  A b";
    pattern.calcSlug(kCanvasHeight, measure.layout, &inner, true, false);
    EXPECT_EQ(inner.text, "  A b");
}

TEST_F(TextLayer, VerticalSlugStoresTheLayoutSizeExchanged)
{
    loadFont();
    Measure measure;
    TextSlug slug;
    slug.text = "HHHH";
    pattern.calcSlug(kCanvasHeight, measure.layout, &slug, true, true);
    int layoutWidth = 0;
    int layoutHeight = 0;
    pango_layout_get_pixel_size(measure.layout, &layoutWidth, &layoutHeight);
    EXPECT_EQ(slug.width, layoutHeight);
    EXPECT_EQ(slug.height, layoutWidth);
    EXPECT_EQ(pango_context_get_base_gravity(pango_layout_get_context(measure.layout)), PANGO_GRAVITY_EAST);
    EXPECT_EQ(pango_context_get_gravity_hint(pango_layout_get_context(measure.layout)), PANGO_GRAVITY_HINT_STRONG);

    pattern.calcSlug(kCanvasHeight, measure.layout, &slug, true, false);
    EXPECT_EQ(pango_context_get_base_gravity(pango_layout_get_context(measure.layout)), PANGO_GRAVITY_SOUTH);
    EXPECT_EQ(pango_context_get_gravity_hint(pango_layout_get_context(measure.layout)), PANGO_GRAVITY_HINT_LINE);
}

TEST_F(TextLayer, LetterSpacingWidensTheSlug)
{
    loadFont();
    Measure measure;
    TextSlug plain;
    plain.text = "HHHH";
    pattern.calcSlug(kCanvasHeight, measure.layout, &plain, true, false);
    TextSlug spaced;
    spaced.text = "HHHH";
    spaced.letterSpacing = 0.5;  // 12 pixels between letters at 25 pixels
    pattern.calcSlug(kCanvasHeight, measure.layout, &spaced, true, false);
    EXPECT_GE(spaced.width, plain.width + 3 * 12);
}

// --- drawing ---

TEST_F(TextLayer, WithoutALayerNothingIsDrawnOrPrinted)
{
    EXPECT_EQ(render(), 0);
    EXPECT_EQ(renderOutput, "");
    EXPECT_EQ(pattern.textContext, nullptr);

    pattern.setText("ignored");
    EXPECT_EQ(render(), 0);
    EXPECT_EQ(renderOutput, "");
    EXPECT_TRUE(pattern.layers.empty());
}

TEST_F(TextLayer, LayerWithoutTextIsPaintedBlack)
{
    newWhiteLayer();
    EXPECT_EQ(render(), 0);
    EXPECT_EQ(renderOutput, "");
    EXPECT_EQ(pattern.textContext, nullptr);
    EXPECT_EQ(nonBlack(pattern).count, 0);
}

TEST_F(TextLayer, CaptionIsWhiteInsideItsLayoutAndBlackElsewhere)
{
    loadFont();
    newWhiteLayer();
    pattern.textSize(200);
    pattern.textCursor(0, 50);
    pattern.setText("HH");
    EXPECT_EQ(render(), 0);
    EXPECT_EQ(renderOutput, "");

    const TextSlug* slug = pattern.textLines[0]->slugs[0];
    // Centred on the canvas centre, half the baseline above the cursor line.
    const int left = kCanvasWidth / 2 - slug->width / 2;
    const int top = kCanvasHeight / 2 - slug->baseline / 2;
    const int outlineReach = slug->size / 10 / 2 + 1;

    const Ink fill = white(pattern);
    EXPECT_GT(fill.count, 2 * slug->pixelSize);
    EXPECT_GE(fill.minX, left);
    EXPECT_LE(fill.maxX, left + slug->width);
    EXPECT_GE(fill.minY, top);
    EXPECT_LE(fill.maxY, top + slug->baseline);
    EXPECT_NEAR((fill.minX + fill.maxX) / 2, kCanvasWidth / 2, 3);

    const Ink any = nonBlack(pattern);
    EXPECT_GE(any.minX, left - outlineReach);
    EXPECT_LE(any.maxX, left + slug->width + outlineReach);
    EXPECT_GE(any.minY, top - outlineReach);
    EXPECT_LE(any.maxY, top + slug->height + outlineReach);
}

TEST_F(TextLayer, OutlineIsBlackAroundTheWhiteFill)
{
    loadFont();
    pattern.newLayer();
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB30, kCanvasWidth);
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(pattern.layers[0], CAIRO_FORMAT_RGB30, kCanvasWidth, kCanvasHeight, stride);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);

    TextSlug slug;
    slug.text = "HH";
    slug.size = 200;
    pattern.calcSlug(kCanvasHeight, layout, &slug, true, false);
    const int advance = pattern.renderSlug(cr, layout, 50, 40, &slug, 8.0, false);
    EXPECT_EQ(advance, slug.width);

    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);

    const Ink fill = white(pattern);
    const Ink outline = findInk(pattern, [](uint32_t level, int) { return level == kBlack; });
    ASSERT_GT(fill.count, 0);
    ASSERT_GT(outline.count, 0);
    // The outline is 8 wide and centred on the glyph edges: 4 pixels show outside.
    EXPECT_NEAR(fill.minX - outline.minX, 4, 1);
    EXPECT_NEAR(outline.maxX - fill.maxX, 4, 1);
    EXPECT_NEAR(fill.minY - outline.minY, 4, 1);
    EXPECT_NEAR(outline.maxY - fill.maxY, 4, 1);
    EXPECT_GE(outline.minX, 50 - 5);
    EXPECT_GE(outline.minY, 40 - 5);
    // Away from the text the background is untouched.
    const uint32_t corner = pattern.getOverlay(0, 0, kCanvasHeight - 1, kCanvasWidth - 1, kCanvasWidth);
    EXPECT_NE(corner, kBlack);
    EXPECT_NE(corner, kWhite);
}

TEST_F(TextLayer, LeftAndTopAlignmentStartTheCaptionAtTheCursor)
{
    loadFont();
    newWhiteLayer();
    pattern.textAlign(TextSlug::HorizLeft, TextSlug::VertTop);
    pattern.textCursor(10, 20);  // (40, 40)
    pattern.setText("HH");
    render();
    const TextSlug* slug = pattern.textLines[0]->slugs[0];
    const Ink fill = white(pattern);
    ASSERT_GT(fill.count, 0);
    EXPECT_GE(fill.minX, 40);
    EXPECT_LT(fill.minX, 40 + slug->pixelSize / 4);
    EXPECT_GE(fill.minY, 40);
    EXPECT_LE(fill.maxY, 40 + slug->baseline);
}

TEST_F(TextLayer, RightAlignmentEndsTheCaptionAtTheCursor)
{
    loadFont();
    newWhiteLayer();
    pattern.textAlign(TextSlug::HorizRight, TextSlug::VertTop);
    pattern.textCursor(90, 20);  // (360, 40)
    pattern.setText("HH");
    render();
    const TextSlug* slug = pattern.textLines[0]->slugs[0];
    const Ink fill = white(pattern);
    ASSERT_GT(fill.count, 0);
    EXPECT_LE(fill.maxX, 360);
    EXPECT_GT(fill.maxX, 360 - slug->pixelSize / 4);
}

TEST_F(TextLayer, VerticalLineRunsDownTheCanvas)
{
    loadFont();
    newWhiteLayer();
    pattern.setText("HHHH");
    pattern.textLines[0]->vertical = true;
    EXPECT_EQ(render(), 0);
    const Ink fill = white(pattern);
    ASSERT_GT(fill.count, 0);
    EXPECT_GT(fill.maxY - fill.minY, 2 * (fill.maxX - fill.minX));
}

TEST_F(TextLayer, SlugsOfALineFollowOneAnother)
{
    loadFont();
    newWhiteLayer();
    pattern.textAlign(TextSlug::HorizLeft, TextSlug::VertTop);
    pattern.textCursor(5, 10);
    pattern.setText("H  ");
    TextSlug* second = new TextSlug;
    second->text = "H  ";
    pattern.textLines[0]->slugs.push_back(second);
    TextSlug* first = pattern.textLines[0]->slugs[0];
    first->trailingSpace = 2.0;
    render();

    EXPECT_EQ(first->text, "H  ");
    EXPECT_EQ(second->text, "H");
    // The second H starts after the first slug's width and two pixel sizes.
    const int secondStart = 20 + first->width + 2 * first->pixelSize;
    const Ink firstInk = whiteInColumns(pattern, 0, secondStart);
    const Ink secondInk = whiteInColumns(pattern, secondStart, kCanvasWidth);
    EXPECT_GT(firstInk.count, 0);
    EXPECT_GT(secondInk.count, 0);
    EXPECT_LT(secondInk.minX, secondStart + second->pixelSize / 4);
}

}  // namespace
