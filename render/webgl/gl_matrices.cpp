// The modelview and projection matrix stacks with GL 1.1's matrix calls and gluPerspective.
// Matrix calls made while a display list is compiled are recorded into it.
#include "render/webgl/gl_layer_state.h"

#include <GL/glu.h>

#include <cassert>
#include <cmath>
#include <numbers>

namespace {

// GL guarantees 32 modelview and 2 projection entries; the renderer nests 3 deep at most.
constexpr size_t ModelviewDepth = 32;
constexpr size_t ProjectionDepth = 4;

struct MatrixStack {
    std::vector<Matrix4> entries;
    size_t limit;
};

MatrixStack Modelview{{IdentityMatrix()}, ModelviewDepth};
MatrixStack Projection{{IdentityMatrix()}, ProjectionDepth};
GLenum CurrentMode = GL_MODELVIEW;

MatrixStack& CurrentStack() {
    return CurrentMode == GL_PROJECTION ? Projection : Modelview;
}

// The projection is a uniform of the shader: triangles queued under the old one go first.
void BeforeChange() {
    if (CurrentMode == GL_PROJECTION) {
        FlushTriangles();
    }
}

Matrix4 Translation(float x, float y, float z) {
    Matrix4 t = IdentityMatrix();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    return t;
}

Matrix4 Scaling(float x, float y, float z) {
    Matrix4 s = IdentityMatrix();
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    return s;
}

// GL's rotation by `degrees` about the axis (x, y, z), which it normalises first.
Matrix4 Rotation(float degrees, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        return IdentityMatrix();
    }
    x /= length;
    y /= length;
    z /= length;
    const float radians = degrees * std::numbers::pi_v<float> / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float k = 1.0f - c;
    Matrix4 r = IdentityMatrix();
    r.m[0] = x * x * k + c;
    r.m[1] = y * x * k + z * s;
    r.m[2] = x * z * k - y * s;
    r.m[4] = x * y * k - z * s;
    r.m[5] = y * y * k + c;
    r.m[6] = y * z * k + x * s;
    r.m[8] = x * z * k + y * s;
    r.m[9] = y * z * k - x * s;
    r.m[10] = z * z * k + c;
    return r;
}

} // namespace

Matrix4 IdentityMatrix() {
    return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 product{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            }
            product.m[column * 4 + row] = sum;
        }
    }
    return product;
}

const Matrix4& ModelviewMatrix() {
    return Modelview.entries.back();
}

const Matrix4& ProjectionMatrix() {
    return Projection.entries.back();
}

void ApplyMatrix(const Matrix4& matrix) {
    if (RecordingList()) {
        RecordCall([matrix] { ApplyMatrix(matrix); });
        return;
    }
    BeforeChange();
    Matrix4& top = CurrentStack().entries.back();
    top = Multiply(top, matrix);
}

void ResetMatrixStacks() {
    Modelview.entries.assign(1, IdentityMatrix());
    Projection.entries.assign(1, IdentityMatrix());
    CurrentMode = GL_MODELVIEW;
}

extern "C" {

void glMatrixMode(GLenum mode) {
    if (RecordingList()) {
        RecordCall([mode] { glMatrixMode(mode); });
        return;
    }
    assert((mode == GL_MODELVIEW || mode == GL_PROJECTION) && "the layer has no texture matrix");
    CurrentMode = mode;
}

void glLoadIdentity() {
    if (RecordingList()) {
        RecordCall([] { glLoadIdentity(); });
        return;
    }
    BeforeChange();
    CurrentStack().entries.back() = IdentityMatrix();
}

void glPushMatrix() {
    if (RecordingList()) {
        RecordCall([] { glPushMatrix(); });
        return;
    }
    MatrixStack& stack = CurrentStack();
    assert(stack.entries.size() < stack.limit && "matrix stack overflow: a push without its pop");
    if (stack.entries.size() < stack.limit) {
        stack.entries.push_back(stack.entries.back());
    }
}

void glPopMatrix() {
    if (RecordingList()) {
        RecordCall([] { glPopMatrix(); });
        return;
    }
    MatrixStack& stack = CurrentStack();
    assert(stack.entries.size() > 1 && "matrix stack underflow: a pop without its push");
    if (stack.entries.size() > 1) {
        BeforeChange();
        stack.entries.pop_back();
    }
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    ApplyMatrix(Translation(x, y, z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    ApplyMatrix(Scaling(x, y, z));
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
    ApplyMatrix(Rotation(degrees, x, y, z));
}

// GLU's perspective: the field of view is vertical, in degrees.
void gluPerspective(GLdouble fovY, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovY / 2.0 * std::numbers::pi / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(radians);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) {
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    Matrix4 p{};
    p.m[0] = static_cast<float>(cotangent / aspect);
    p.m[5] = static_cast<float>(cotangent);
    p.m[10] = static_cast<float>(-(zFar + zNear) / depth);
    p.m[11] = -1.0f;
    p.m[14] = static_cast<float>(-2.0 * zNear * zFar / depth);
    ApplyMatrix(p);
}

} // extern "C"
