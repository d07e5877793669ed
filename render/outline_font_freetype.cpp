// The glyph lists on Linux: FreeType's outlines (glyph_outlines.cpp) filled by the GLU
// tessellator (glyph_tessellation.cpp) and compiled into display lists.
#include "render/outline_font.h"

#include "render/glyph_tessellation.h"
#include "render/render.h"

#include <algorithm>
#include <iterator>

namespace {

// Emits the filled glyph into the list being compiled, then the pen move. A glyph with an
// outline sets the normal even where nothing of it is left to fill.
void CompileGlyph(const GlyphOutline& glyph, const std::vector<GlyphPoint>& triangles) {
    if (!glyph.contours.empty()) {
        glNormal3f(0.0f, 0.0f, 1.0f);
    }
    if (!triangles.empty()) {
        glBegin(GL_TRIANGLES);
        for (const GlyphPoint& p : triangles) {
            glVertex3d(p.x, p.y, 0.0);
        }
        glEnd();
    }
    glTranslatef(static_cast<GLfloat>(glyph.advance), 0.0f, 0.0f);
}

} // namespace

void BuildOutlineFont() {
    std::fill(std::begin(GlyphAdvanceEm), std::end(GlyphAdvanceEm), 0.0f);
    FontListBase = glGenLists(FontListCount);
    if (FontListBase == 0) {
        return;
    }
    std::vector<GlyphOutline> glyphs;
    if (!LoadGlyphOutlines(glyphs)) {
        return;
    }
    std::vector<GlyphPoint> triangles;
    for (int code = 0; code < GlyphCodeCount; ++code) {
        if (!TessellateGlyph(glyphs[code], triangles)) {
            return;
        }
        glNewList(FontListBase + code, GL_COMPILE);
        CompileGlyph(glyphs[code], triangles);
        glEndList();
        GlyphAdvanceEm[code] = static_cast<float>(glyphs[code].advance);
    }
}
