// The layer's way to WebGL: triangles arrive in object space, are moved into eye space with
// the modelview matrix of the moment they arrive (as GL transforms each vertex when it is
// given), and wait in one buffer until a state change or the end of the frame draws them all
// with one call. The layer's start and stop with the context live here too.
#define GL_GLEXT_PROTOTYPES
#include "render/webgl/webgl_layer.h"

#include "render/webgl/fixed_function_program.h"
#include "render/webgl/gl_layer_state.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

FixedFunctionProgram Program;
GLuint StreamBuffer = 0;
std::vector<LayerVertex> Pending;

// The modelview matrix the cached normal matrix belongs to.
Matrix4 NormalSource{};
float NormalMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// Normals go through the inverse transpose of the modelview's upper 3 x 3, so that they stay
// perpendicular under scaling and keep their side under a mirroring.
void UpdateNormalMatrix(const Matrix4& modelview) {
    if (std::memcmp(&NormalSource, &modelview, sizeof modelview) == 0) {
        return;
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
    // Row r of the inverse transpose is cofactor row r over the determinant.
    for (int k = 0; k < 9; ++k) {
        NormalMatrix[k] = cofactor[k] * scale;
    }
}

LayerVertex ToEyeSpace(const LayerVertex& v, const Matrix4& modelview) {
    const float* m = modelview.m;
    const float* p = v.position;
    const float* n = v.normal;
    LayerVertex eye = v;
    for (int row = 0; row < 3; ++row) {
        eye.position[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
        eye.normal[row] = NormalMatrix[3 * row] * n[0] + NormalMatrix[3 * row + 1] * n[1] +
                          NormalMatrix[3 * row + 2] * n[2];
    }
    return eye;
}

void SetUniforms() {
    glUniformMatrix4fv(Program.projection, 1, GL_FALSE, ProjectionMatrix().m);
    glUniform1i(Program.lighting, Pipeline.lighting);
    glUniform1i(Program.light0, Pipeline.light0);
    glUniform1i(Program.colourMaterial, Pipeline.colourMaterial);
    glUniform1i(Program.normalize, Pipeline.normalize);
    glUniform1i(Program.texturing, Pipeline.texturing && Pipeline.texture != 0);
    glUniform1i(Program.sampler, 0);
    glUniform1i(Program.fog, Pipeline.fog);
    glUniform3fv(Program.fogColour, 1, Pipeline.fogColour);
    glUniform1f(Program.fogStart, Pipeline.fogStart);
    glUniform1f(Program.fogEnd, Pipeline.fogEnd);
}

void PointAttribute(GLint location, int size, size_t offset) {
    if (location < 0) {
        return;
    }
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, GL_FALSE,
                          sizeof(LayerVertex), reinterpret_cast<const void*>(offset));
}

void BindStream() {
    glUseProgram(Program.program);
    glBindBuffer(GL_ARRAY_BUFFER, StreamBuffer);
    PointAttribute(Program.position, 3, offsetof(LayerVertex, position));
    PointAttribute(Program.normal, 3, offsetof(LayerVertex, normal));
    PointAttribute(Program.colour, 4, offsetof(LayerVertex, colour));
    PointAttribute(Program.texCoord, 2, offsetof(LayerVertex, texCoord));
}

} // namespace

void SubmitTriangles(const LayerVertex* vertices, size_t count) {
    if (Program.program == 0) {
        return;
    }
    const Matrix4& modelview = ModelviewMatrix();
    UpdateNormalMatrix(modelview);
    Pending.reserve(Pending.size() + count);
    for (size_t i = 0; i < count; ++i) {
        Pending.push_back(ToEyeSpace(vertices[i], modelview));
    }
}

void FlushTriangles() {
    if (Pending.empty() || Program.program == 0) {
        Pending.clear();
        return;
    }
    SetUniforms();
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(Pending.size() * sizeof(LayerVertex)),
                 Pending.data(), GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(Pending.size()));
    Pending.clear();
}

bool StartWebGlLayer() {
    StopWebGlLayer();
    if (!BuildFixedFunctionProgram(Program)) {
        return false;
    }
    glGenBuffers(1, &StreamBuffer);
    BindStream();
    ResetPipeline();
    return true;
}

void StopWebGlLayer() {
    // The context's objects go with the context; only the layer's own records are cleared.
    Program = FixedFunctionProgram{};
    StreamBuffer = 0;
    Pending.clear();
    NormalSource = Matrix4{};
    ResetDisplayLists();
    ResetImmediateMode();
    ResetMatrixStacks();
    Pipeline = PipelineState{};
}

void FlushWebGl() {
    FlushTriangles();
}
