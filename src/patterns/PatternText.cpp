#include <cstddef>
#include <cstdio>
#include <string>

#include <cairo.h>
#include <glib-object.h>
#include <pango/pangocairo.h>

#include "patterns/PatternWrapper.h"
#include "patterns/WrappingArithmetic.h"
#include "tools/MathConstants.h"

namespace {

// Text sizes are in points of a 792-point (11-inch) page height scaled to the
// canvas height, and Pango measures in 1/1024 of a pixel.
constexpr int kPangoUnitsPerPixel = PANGO_SCALE;
constexpr int kPageHeightPoints = 792;

// The outline is a tenth of the text size wide.
constexpr double kOutlineWidthPerSize = 10.0;

// Whitespace that would only push a line's extent beyond its last glyph.
const char* const kTrailingWhitespace = " \n\r\t";

constexpr double kPercent = 100.0;

constexpr double kQuarterTurn = MathConstants::kPi / 2;  // radians

// The text size, the weight and the slant of a slug, and its letter spacing.
void applySlugStyle(PangoLayout* layout, const TextSlug* slug)
{
    pango_layout_set_font_description(layout, slug->fontDescription);

    PangoAttrList* attributes = pango_attr_list_new();
    if (slug->italic) {
        pango_attr_list_insert(attributes, pango_attr_style_new(PANGO_STYLE_ITALIC));
    }
    if (slug->bold) {
        pango_attr_list_insert(attributes, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    }
    if (slug->letterSpacing != 0) {
        const int spacing = static_cast<int>(slug->pixelSize * slug->letterSpacing * kPangoUnitsPerPixel);
        pango_attr_list_insert(attributes, pango_attr_letter_spacing_new(spacing));
    }
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
}

void applyGravity(PangoLayout* layout, PangoGravity gravity, PangoGravityHint hint)
{
    PangoContext* context = pango_layout_get_context(layout);
    pango_context_set_base_gravity(context, gravity);
    pango_context_set_gravity_hint(context, hint);
    pango_layout_context_changed(layout);
}

// The extent of a slug along its line: the slugs of a vertical line follow
// one another downward, where calcSlug stored the layout's width as height.
int extentAlongLine(const TextSlug* slug, bool vertical)
{
    return vertical ? slug->height : slug->width;
}

int trailingAdvance(const TextSlug* slug)
{
    return static_cast<int>(slug->pixelSize * slug->trailingSpace);
}

}  // namespace

int PatternSpec::defineFont(const char* family)
{
    TTFont font;
    const int result = font.createCairoFontfaceFromFile(textContext, family, fontDirectory);
    // Kept even when loading failed, so that font indices follow the calls.
    fonts.push_back(font);
    return result;
}

int PatternSpec::textCursor(int x, int y)
{
    textLeft = x;
    textTop = y;
    return 0;
}

int PatternSpec::textAlign(TextSlug::horizAlign h, TextSlug::vertAlign v)
{
    textHorizAlign = h;
    textVertAlign = v;
    return 0;
}

int PatternSpec::textSize(int size)
{
    textSizeValue = size;
    return 0;
}

int PatternSpec::setText(const char* text)
{
    TextSlug* slug = new TextSlug;
    slug->text = text != nullptr ? text : "";
    slug->size = textSizeValue;
    slug->x = textLeft;
    slug->y = textTop;
    slug->hAlign = textHorizAlign;
    slug->vAlign = textVertAlign;

    TextLine* line = new TextLine;
    line->slugs.push_back(slug);
    textLines.push_back(line);
    return 0;
}

PangoFontDescription* PatternSpec::getFont(int fontIndex, int canvasHeight, int size, int& pixelSize)
{
    const int absoluteSize =
        wrappingMultiply(wrappingMultiply(canvasHeight, size), kPangoUnitsPerPixel) / kPageHeightPoints;
    pixelSize = absoluteSize / kPangoUnitsPerPixel;

    // Without a loaded font Pango falls back to its default family.
    std::string family;
    if (fontIndex >= 0 && static_cast<std::size_t>(fontIndex) < fonts.size()) {
        family = fonts[static_cast<std::size_t>(fontIndex)].fontDescForSize(size);
    }
    PangoFontDescription* description = pango_font_description_from_string(family.c_str());
    pango_font_description_set_absolute_size(description, absoluteSize);
    return description;
}

void PatternSpec::calcSlug(int canvasHeight, PangoLayout* layout, TextSlug* slug, bool isLast, bool vertical)
{
    // Every slug is set in the first font; the slug keeps the description it
    // was measured with for renderSlug.
    PangoFontDescription* description = getFont(0, canvasHeight, slug->size, slug->pixelSize);
    if (slug->fontDescription != nullptr) {
        pango_font_description_free(slug->fontDescription);
    }
    slug->fontDescription = description;
    applySlugStyle(layout, slug);

    if (vertical) {
        applyGravity(layout, PANGO_GRAVITY_EAST, PANGO_GRAVITY_HINT_STRONG);
    } else {
        applyGravity(layout, PANGO_GRAVITY_SOUTH, PANGO_GRAVITY_HINT_LINE);
    }

    // Whitespace ends only the line's last slug; between slugs it is spacing.
    if (isLast) {
        const std::size_t end = slug->text.find_last_not_of(kTrailingWhitespace);
        slug->text.erase(end == std::string::npos ? 0 : end + 1);
    }
    pango_layout_set_text(layout, slug->text.c_str(), -1);

    int layoutWidth = 0;
    int layoutHeight = 0;
    pango_layout_get_pixel_size(layout, &layoutWidth, &layoutHeight);
    if (vertical) {
        slug->width = layoutHeight;
        slug->height = layoutWidth;
    } else {
        slug->width = layoutWidth;
        slug->height = layoutHeight;
    }
    slug->baseline = pango_layout_get_baseline(layout) / kPangoUnitsPerPixel;
}

int PatternSpec::renderSlug(cairo_t* cr, PangoLayout* layout, int x, int y, TextSlug* slug, double outlineWidth,
                            bool vertical)
{
    applySlugStyle(layout, slug);
    if (!vertical || slug->southGravityWhenVertical) {
        applyGravity(layout, PANGO_GRAVITY_SOUTH, PANGO_GRAVITY_HINT_LINE);
    } else {
        applyGravity(layout, PANGO_GRAVITY_EAST, PANGO_GRAVITY_HINT_STRONG);
    }

    // A vertical line is drawn in a frame turned by a quarter turn, where the
    // line runs along the first axis.
    if (vertical) {
        cairo_move_to(cr, y, x);
    } else {
        cairo_move_to(cr, x, y);
    }
    pango_layout_set_text(layout, slug->text.c_str(), -1);
    pango_cairo_update_layout(cr, layout);
    pango_cairo_layout_path(cr, layout);

    // The outline is stroked first and the fill laid over it, so that only its
    // outer half shows around the white glyphs.
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 1.0);
    cairo_set_line_width(cr, outlineWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 1.0);
    cairo_fill(cr);

