// The GLU calls the renderer makes, which the browser lacks: quadric spheres and cylinders,
// emitted as GLU emits them (quad strips, smooth normals, the same texture coordinates) so
// that the picture matches the desktop's, and mipmapped texture upload.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <numbers>
#include <vector>

// GLU's quadric is an opaque record; the game sets orientation and texture coordinates only.
struct GLUquadric {
    GLenum orientation = GLU_OUTSIDE;
    bool textureCoords = false;
};

namespace {

struct AngleTable {
    std::vector<float> sine;
    std::vector<float> cosine;
};

// sin and cos of `steps` + 1 angles from 0 to `turn` radians, in single precision as GLU keeps
// them; the last repeats the first exactly where the angles close a full circle.
AngleTable Angles(int steps, double turn, bool closed) {
    AngleTable table;
    for (int i = 0; i <= steps; ++i) {
        const float angle = static_cast<float>(turn * i / steps);
        // GLU takes the sine of the single-precision angle in double precision.
        table.sine.push_back(static_cast<float>(std::sin(static_cast<double>(angle))));
        table.cosine.push_back(static_cast<float>(std::cos(static_cast<double>(angle))));
    }
    if (closed) {
        table.sine[static_cast<size_t>(steps)] = table.sine[0];
        table.cosine[static_cast<size_t>(steps)] = table.cosine[0];
    }
    return table;
}

void TexCoordIf(const GLUquadric* quadric, float s, float t) {
    if (quadric->textureCoords) {
        glTexCoord2f(s, t);
    }
}

} // namespace

extern "C" {

GLUquadric* gluNewQuadric() {
    return new GLUquadric;
}

void gluDeleteQuadric(GLUquadric* quadric) {
    delete quadric;
}

void gluQuadricOrientation(GLUquadric* quadric, GLenum orientation) {
    quadric->orientation = orientation;
}

void gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords) {
    quadric->textureCoords = textureCoords == GL_TRUE;
}

// A tube along +z from radius `base` at z = 0 to `top` at z = `height`: one quad strip per
// stack. Inside-facing normals turn only their xy part round, as GLU's do.
void gluCylinder(GLUquadric* quadric, GLdouble base, GLdouble top, GLdouble height, GLint slices,
                 GLint stacks) {
    const float deltaRadius = static_cast<float>(base - top);
    const float length = static_cast<float>(std::sqrt(deltaRadius * deltaRadius + height * height));
    if (slices < 2 || stacks < 1 || length == 0.0f) {
        return;
    }
    const bool outside = quadric->orientation == GLU_OUTSIDE;
    const float zNormal = deltaRadius / length;
    const float xyNormal = (outside ? 1.0f : -1.0f) * static_cast<float>(height) / length;
    const AngleTable around = Angles(slices, 2.0 * std::numbers::pi, true);
    for (int j = 0; j < stacks; ++j) {
        const float zLow = static_cast<float>(j * height / stacks);
        const float zHigh = static_cast<float>((j + 1) * height / stacks);
        const float radiusLow = static_cast<float>(base - deltaRadius * (float(j) / stacks));
        const float radiusHigh = static_cast<float>(base - deltaRadius * (float(j + 1) / stacks));
        const float tLow = float(j) / stacks;
        const float tHigh = float(j + 1) / stacks;
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const float s = around.sine[static_cast<size_t>(i)];
            const float c = around.cosine[static_cast<size_t>(i)];
            const float texS = 1.0f - float(i) / slices;
            glNormal3f(xyNormal * s, xyNormal * c, zNormal);
            if (outside) {
                TexCoordIf(quadric, texS, tLow);
                glVertex3f(radiusLow * s, radiusLow * c, zLow);
                TexCoordIf(quadric, texS, tHigh);
                glVertex3f(radiusHigh * s, radiusHigh * c, zHigh);
            } else {
                TexCoordIf(quadric, texS, tHigh);
                glVertex3f(radiusHigh * s, radiusHigh * c, zHigh);
                TexCoordIf(quadric, texS, tLow);
                glVertex3f(radiusLow * s, radiusLow * c, zLow);
            }
        }
        glEnd();
    }
}

// A sphere around the origin from its pole at +z: with texture coordinates every stack is a
// quad strip, the poles included; without them GLU closes the poles with fans, which the
// game never asks for, so those stacks are strips here too.
void gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
    if (slices < 2 || stacks < 1) {
        return;
    }
    const bool outside = quadric->orientation == GLU_OUTSIDE;
    const float normalSign = outside ? 1.0f : -1.0f;
    const AngleTable around = Angles(slices, 2.0 * std::numbers::pi, true);
    const AngleTable down = Angles(stacks, std::numbers::pi, false);
    std::vector<float> ringRadius(static_cast<size_t>(stacks) + 1);
    std::vector<float> ringZ(static_cast<size_t>(stacks) + 1);
    for (int j = 0; j <= stacks; ++j) {
        const float angle = static_cast<float>(std::numbers::pi * j / stacks);
        ringRadius[static_cast<size_t>(j)] =
            static_cast<float>(radius * std::sin(static_cast<double>(angle)));
        ringZ[static_cast<size_t>(j)] =
            static_cast<float>(radius * std::cos(static_cast<double>(angle)));
    }
    // The poles come to a point.
    ringRadius[0] = 0.0f;
    ringRadius[static_cast<size_t>(stacks)] = 0.0f;
    for (int j = 0; j < stacks; ++j) {
        // Outside: each step gives the lower ring's vertex (j + 1) first, then the upper (j).
        const int first = outside ? j + 1 : j;
        const int second = outside ? j : j + 1;
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            const float s = around.sine[static_cast<size_t>(i)];
            const float c = around.cosine[static_cast<size_t>(i)];
            const float texS = 1.0f - float(i) / slices;
            for (int ring : {first, second}) {
                const size_t r = static_cast<size_t>(ring);
                const float ringSine = normalSign * down.sine[r];
                glNormal3f(s * ringSine, c * ringSine, normalSign * down.cosine[r]);
                TexCoordIf(quadric, texS, 1.0f - float(ring) / stacks);
                glVertex3f(ringRadius[r] * s, ringRadius[r] * c, ringZ[r]);
            }
        }
        glEnd();
    }
}

// GLU scales images to powers of two first; the game's textures are 256 x 256 already, so
// the browser's own mipmap chain serves.
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    (void)internalFormat;
    if (width <= 0 || height <= 0 || (width & (width - 1)) != 0 || (height & (height - 1)) != 0) {
        return GLU_INVALID_VALUE;
    }
    glTexImage2D(target, 0, static_cast<GLint>(format), width, height, 0, format, type, data);
    glGenerateMipmap(target);
    return 0;
}

} // extern "C"
