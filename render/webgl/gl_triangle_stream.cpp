// The layer's way to WebGL. Triangles drawn as they are made arrive in object space, are moved
// into eye space with the modelview matrix of the moment they arrive (as GL transforms each
// vertex when it is given), and wait in one buffer until a state change or the end of the
// frame draws them all with one call. A display list's triangles are sent once, when the list
// is compiled, and drawn from there with the modelview of the moment as a uniform. The layer's
// start and stop with the context live here too.
#define GL_GLEXT_PROTOTYPES
#include "render/webgl/webgl_layer.h"

#include "render/webgl/fixed_function_program.h"
#include "render/webgl/gl_layer_state.h"

#include <cmath>
#include <cstddef>
#include <cstring>

// WebGL's own glDrawElements: the layer's, which the renderer calls, draws from the client's
// vertex array.
extern "C" void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type,
                                          const void* indices);

namespace {

FixedFunctionProgram Program;
GLuint StreamBuffer = 0;
GLuint StreamCornerBuffer = 0;
// The queued triangles: eye-space vertices and the corners that index them. Sixteen-bit
// indices, which every WebGL 1 draws, bound a batch to 65,536 vertices.
std::vector<LayerVertex> Pending;
std::vector<uint16_t> PendingCorners;
constexpr size_t MaxBatchVertices = 65536;

// Every display list's own triangles in object space, in one buffer that is sent to WebGL
// once (again only when lists were compiled since) and drawn from in place.
GLuint ListBuffer = 0;
std::vector<LayerVertex> ListVertices;
size_t ListVerticesSent = 0;

// A normal matrix as the shader takes it, column by column.
struct NormalMatrix3 {
    float m[9];
};
constexpr NormalMatrix3 IdentityNormals{{1, 0, 0, 0, 1, 0, 0, 0, 1}};

// The modelview matrix the cached normal matrix belongs to.
Matrix4 NormalSource = IdentityMatrix();
NormalMatrix3 Normals = IdentityNormals;

// Normals go through the inverse transpose of the modelview's upper 3 x 3, so that they stay
// perpendicular under scaling and keep their side under a mirroring.
const NormalMatrix3& NormalMatrixOf(const Matrix4& modelview) {
    if (std::memcmp(&NormalSource, &modelview, sizeof modelview) == 0) {
        return Normals;
    }
    NormalSource = modelview;
    const float* m = modelview.m;
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float cofactor[9] = {e * i - f * h,    -(d * i - f * g), d * h - e * g,
                               -(b * i - c * h), a * i - c * g,    -(a * h - b * g),
                               b * f - c * e,    -(a * f - c * d), a * e - b * d};
    const float determinant = a * cofactor[0] + b * cofactor[1] + c * cofactor[2];
    const float scale = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    // Row r of the inverse transpose is cofactor row r over the determinant; the shader
    // takes it column by column.
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            Normals.m[3 * column + row] = cofactor[3 * row + column] * scale;
        }
    }
    return Normals;
}

