// The glyph lists on Linux: FreeType's outlines (glyph_outlines.cpp) compiled into display
// lists, filled by the GLU tessellator with the non-zero winding rule so that overlapping
// contours of a glyph stay solid.
#include "render/outline_font.h"

#include "render/glyph_outlines.h"
#include "render/render.h"

#include <GL/glu.h>

#include <algorithm>
#include <deque>
#include <iterator>

namespace {

// Vertices handed to the tessellator must stay put until the polygon ends, and so must the
// ones it makes itself where contours cross; a deque never moves what it holds.
using VertexStore = std::deque<GLdouble[3]>;

void CombineCallback(GLdouble coords[3], void* /*neighbours*/[4], GLfloat /*weights*/[4],
                     void** result, void* polygonData) {
    auto& store = *static_cast<VertexStore*>(polygonData);
    GLdouble* vertex = store.emplace_back();
    vertex[0] = coords[0];
    vertex[1] = coords[1];
    vertex[2] = coords[2];
    *result = vertex;
}

GLUtesselator* MakeTessellator() {
    GLUtesselator* tess = gluNewTess();
    if (tess == nullptr) {
        return nullptr;
    }
    using Callback = void (*)();
    gluTessCallback(tess, GLU_TESS_BEGIN, reinterpret_cast<Callback>(glBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX, reinterpret_cast<Callback>(glVertex3dv));
    gluTessCallback(tess, GLU_TESS_END, reinterpret_cast<Callback>(glEnd));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(CombineCallback));
    // With an edge-flag callback the tessellator hands out plain triangles only, so a glyph
    // compiles to one triangle batch instead of many small fans and strips.
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG, reinterpret_cast<Callback>(glEdgeFlag));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    // Fixing the normal makes every output triangle face +z, whatever the contour direction.
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    return tess;
}

// Emits the filled glyph into the list being compiled, then the pen move.
void CompileGlyph(GLUtesselator* tess, const GlyphOutline& glyph) {
    if (!glyph.contours.empty()) {
        glNormal3f(0.0f, 0.0f, 1.0f);
        VertexStore store;
        gluTessBeginPolygon(tess, &store);
        for (const auto& contour : glyph.contours) {
            gluTessBeginContour(tess);
            for (const GlyphPoint& p : contour) {
                GLdouble* vertex = store.emplace_back();
                vertex[0] = p.x;
                vertex[1] = p.y;
                vertex[2] = 0.0;
                gluTessVertex(tess, vertex, vertex);
            }
            gluTessEndContour(tess);
        }
        gluTessEndPolygon(tess);
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
    GLUtesselator* tess = MakeTessellator();
    if (tess == nullptr) {
        return;
    }
    for (int code = 0; code < GlyphCodeCount; ++code) {
        glNewList(FontListBase + code, GL_COMPILE);
        CompileGlyph(tess, glyphs[code]);
        glEndList();
        GlyphAdvanceEm[code] = static_cast<float>(glyphs[code].advance);
    }
    gluDeleteTess(tess);
}
