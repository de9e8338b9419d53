#include <gtest/gtest.h>

#include <glib-object.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"

namespace {

constexpr int kWidth = 400, kHeight = 200;

class TextLayer : public testing::Test {
protected:
    void SetUp() override {
        p.width = kWidth;
        p.height = kHeight;  // no font directory: fonts come from the system's
    }
    int defineFont(const char* family) {
        testing::internal::CaptureStdout();
        const int result = p.defineFont(family);
        testing::internal::GetCapturedStdout();
        return result;
    }
    std::string render() {
        testing::internal::CaptureStdout();
        EXPECT_EQ(p.render_text(kWidth, kHeight), 0);
        return testing::internal::GetCapturedStdout();
    }
    // The box around the white (0xFFC0) samples: left, right, top, bottom.
    std::vector<int> whiteBox() {
        std::vector<int> box = {kWidth, -1, kHeight, -1};
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (p.getOverlay(0, 0, y, x, kWidth) != 0xFFC0u) continue;
                box = {std::min(box[0], x), std::max(box[1], x), std::min(box[2], y), std::max(box[3], y)};
            }
        }
        return box;
    }
    TestPattern p;
};

}  // namespace

TEST_F(TextLayer, SettingsFontsAndSlugMeasurement) {
    EXPECT_EQ(p.textCursor(10, 20) + p.textAlign(TextSlug::HorizLeft, TextSlug::VertTop) + p.textSize(50), 0);
    EXPECT_EQ(p.setText("Hi"), 0);
    ASSERT_EQ(p.textLines.size(), 1u);
    const TextSlug& s = *p.textLines[0]->slugs.at(0);
    EXPECT_TRUE(s.text == "Hi" && s.size == 50 && s.bold && !s.italic && s.x == 10.0 && s.y == 20.0);
    EXPECT_TRUE(s.hAlign == TextSlug::HorizLeft && s.vAlign == TextSlug::VertTop && !p.textLines[0]->vertical);

    EXPECT_EQ(defineFont("No Such Family"), 1);
    EXPECT_EQ(p.fonts.at(0).ftFace, nullptr);  // kept, so that indices follow the calls
    ASSERT_EQ(defineFont("DejaVu Sans"), 0);
    int pixelSize = 0;
    PangoFontDescription* hd = p.getFont(1, 1080, 100, pixelSize);
    EXPECT_EQ(pango_font_description_get_size(hd), 139636);  // 1080 * 100 * 1024 / 792
    EXPECT_TRUE(pango_font_description_get_size_is_absolute(hd));
    EXPECT_EQ(pixelSize, 136);
    pango_font_description_free(hd);

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB30, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    TextSlug bare, middle, last;
    bare.text = "Ab";
    middle.text = last.text = "Ab \t\r\n";
    p.calcSlug(kHeight, layout, &bare, true, false);
    p.calcSlug(kHeight, layout, &middle, false, false);
    p.calcSlug(kHeight, layout, &last, true, false);
    EXPECT_EQ(bare.pixelSize, 25);
    EXPECT_EQ(middle.text, "Ab \t\r\n");
    EXPECT_EQ(last.text, "Ab");
    EXPECT_EQ(last.width, bare.width);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

TEST_F(TextLayer, RenderPaintsTheLayerBlackAndTheCaptionWhereAligned) {
    EXPECT_EQ(render(), "");  // no layer: nothing drawn, nothing made
    EXPECT_TRUE(p.layers.empty());
    p.newLayer();
    std::fill(p.layers[0], p.layers[0] + kWidth * kHeight * 4, 0xFF);
    EXPECT_EQ(render(), "");
    EXPECT_EQ(p.textContext, nullptr);
    EXPECT_EQ(p.getOverlay(0, 0, kHeight - 1, kWidth - 1, kWidth), 0u);

    ASSERT_EQ(defineFont("DejaVu Sans"), 0);
    p.textCursor(25, 50);  // (100, 100)
    p.setText("HH");
    TextSlug& slug = *p.textLines[0]->slugs[0];
    for (int a = 0; a < 3; ++a) {
        slug.hAlign = static_cast<TextSlug::horizAlign>(a);
        slug.vAlign = static_cast<TextSlug::vertAlign>(a);
        EXPECT_EQ(render(), "");
        const int left = a == 1 ? 100 : a == 2 ? 100 - slug.width : 300 - slug.width / 2;
        const int top = a == 1 ? 100 : a == 2 ? 100 + slug.baseline : 100 - slug.baseline / 2;
        const std::vector<int> ink = whiteBox();  // capitals lie between the top and the baseline
        EXPECT_GE(ink[0], left) << a;
        EXPECT_LE(ink[1], left + slug.width) << a;
        EXPECT_GT(ink[1] - ink[0], slug.width / 2) << a;
        EXPECT_GE(ink[2], top) << a;
        EXPECT_LE(ink[3], top + slug.baseline) << a;
    }
}