// The normals are moved too where the triangles are lit; unlit, the shader ignores them.
void ToEyeSpace(const LayerVertex& v, const Matrix4& modelview, const NormalMatrix3* normals,
                LayerVertex& eye) {
    const float* m = modelview.m;
    const float* p = v.position;
    eye = v;
    for (int row = 0; row < 3; ++row) {
        eye.position[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    }
    if (normals == nullptr) {
        return;
    }
    const float* n3 = normals->m;
    const float* n = v.normal;
    for (int row = 0; row < 3; ++row) {
        eye.normal[row] = n3[row] * n[0] + n3[3 + row] * n[1] + n3[6 + row] * n[2];
    }
}

// What the program's uniforms and the bound buffer hold, so that only changes go to WebGL:
// every call into it crosses from WebAssembly into JavaScript.
struct SentState {
    bool known = false;
    GLuint buffer = 0;
    Matrix4 projection{};
    Matrix4 modelview{};
    NormalMatrix3 normals{};
    float inherit[3] = {};
    // The current attributes are sent for the lists that take them only.
    bool currentKnown = false;
    CurrentAttributes current;
    int switches[6] = {};
    float fogColour[3] = {};
    float fogStart = 0.0f;
    float fogEnd = 0.0f;
};
SentState Sent;

template <typename T> bool Changed(T& sent, const T& value) {
    if (Sent.known && std::memcmp(&sent, &value, sizeof value) == 0) {
        return false;
    }
    std::memcpy(&sent, &value, sizeof value);
    return true;
}

void SendSwitch(GLint location, int& sent, bool on) {
    const int value = on ? 1 : 0;
    if (Changed(sent, value)) {
        glUniform1i(location, value);
    }
}

void SendPipeline() {
    if (Changed(Sent.projection, ProjectionMatrix())) {
        glUniformMatrix4fv(Program.projection, 1, GL_FALSE, ProjectionMatrix().m);
    }
    SendSwitch(Program.lighting, Sent.switches[0], Pipeline.lighting);
    SendSwitch(Program.light0, Sent.switches[1], Pipeline.light0);
    SendSwitch(Program.colourMaterial, Sent.switches[2], Pipeline.colourMaterial);
    SendSwitch(Program.normalize, Sent.switches[3], Pipeline.normalize);
    SendSwitch(Program.texturing, Sent.switches[4], Pipeline.texturing && Pipeline.texture != 0);
    SendSwitch(Program.fog, Sent.switches[5], Pipeline.fog);
    float fogColour[3] = {Pipeline.fogColour[0], Pipeline.fogColour[1], Pipeline.fogColour[2]};
    if (Changed(Sent.fogColour, fogColour)) {
        glUniform3fv(Program.fogColour, 1, fogColour);
    }
    if (Changed(Sent.fogStart, Pipeline.fogStart)) {
        glUniform1f(Program.fogStart, Pipeline.fogStart);
    }
    if (Changed(Sent.fogEnd, Pipeline.fogEnd)) {
        glUniform1f(Program.fogEnd, Pipeline.fogEnd);
    }
}

// `normals` is null where the triangles are unlit (the text, for one): they have no use for
// a normal matrix, so none is worked out or sent.
void SendTransform(const Matrix4& modelview, const NormalMatrix3* normals) {
    if (Changed(Sent.modelview, modelview)) {
        glUniformMatrix4fv(Program.modelview, 1, GL_FALSE, modelview.m);
    }
    if (normals != nullptr && Changed(Sent.normals, *normals)) {
        glUniformMatrix3fv(Program.normalMatrix, 1, GL_FALSE, normals->m);
    }
}

void SendInherited(uint8_t inherit) {
    const float flags[3] = {(inherit & NormalBit) != 0 ? 1.0f : 0.0f,
                            (inherit & ColourBit) != 0 ? 1.0f : 0.0f,
                            (inherit & TexCoordBit) != 0 ? 1.0f : 0.0f};
    if (Changed(Sent.inherit, flags)) {
        glUniform3fv(Program.inherit, 1, flags);
    }
    if (inherit == 0) {
        return;
    }
    if (!Sent.currentKnown || std::memcmp(&Sent.current, &Current, sizeof Current) != 0) {
        Sent.current = Current;
        Sent.currentKnown = true;
        glUniform3fv(Program.currentNormal, 1, Current.normal);
        glUniform4fv(Program.currentColour, 1, Current.colour);
        glUniform2fv(Program.currentTexCoord, 1, Current.texCoord);
    }
}

void PointAttribute(GLint location, int size, size_t offset) {
    if (location < 0) {
        return;
    }
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, GL_FALSE,
                          sizeof(LayerVertex), reinterpret_cast<const void*>(offset));
}

// The attribute pointers belong to the buffer bound when they are set.
void BindVertices(GLuint buffer) {
    if (!Changed(Sent.buffer, buffer)) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    PointAttribute(Program.position, 3, offsetof(LayerVertex, position));
    PointAttribute(Program.normal, 3, offsetof(LayerVertex, normal));
    PointAttribute(Program.colour, 4, offsetof(LayerVertex, colour));
    PointAttribute(Program.texCoord, 2, offsetof(LayerVertex, texCoord));
}

void SendListVertices() {
    if (ListVerticesSent == ListVertices.size()) {
        return;
    }
    BindVertices(ListBuffer);
    glBufferData(GL_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(ListVertices.size() * sizeof(LayerVertex)),
                 ListVertices.data(), GL_STATIC_DRAW);
    ListVerticesSent = ListVertices.size();
}

} // namespace

