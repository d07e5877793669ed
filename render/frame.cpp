// Placeholder frame until the scene lands: clears to the fog colour.
#include "render/render.h"

#include <GL/gl.h>

void ResizeView(int32_t width, int32_t height) {
    glViewport(0, 0, width, height == 0 ? 1 : height);
}

bool InitRenderState() { return true; }

void FreeOutlineFont() {}

void BuildSphereMesh(int32_t) {}

bool DrawFrame() {
    glClearColor(0.1f, 0.1f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}
