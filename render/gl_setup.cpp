// Projection for the window's size and the fixed GL state of the whole run, with the objects
// each new rendering context needs: textures, font lists and the body list.
#include "render/render.h"

#include "render/body_list.h"
#include "render/outline_font.h"
#include "texgen/texture_upload.h"

#include <GL/glu.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double FieldOfViewDegrees = 75.0;
constexpr double NearPlane = 0.1;
constexpr double FarPlane = 100.0;
constexpr double PictureAspect = 4.0 / 3.0;

bool KeepPictureWidth = false;
// The view as ResizeView last set it: its size and the vertical field of view.
int32_t ViewWidth = 1;
int32_t ViewHeight = 1;
double ViewFieldOfView = FieldOfViewDegrees;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// The 75-degree field, or, for a view narrower than 4:3 that keeps the picture's width, the
// wider field that shows the text plane (z = -1) as wide as a 4:3 view shows it.
double FieldOfViewFor(double aspect) {
    if (!KeepPictureWidth || aspect >= PictureAspect) {
        return FieldOfViewDegrees;
    }
    const double halfHeight = std::tan(Radians(FieldOfViewDegrees / 2.0)) * PictureAspect / aspect;
    return 2.0 * std::atan(halfHeight) * 180.0 / std::numbers::pi;
}

} // namespace

void KeepFourByThreeWidth(bool keep) {
    KeepPictureWidth = keep;
}

void ViewPointOnTextPlane(float x, float y, float& planeX, float& planeY) {
    const double aspect = static_cast<double>(ViewWidth) / static_cast<double>(ViewHeight);
    const double ndcX = 2.0 * x / ViewWidth - 1.0;
    const double ndcY = 1.0 - 2.0 * y / ViewHeight;
    const double halfHeight = std::tan(Radians(ViewFieldOfView / 2.0));
    planeX = static_cast<float>(ndcX * halfHeight * aspect);
    planeY = static_cast<float>(ndcY * halfHeight);
}

void ResizeView(int32_t width, int32_t height) {
    if (height == 0) {
        height = 1;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = static_cast<double>(width) / static_cast<double>(height);
    ViewWidth = width > 0 ? width : 1;
    ViewHeight = height;
    ViewFieldOfView = FieldOfViewFor(aspect);
    gluPerspective(ViewFieldOfView, aspect, NearPlane, FarPlane);
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
