// The glyph lists' base and their release, shared by both builders of the lists (FreeType on
// Linux, wglUseFontOutlinesA on Windows).
#include "render/outline_font.h"

#include "render/render.h"

GLuint FontListBase = 0;

void FreeOutlineFont() {
    // The teardown calls this after the context is gone; the lists went with it, so the
    // delete only matters when a context is still current, and a second call does nothing.
    if (FontListBase != 0) {
        glDeleteLists(FontListBase, FontListCount);
        FontListBase = 0;
    }
}
