// Projection for the window's size and the fixed GL state of the whole run, with the objects
// each new rendering context needs: textures, font lists and the body list.
#include "render/render.h"

#include "render/body_list.h"
#include "render/outline_font.h"
#include "texgen/texture_upload.h"

#include <GL/glu.h>

namespace {

constexpr double FieldOfViewDegrees = 75.0;
constexpr double NearPlane = 0.1;
constexpr double FarPlane = 100.0;

} // namespace

void ResizeView(int32_t width, int32_t height) {
    if (height == 0) {
        height = 1;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(height),
                   NearPlane, FarPlane);
    // Every drawing function works on the modelview matrix and relies on it being selected.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool InitRenderState() {
    if (!BuildGameTextures()) {
        return false;
    }
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // Light 0 keeps its defaults: white, shining along -z of eye space. With colour material
    // each vertex colour is its ambient and diffuse material.
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    BuildOutlineFont();
    BuildBodyList();
    return true;
}