void SubmitIndexedTriangles(const LayerVertex* vertices, size_t vertexCount,
                            const uint32_t* corners, size_t cornerCount) {
    if (Program.program == 0) {
        return;
    }
    if (vertexCount > MaxBatchVertices) {
        // Too many for one batch's indices: its triangles go one by one.
        constexpr uint32_t Order[3] = {0, 1, 2};
        for (size_t i = 0; i + 2 < cornerCount; i += 3) {
            const LayerVertex triangle[3] = {vertices[corners[i]], vertices[corners[i + 1]],
                                             vertices[corners[i + 2]]};
            SubmitIndexedTriangles(triangle, 3, Order, 3);
        }
        return;
    }
    if (Pending.size() + vertexCount > MaxBatchVertices) {
        FlushTriangles();
    }
    // A change of lighting sends the queue first, so it draws lit as it is now.
    const Matrix4& modelview = ModelviewMatrix();
    const NormalMatrix3* normals = Pipeline.lighting ? &NormalMatrixOf(modelview) : nullptr;
    const size_t base = Pending.size();
    Pending.resize(base + vertexCount);
    for (size_t i = 0; i < vertexCount; ++i) {
        ToEyeSpace(vertices[i], modelview, normals, Pending[base + i]);
    }
    const size_t firstCorner = PendingCorners.size();
    PendingCorners.resize(firstCorner + cornerCount);
    for (size_t i = 0; i < cornerCount; ++i) {
        PendingCorners[firstCorner + i] = static_cast<uint16_t>(base + corners[i]);
    }
}

void SubmitTriangles(const LayerVertex* vertices, size_t count) {
    std::vector<uint32_t> corners(count);
    for (size_t i = 0; i < count; ++i) {
        corners[i] = static_cast<uint32_t>(i);
    }
    SubmitIndexedTriangles(vertices, count, corners.data(), corners.size());
}

void FlushTriangles() {
    if (PendingCorners.empty() || Program.program == 0) {
        Pending.clear();
        PendingCorners.clear();
        return;
    }
    BindVertices(StreamBuffer);
    SendPipeline();
    SendTransform(IdentityMatrix(), Pipeline.lighting ? &IdentityNormals : nullptr);
    SendInherited(0);
    Sent.known = true;
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(Pending.size() * sizeof(LayerVertex)),
                 Pending.data(), GL_STREAM_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(PendingCorners.size() * sizeof(uint16_t)),
                 PendingCorners.data(), GL_STREAM_DRAW);
    emscripten_glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(PendingCorners.size()),
                              GL_UNSIGNED_SHORT, nullptr);
    Pending.clear();
    PendingCorners.clear();
}

size_t KeepListTriangles(const LayerVertex* vertices, size_t count) {
    const size_t first = ListVertices.size();
    ListVertices.insert(ListVertices.end(), vertices, vertices + count);
    return first;
}

void ForgetListTriangles() {
    ListVertices.clear();
    ListVerticesSent = 0;
}

void DrawListTriangles(size_t first, size_t count, uint8_t inherit) {
    if (Program.program == 0 || count == 0 || first + count > ListVertices.size()) {
        return;
    }
    FlushTriangles();
    SendListVertices();
    BindVertices(ListBuffer);
    SendPipeline();
    const Matrix4& modelview = ModelviewMatrix();
    SendTransform(modelview, Pipeline.lighting ? &NormalMatrixOf(modelview) : nullptr);
    SendInherited(inherit);
    Sent.known = true;
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first), static_cast<GLsizei>(count));
}

bool StartWebGlLayer() {
    StopWebGlLayer();
    if (!BuildFixedFunctionProgram(Program)) {
        return false;
    }
    glGenBuffers(1, &StreamBuffer);
    glGenBuffers(1, &ListBuffer);
    glGenBuffers(1, &StreamCornerBuffer);
    // Only the stream draws by index: its corner buffer stays bound.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, StreamCornerBuffer);
    glUseProgram(Program.program);
    glUniform1i(Program.sampler, 0);
    ResetPipeline();
    return true;
}

void StopWebGlLayer() {
    // The context's objects go with the context; only the layer's own records are cleared.
    Program = FixedFunctionProgram{};
    StreamBuffer = 0;
    ListBuffer = 0;
    StreamCornerBuffer = 0;
    Pending.clear();
    PendingCorners.clear();
    ForgetListTriangles();
    Sent = SentState{};
    NormalSource = IdentityMatrix();
    Normals = IdentityNormals;
    ResetDisplayLists();
    ResetImmediateMode();
    ResetMatrixStacks();
    Pipeline = PipelineState{};
}

void FlushWebGl() {
    FlushTriangles();
}
