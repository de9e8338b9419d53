#include "patterns/TextSlug.h"

#include <pango/pango.h>

TextSlug::~TextSlug()
{
    if (fontDescription != nullptr) {
        pango_font_description_free(fontDescription);
    }
}
