// Immediate mode and client vertex arrays: glBegin ... glEnd with the current colour, normal
// and texture coordinate, every primitive the renderer uses turned into plain triangles, which
// are drawn at once or, while a display list is compiled, recorded into it.
#include "render/webgl/gl_layer_state.h"

#include <algorithm>
#include <cassert>
#include <cstring>

CurrentAttributes Current;

namespace {

constexpr GLenum NoPrimitive = ~0u;

GLenum Primitive = NoPrimitive;
std::vector<LayerVertex> Gathered;
// The corners of the triangles a primitive is cut into, as indices into its vertices.
std::vector<uint32_t> Corners;
// While a list is compiled: for each vertex, the attributes it takes from the list.
std::vector<uint8_t> GatheredFromList;
uint8_t AttributesSetInList = 0;

// The vertex array set by glVertexPointer: three floats per vertex, tightly packed.
const GLfloat* VertexArray = nullptr;
bool VertexArrayEnabled = false;

// The corners are written through a pointer into room made beforehand: a push per corner is
// what the streamed geometry of a frame spends much of its time on.
uint32_t* AddTriangle(uint32_t* out, uint32_t a, uint32_t b, uint32_t c) {
    out[0] = a;
    out[1] = b;
    out[2] = c;
    return out + 3;
}

// Quads are cut along the diagonal from their second to their fourth corner, as Mesa cuts
// them under GL's last-vertex convention, so that colours interpolate across the same edge.
uint32_t* AddQuad(uint32_t* out, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return AddTriangle(AddTriangle(out, a, b, d), b, c, d);
}

// Fills Corners with the triangles of `n` vertices of primitive `mode`; no primitive makes
// more than `n` triangles.
void CutIntoTriangles(GLenum mode, uint32_t n) {
    Corners.resize(3 * static_cast<size_t>(n));
    uint32_t* out = Corners.data();
    switch (mode) {
    case GL_TRIANGLES:
        for (uint32_t i = 0; i + 2 < n; i += 3) {
            out = AddTriangle(out, i, i + 1, i + 2);
        }
        break;
    case GL_QUADS:
        for (uint32_t i = 0; i + 3 < n; i += 4) {
            out = AddQuad(out, i, i + 1, i + 2, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        // Strip pair k and k + 1 bound the quad (2k, 2k + 1, 2k + 3, 2k + 2).
        for (uint32_t i = 0; i + 3 < n; i += 2) {
            out = AddQuad(out, i, i + 1, i + 3, i + 2);
        }
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (uint32_t i = 1; i + 1 < n; ++i) {
            out = AddTriangle(out, 0, i, i + 1);
        }
        break;
    case GL_TRIANGLE_STRIP:
        for (uint32_t i = 0; i + 2 < n; ++i) {
            out =
                i % 2 == 0 ? AddTriangle(out, i, i + 1, i + 2) : AddTriangle(out, i + 1, i, i + 2);
        }
        break;
    default:
        assert(false && "points and lines are not provided by the WebGL layer");
        break;
    }
    Corners.resize(static_cast<size_t>(out - Corners.data()));
}

// A list keeps its triangles' corners one by one, with the attribute bits of each.
void RecordPrimitive() {
    std::vector<LayerVertex> triangles;
    std::vector<uint8_t> fromList;
    triangles.reserve(Corners.size());
    fromList.reserve(Corners.size());
    for (uint32_t corner : Corners) {
        triangles.push_back(Gathered[corner]);
        fromList.push_back(GatheredFromList[corner]);
    }
    RecordTriangles(std::move(triangles), std::move(fromList), AttributesSetInList, Current);
}

LayerVertex VertexWithCurrentAttributes(float x, float y, float z) {
    LayerVertex v{};
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    std::memcpy(v.normal, Current.normal, sizeof v.normal);
    std::memcpy(v.colour, Current.colour, sizeof v.colour);
    std::memcpy(v.texCoord, Current.texCoord, sizeof v.texCoord);
    return v;
}

// While a list is compiled the attributes change as they would when it runs (the list
// restores them at its end), so that its vertices take them. Outside glBegin ... glEnd the
// list also records the call itself; inside, the batch records what is current after it.
void SetColour(float r, float g, float b, float a) {
    if (RecordingList() && Primitive == NoPrimitive) {
        RecordCall([r, g, b, a] { SetColour(r, g, b, a); });
    }
    AttributesSetInList |= ColourBit;
    Current.colour[0] = r;
    Current.colour[1] = g;
    Current.colour[2] = b;
    Current.colour[3] = a;
}

} // namespace

void ClearListAttributesSet() {
    AttributesSetInList = 0;
}

void ResetImmediateMode() {
    Current = CurrentAttributes{};
    Primitive = NoPrimitive;
    Gathered.clear();
    VertexArray = nullptr;
    VertexArrayEnabled = false;
}

extern "C" {

void glBegin(GLenum mode) {
    assert(Primitive == NoPrimitive && "glBegin inside glBegin ... glEnd");
    Primitive = mode;
    Gathered.clear();
    GatheredFromList.clear();
}

void glEnd() {
    assert(Primitive != NoPrimitive && "glEnd without glBegin");
    CutIntoTriangles(Primitive, static_cast<uint32_t>(Gathered.size()));
    Primitive = NoPrimitive;
    if (RecordingList()) {
        RecordPrimitive();
    } else {
        SubmitIndexedTriangles(Gathered.data(), Gathered.size(), Corners.data(), Corners.size());
    }
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    assert(Primitive != NoPrimitive && "a vertex outside glBegin ... glEnd");
    Gathered.push_back(VertexWithCurrentAttributes(x, y, z));
    if (RecordingList()) {
        GatheredFromList.push_back(AttributesSetInList);
    }
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    glVertex3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (RecordingList() && Primitive == NoPrimitive) {
        RecordCall([x, y, z] { glNormal3f(x, y, z); });
    }
    AttributesSetInList |= NormalBit;
    Current.normal[0] = x;
    Current.normal[1] = y;
    Current.normal[2] = z;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    if (RecordingList() && Primitive == NoPrimitive) {
        RecordCall([s, t] { glTexCoord2f(s, t); });
    }
    AttributesSetInList |= TexCoordBit;
    Current.texCoord[0] = s;
    Current.texCoord[1] = t;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    SetColour(r, g, b, a);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    SetColour(r, g, b, 1.0f);
}

void glColor3ub(GLubyte r, GLubyte g, GLubyte b) {
    SetColour(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
}

void glEnableClientState(GLenum array) {
    assert(array == GL_VERTEX_ARRAY && "the layer keeps vertex arrays only");
    VertexArrayEnabled = array == GL_VERTEX_ARRAY;
}

void glDisableClientState(GLenum array) {
    if (array == GL_VERTEX_ARRAY) {
        VertexArrayEnabled = false;
    }
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    assert(size == 3 && type == GL_FLOAT && stride == 0 && "packed xyz floats only");
    (void)size, (void)type, (void)stride;
    VertexArray = static_cast<const GLfloat*>(pointer);
}

// The vertices come from the array, everything else from the current attributes. Drawn at
// once, each array vertex is moved into eye space once however many triangles share it.
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    assert(type == GL_UNSIGNED_INT && "32-bit indices only");
    if (!VertexArrayEnabled || VertexArray == nullptr || type != GL_UNSIGNED_INT || count <= 0) {
        return;
    }
    const auto* index = static_cast<const GLuint*>(indices);
    if (RecordingList()) {
        glBegin(mode);
        for (GLsizei i = 0; i < count; ++i) {
            const GLfloat* v = VertexArray + 3 * static_cast<size_t>(index[i]);
            glVertex3f(v[0], v[1], v[2]);
        }
        glEnd();
        return;
    }
    GLuint highest = 0;
    for (GLsizei i = 0; i < count; ++i) {
        highest = std::max(highest, index[i]);
    }
    Gathered.clear();
    for (GLuint i = 0; i <= highest; ++i) {
        const GLfloat* v = VertexArray + 3 * static_cast<size_t>(i);
        Gathered.push_back(VertexWithCurrentAttributes(v[0], v[1], v[2]));
    }
    CutIntoTriangles(mode, static_cast<uint32_t>(count));
    for (uint32_t& corner : Corners) {
        corner = index[corner];
    }
    SubmitIndexedTriangles(Gathered.data(), Gathered.size(), Corners.data(), Corners.size());
}

} // extern "C"
