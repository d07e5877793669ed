// Compiles the press's static body: a bowl-shaped grid surface drawn twice, mirrored across
// x = 0, and two mirrored spheres side by side, into one display list.
#include "render/body_list.h"

#include "texgen/texture_upload.h"

#include <GL/glu.h>

GLuint BodyList = 0;

namespace {

constexpr int GridFirst = -30;
constexpr int GridLast = 30; // quads run from p = -30 to 30, corners to 31

// One corner of the bowl: normal, texture coordinate, vertex, in that order. Its lowest point
// (height 0) is at x = 5, z = 0; the edge p = -30 lies on the plane x = 0, where the two
// mirrored halves meet with the same s.
void BowlCorner(int p, int q) {
    float fp = static_cast<float>(p);
    float fq = static_cast<float>(q);
    glNormal3f(0.04f * fp, -1.0f, 0.04f * fq);
    glTexCoord2f(static_cast<float>(p + 90) / 120.0f, static_cast<float>(q + 30) / 61.0f);
    glVertex3f(5.0f + fp / 6.0f, 0.002f * static_cast<float>(p * p + q * q), fq / 3.0f);
}

// Each pass mirrors onto the pass before, so the first draws at negative x, the second
// (mirrored twice) at positive x.
void CompileSurfaces() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, SurfaceTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    for (int pass = 0; pass < 2; ++pass) {
        glScalef(-1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glColor3ub(255, 255, 255);
        for (int p = GridFirst; p <= GridLast; ++p) {
            for (int q = GridFirst; q <= GridLast; ++q) {
                BowlCorner(p, q);
                BowlCorner(p + 1, q);
                BowlCorner(p + 1, q + 1);
                BowlCorner(p, q + 1);
            }
        }
        glEnd();
    }
    glPopMatrix();
}

// The second sphere is the first's mirror image, so its texture runs the other way.
void CompileSpheres() {
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, SphereTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GLUquadric* quadric = gluNewQuadric();
    glColor3ub(255, 255, 255);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    gluQuadricTexture(quadric, GL_TRUE);
    glRotatef(-110.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(-1.0f, -6.5f, 0.0f);
    gluSphere(quadric, 2.0, 32, 32);
    glTranslatef(2.0f, 0.0f, 0.0f);
    glScalef(1.0f, 1.0f, -1.0f);
    gluSphere(quadric, 2.0, 32, 32);
    gluDeleteQuadric(quadric);
    glPopMatrix();
}

} // namespace

void BuildBodyList() {
    BodyList = glGenLists(1);
    glNewList(BodyList, GL_COMPILE);
    CompileSurfaces();
    CompileSpheres();
    glDisable(GL_TEXTURE_2D);
    glEndList();
}
