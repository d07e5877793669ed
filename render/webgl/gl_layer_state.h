// What the files of the WebGL layer share: a vertex with its attributes, the current
// attributes, the matrices, the pipeline state and the hand-over of finished triangles.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// One vertex with everything fixed-function GL attaches to it.
struct LayerVertex {
    float position[3];
    float normal[3];
    float colour[4];
    float texCoord[2];
};

// The current colour, normal and texture coordinate that the next vertex takes.
struct CurrentAttributes {
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};
};
extern CurrentAttributes Current;

// A column-major 4 x 4 matrix, as GL keeps them.
struct Matrix4 {
    float m[16];
};

Matrix4 IdentityMatrix();
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);

// The top of the modelview and projection stacks.
const Matrix4& ModelviewMatrix();
const Matrix4& ProjectionMatrix();

// Multiplies `matrix` onto the current stack's top (glMultMatrix), or records it.
void ApplyMatrix(const Matrix4& matrix);

// Puts both stacks back to one identity matrix each, the modelview selected.
void ResetMatrixStacks();

// Object-space triangles (three vertices each) transformed by the current modelview into eye
// space and queued for drawing with the current pipeline state.
void SubmitTriangles(const LayerVertex* vertices, size_t count);

// The same for triangles whose corners are indices into `vertices`, each of which is moved
// into eye space once.
void SubmitIndexedTriangles(const LayerVertex* vertices, size_t vertexCount,
                            const uint32_t* corners, size_t cornerCount);

// A display list's triangles in object space, kept in the layer's list buffer, which goes to
// WebGL once; returns the index of the first.
size_t KeepListTriangles(const LayerVertex* vertices, size_t count);

// Forgets the kept triangles: every list they belonged to is gone.
void ForgetListTriangles();

// Draws `count` kept triangle vertices from `first` with the modelview matrix of the moment;
// the attributes named in `inherit` (AttributeBits) are the current ones, not the vertices'.
void DrawListTriangles(size_t first, size_t count, uint8_t inherit);

// True between glNewList and glEndList: the calls that a list can hold are recorded into it
// instead of being carried out.
bool RecordingList();

// Records a call into the list being compiled; it runs when the list is called.
void RecordCall(std::function<void()> call);

// Which attributes a vertex of a display list takes from the list itself; the others it takes
// from what is current when the list runs, as GL's vertices do.
enum AttributeBits : uint8_t {
    NormalBit = 1,
    ColourBit = 2,
    TexCoordBit = 4,
    AllAttributeBits = 7,
};

// Records a batch of object-space triangles: `fromList` holds each vertex's bits of attributes
// set inside the list before it, `setAfter` the attributes the list has set by the batch's end
// and `after` their values, which become current when the batch runs.
void RecordTriangles(std::vector<LayerVertex> triangles, std::vector<uint8_t> fromList,
                     uint8_t setAfter, const CurrentAttributes& after);

// Forgets which attributes the list compiled before set; called when a list begins.
void ClearListAttributesSet();

// Forgets every display list (the context is gone).
void ResetDisplayLists();

// Puts the current attributes and the vertex array state back to their start values.
void ResetImmediateMode();

// Sends the queued triangles to WebGL; before any state they were queued under changes.
void FlushTriangles();

// The fixed-function state that the shader reads, as glEnable, glFog and glBindTexture set it.
// The rest (depth test and mask, blending) is WebGL's own state, set straight through.
struct PipelineState {
    bool texturing = false;
    GLuint texture = 0;
    bool lighting = false;
    bool light0 = false;
    bool colourMaterial = false;
    bool normalize = false;
    bool fog = false;
    GLenum fogMode = GL_EXP;
    float fogColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float fogStart = 0.0f;
    float fogEnd = 1.0f;
};
extern PipelineState Pipeline;

// Puts the pipeline state and WebGL's own state back to those of a new GL context.
void ResetPipeline();
