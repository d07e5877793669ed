// Glyph outlines to triangles with the GLU tessellator: contours in, a plain triangle list out.
#include "render/glyph_tessellation.h"

#include <GL/glu.h>

#include <deque>

namespace {

// What one tessellation collects: the triangles, and every vertex handed to the tessellator,
// which must stay put until the polygon ends (as must the ones it makes where contours cross;
// a deque never moves what it holds).
struct TessellationSink {
    std::vector<GlyphPoint>* triangles;
    std::deque<GLdouble[3]> vertices;
};

void BeginCallback(GLenum, void*) {}

void VertexCallback(void* vertexData, void* polygonData) {
    const auto* vertex = static_cast<const GLdouble*>(vertexData);
    static_cast<TessellationSink*>(polygonData)->triangles->push_back({vertex[0], vertex[1]});
}

void EndCallback(void*) {}

// Present only so that the tessellator hands out plain triangles, never fans or strips.
void EdgeFlagCallback(GLboolean, void*) {}

void CombineCallback(GLdouble coords[3], void* /*neighbours*/[4], GLfloat /*weights*/[4],
                     void** result, void* polygonData) {
    auto& sink = *static_cast<TessellationSink*>(polygonData);
    GLdouble* vertex = sink.vertices.emplace_back();
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
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(BeginCallback));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(VertexCallback));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<Callback>(EndCallback));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(CombineCallback));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<Callback>(EdgeFlagCallback));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    // Fixing the normal makes every output triangle face +z, whatever the contour direction.
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    return tess;
}

} // namespace

bool TessellateGlyph(const GlyphOutline& glyph, std::vector<GlyphPoint>& triangles) {
    triangles.clear();
    if (glyph.contours.empty()) {
        return true;
    }
    GLUtesselator* tess = MakeTessellator();
    if (tess == nullptr) {
        return false;
    }
    TessellationSink sink{&triangles, {}};
    gluTessBeginPolygon(tess, &sink);
    for (const auto& contour : glyph.contours) {
        gluTessBeginContour(tess);
        for (const GlyphPoint& p : contour) {
            GLdouble* vertex = sink.vertices.emplace_back();
            vertex[0] = p.x;
            vertex[1] = p.y;
            vertex[2] = 0.0;
            gluTessVertex(tess, vertex, vertex);
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    return true;
}
