#include <gtest/gtest.h>

#include <glib-object.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>
#include <vector>

#include "patterns/PatternTestPattern.h"
#include "support/Capture.h"

constexpr int kWidth = 400, kHeight = 200;

class TextLayer : public testing::Test {
protected:
    void SetUp() override { p.width = kWidth, p.height = kHeight; }  // no font directory: the system's fonts
    int defineFont(const char* family)
    {
        int result = 0;
        stdoutOf([&] { result = p.defineFont(family); });
        return result;
    }
    TestPattern p;
};

TEST_F(TextLayer, FontsAndSlugMeasurement)
{
    ASSERT_EQ(defineFont("DejaVu Sans"), 0);
    int pixelSize = 0;
    PangoFontDescription* hd = p.getFont(0, 1080, 100, pixelSize);
    EXPECT_EQ((std::vector<int>{pango_font_description_get_size(hd), pixelSize,
                                pango_font_description_get_size_is_absolute(hd)}),
              (std::vector<int>{139636, 136, 1}));
    pango_font_description_free(hd);

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB30, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    TextSlug middle, last;  // trailing blanks go from the last slug of a line only
    middle.text = last.text = "Ab \t\r\n";
    p.calcSlug(kHeight, layout, &middle, false, false);
    p.calcSlug(kHeight, layout, &last, true, false);
    EXPECT_EQ(middle.text + "|" + last.text, "Ab \t\r\n|Ab");
    g_object_unref(layout), cairo_destroy(cr), cairo_surface_destroy(surface);
}

TEST_F(TextLayer, RenderPaintsTheLayerBlackAndTheCaptionWhite)
{
    auto render = [&] { return stdoutOf([&] { EXPECT_EQ(p.render_text(kWidth, kHeight), 0); }); };
    EXPECT_EQ(render(), "");  // no layer: nothing drawn, nothing made
    EXPECT_TRUE(p.layers.empty());
    p.newLayer();
    std::fill(p.layers[0], p.layers[0] + kWidth * kHeight * 4, 0xFF);
    ASSERT_EQ(defineFont("DejaVu Sans"), 0);
    p.textCursor(25, 50);  // X = Y = 100; centred: left = 400 / 2 + X - E / 2, top = Y - b / 2
    p.setText("HH");
    EXPECT_EQ(render(), "");
    EXPECT_EQ(p.getOverlay(0, 0, kHeight - 1, kWidth - 1, kWidth), 0u);
    std::vector<int> ink = {kWidth, -1, kHeight, -1};  // the box around the white samples: left, right, top, bottom
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const int x = i % kWidth, y = i / kWidth;
        if (p.getOverlay(0, 0, y, x, kWidth) == 0xFFC0u)
            ink = {std::min(ink[0], x), std::max(ink[1], x), std::min(ink[2], y), std::max(ink[3], y)};
    }
    const TextSlug& slug = *p.textLines.at(0)->slugs.at(0);
    const int left = 300 - slug.width / 2, top = 100 - slug.baseline / 2;  // capitals lie above the baseline
    EXPECT_TRUE(ink[0] >= left && ink[1] <= left + slug.width && ink[1] - ink[0] > slug.width / 2) << ink[0];
    EXPECT_TRUE(ink[2] >= top && ink[3] <= top + slug.baseline) << ink[2];
}
