// The glyph lists' base and their release, shared by both builders of the lists (FreeType on
// Linux, wglUseFontOutlinesA on Windows).
#include "render/outline_font.h"

#include "render/render.h"

GLuint FontListBase = 0;
float GlyphAdvanceEm[FontListCount] = {};

float TextWidthEm(const char* text) {
    float width = 0.0f;
    for (const char* c = text; *c != '\0'; ++c) {
        width += GlyphAdvanceEm[static_cast<unsigned char>(*c)];
    }
    return width;
}

void FreeOutlineFont() {
    // The teardown calls this after the context is gone; the lists went with it, so the
    // delete only matters when a context is still current, and a second call does nothing.
    if (FontListBase != 0) {
        glDeleteLists(FontListBase, FontListCount);
        FontListBase = 0;
    }
}
