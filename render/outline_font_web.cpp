// The glyph lists in the browser, which has neither FreeType nor the GLU tessellator: the
// triangles the desktop build tessellated (the glyph-mesh tool) are embedded in the program
// and compiled into the same display lists the desktop compiles.
#include "render/outline_font.h"

#include "render/glyph_mesh.h"
#include "render/render.h"

#include <algorithm>
#include <iterator>

// The glyph-mesh tool's output, embedded by the build.
extern const uint8_t kf_glyph_mesh[];
extern const size_t kf_glyph_mesh_size;

namespace {

void CompileGlyph(const GlyphMesh& glyph) {
    if (glyph.hasOutline) {
        glNormal3f(0.0f, 0.0f, 1.0f);
    }
    if (!glyph.triangleXy.empty()) {
        glBegin(GL_TRIANGLES);
        for (size_t i = 0; i + 1 < glyph.triangleXy.size(); i += 2) {
            glVertex3f(glyph.triangleXy[i], glyph.triangleXy[i + 1], 0.0f);
        }
        glEnd();
    }
    glTranslatef(glyph.advance, 0.0f, 0.0f);
}

} // namespace

void BuildOutlineFont() {
    std::fill(std::begin(GlyphAdvanceEm), std::end(GlyphAdvanceEm), 0.0f);
    FontListBase = glGenLists(FontListCount);
    if (FontListBase == 0) {
        return;
    }
    // A mesh that does not read leaves every list empty: no text, as with no font on Linux.
    std::vector<GlyphMesh> glyphs;
    if (!ParseGlyphMesh(kf_glyph_mesh, kf_glyph_mesh_size, glyphs)) {
        return;
    }
    const size_t count = std::min<size_t>(glyphs.size(), FontListCount - 1);
    for (size_t code = 0; code < count; ++code) {
        glNewList(FontListBase + static_cast<GLuint>(code), GL_COMPILE);
        CompileGlyph(glyphs[code]);
        glEndList();
        GlyphAdvanceEm[code] = glyphs[code].advance;
    }
}
