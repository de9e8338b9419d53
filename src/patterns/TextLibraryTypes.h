#pragma once

// The Cairo, Pango and FreeType types the text layer's declarations name,
// declared as those libraries declare them: including the pattern framework
// does not pull in the libraries' headers. The files that use the libraries
// (PatternText.cpp, TTFont.cpp, TextSlug.cpp) include the real ones.
typedef struct _cairo cairo_t;
typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct FT_FaceRec_* FT_Face;