    return extentAlongLine(slug, vertical);
}

void PatternSpec::rendertextInternal(cairo_t* cr, int width, int height)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);

    for (TextLine* line : textLines) {
        if (line == nullptr || line->slugs.empty()) {
            continue;
        }
        const bool vertical = line->vertical;
        cairo_save(cr);

        if (vertical) {
            cairo_translate(cr, width / 2, height / 2);
            cairo_rotate(cr, kQuarterTurn);
            cairo_translate(cr, -height / 2, -width / 2);
        }

        int extent = 0;
        for (std::size_t i = 0; i < line->slugs.size(); ++i) {
            TextSlug* slug = line->slugs[i];
            calcSlug(height, layout, slug, i + 1 == line->slugs.size(), vertical);
            extent += extentAlongLine(slug, vertical);
            if (slug->trailingSpace != 0) {
                extent += trailingAdvance(slug);
            }
        }

        const TextSlug* first = line->slugs.front();
        const int baseline = first->baseline;
        int x = static_cast<int>(width * first->x / kPercent);
        int y = static_cast<int>(height * first->y / kPercent);

        if (!vertical) {
            switch (first->hAlign) {
            case TextSlug::HorizLeft: break;
            case TextSlug::HorizRight: x = x - extent; break;
            default: x = width / 2 + x - extent / 2; break;
            }
            switch (first->vAlign) {
            case TextSlug::VertTop: break;
            case TextSlug::VertBaseline: y = y + baseline; break;
            default: y = y - baseline / 2; break;
            }
        } else {
            switch (first->hAlign) {
            case TextSlug::HorizLeft: x = width - baseline - x; break;
            case TextSlug::HorizRight: break;
            default: x = width / 2 + x - baseline / 2; break;
            }
            switch (first->vAlign) {
            case TextSlug::VertTop: y = height - extent - y; break;
            case TextSlug::VertBaseline: break;
            default: y = height / 2 - y - extent / 2; break;
            }
        }

        for (TextSlug* slug : line->slugs) {
            const int advance =
                renderSlug(cr, layout, x, y, slug, slug->size / kOutlineWidthPerSize, vertical) + trailingAdvance(slug);
            if (vertical) {
                y += advance;
            } else {
                x += advance;
            }
        }
        cairo_restore(cr);
    }

    g_object_unref(layout);
}

int PatternSpec::render_text(int width, int height)
{
    // Only the first layer carries text. Without one there is nothing to draw
    // into, and no surface is made at all.
    unsigned char* layer = layers.empty() ? nullptr : layers.front();
    if (layer == nullptr || width <= 0 || height <= 0) {
        return 0;
    }
    if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > layerSamples()) {
        printf("Text layer: %dx%d does not fit the %dx%d canvas, no text drawn\n", width, height, this->width,
               this->height);
        return 0;
    }

    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB30, width);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(layer, CAIRO_FORMAT_RGB30, width, height, stride);
    textContext = cairo_create(surface);

    cairo_set_source_rgb(textContext, 0.0, 0.0, 0.0);
    cairo_paint(textContext);

    rendertextInternal(textContext, width, height);

    cairo_destroy(textContext);
    textContext = nullptr;
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    return 0;
}
