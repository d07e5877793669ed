// One player's 3D view in drawing order: clear, readouts, fog, camera, tube, body geometry,
// sausage, then without fog the wave surface and the particles.
#include "render/scene.h"

#include "game/game_state.h"
#include "render/body_list.h"
#include "render/outline_font.h"
#include "texgen/texture_upload.h"

#include <GL/glu.h>

#include <cstdio>

namespace {

constexpr float FogStart = 17.0f;
constexpr float FogEnd = 20.0f;
constexpr float CameraDistance = 8.0f;

// Drawn before any scene geometry: the text writes depth one unit in front of the eye, so the
// scene behind that plane never covers it.
void DrawReadouts(const PlayerState& player) {
    char line[64];
    std::snprintf(line, sizeof line, "Pressure: %3.2f mbar", player.pressure);
    DrawTextAt(-0.9f, -0.6f, 1.0f, 1.0f, 1.0f, 0.05f, line);
    std::snprintf(line, sizeof line, "Wurst: %3.2f cm", player.length);
    DrawTextAt(-0.9f, -0.7f, 1.0f, 1.0f, 1.0f, 0.05f, line);
}

void EnableFog() {
    glFogfv(GL_FOG_COLOR, FogColour);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, FogStart);
    glFogf(GL_FOG_END, FogEnd);
    glEnable(GL_FOG);
}

// Looks at the scene's vertical axis from distance 8, turned by yaw and tilted by pitch.
void LoadCamera(const PlayerState& player) {
    glLoadIdentity();
    glRotatef(-player.pitch, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -CameraDistance);
    glRotatef(player.yaw, 0.0f, 1.0f, 0.0f);
}

// An open tube around the camera's circle, widening from radius 6 at height -18 to 10 at +5,
// its normals pointing inwards towards the camera.
void DrawTube() {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, CylinderTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor3f(1.0f, 1.0f, 1.0f);
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricOrientation(quadric, GLU_INSIDE);
    gluQuadricTexture(quadric, GL_TRUE);
    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -18.0f);
    gluCylinder(quadric, 6.0, 10.0, 23.0, 30, 16);
    gluDeleteQuadric(quadric);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void DrawBody() {
    glPushMatrix();
    glTranslatef(0.0f, 2.5f, 0.0f);
    glCallList(BodyList);
    glPopMatrix();
}

} // namespace

void DrawScene(int32_t playerIndex) {
    const PlayerState& player = Players[static_cast<size_t>(playerIndex)];
    glClearColor(FogColour[0], FogColour[1], FogColour[2], FogColour[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (player.inGame) {
        DrawReadouts(player);
    }
    EnableFog();
    LoadCamera(player);
    DrawTube();
    DrawBody();
    DrawSausage(player.length, player.pistonHeight);
    glDisable(GL_FOG);
    DrawWaveSurface(player.length);
    DrawFartParticles();
}
