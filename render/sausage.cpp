// The sausage: a tube of 16-step rings every 0.2 units around a wiggling centre line, with a
// random bulge per ring step from a fixed seed, capped at both ends, twisted and squeezed.
#include "render/scene.h"

#include "game/game_random.h"
#include "texgen/texture_upload.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

constexpr int RingSteps = 16;
constexpr float RingSpacing = 0.2f;
constexpr float CapRadius = 0.2f;
constexpr float BulgeDepth = 0.25f;

// Sine, cosine and texture t of the 16 ring steps; the texture wraps twice around.
struct RingStepTable {
    float sine[RingSteps];
    float cosine[RingSteps];
    float t[RingSteps];
};

const RingStepTable& RingStepsTable() {
    static const RingStepTable table = [] {
        RingStepTable steps{};
        for (int k = 0; k < RingSteps; ++k) {
            float angle = static_cast<float>(k) * std::numbers::pi_v<float> / 8.0f;
            steps.sine[k] = std::sin(angle);
            steps.cosine[k] = std::cos(angle);
            steps.t[k] = static_cast<float>(k) / 8.0f;
        }
        return steps;
    }();
    return table;
}

// One ring: its depth, the centre line there and the 16 radii.
struct Ring {
    float z;
    float centreX;
    float centreY;
    float radius[RingSteps];
};

// The centre line wiggles more the deeper it goes. Depths just below 0 (the rim of a sausage
// shorter than 0.2) count as 0 so the square root stays defined.
void PlaceRing(Ring& ring, float z) {
    float root = std::sqrt(std::max(z, 0.0f));
    ring.z = z;
    ring.centreX = 0.125f * root * std::sin(z);
    ring.centreY = 0.125f * root * std::sin(0.6f * z);
}

void RimVertex(const Ring& ring, int k) {
    const RingStepTable& steps = RingStepsTable();
    float r = ring.radius[k];
    glVertex3f(ring.centreX + r * steps.sine[k], ring.centreY + r * steps.cosine[k], ring.z);
}

void StepNormal(int k) {
    const RingStepTable& steps = RingStepsTable();
    glNormal3f(steps.sine[k], steps.cosine[k], 0.0f);
}

// A fan from `centre` to the rim at texture s; the centre takes t = 1 (it has no place of its
// own on the wrapped texture). The closing vertex keeps the last step's normal.
void DrawCap(const Ring& rim, float s, float normalZ, float centreX, float centreY, float centreZ) {
    const RingStepTable& steps = RingStepsTable();
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0.0f, 0.0f, normalZ);
    glTexCoord2f(s, 1.0f);
    glVertex3f(centreX, centreY, centreZ);
    for (int k = 0; k < RingSteps; ++k) {
        StepNormal(k);
        glTexCoord2f(s, steps.t[k]);
        RimVertex(rim, k);
    }
    glTexCoord2f(s, 2.0f);
    RimVertex(rim, 0);
    glEnd();
}

void DrawRingStrip(const Ring& before, const Ring& ring, float s) {
    const RingStepTable& steps = RingStepsTable();
    float nextS = s + RingSpacing;
    glBegin(GL_QUAD_STRIP);
    for (int k = 0; k < RingSteps; ++k) {
        StepNormal(k);
        glTexCoord2f(s, steps.t[k]);
        RimVertex(before, k);
        glTexCoord2f(nextS, steps.t[k]);
        RimVertex(ring, k);
    }
    glTexCoord2f(s, 2.0f);
    RimVertex(before, 0);
    glTexCoord2f(nextS, 2.0f);
    RimVertex(ring, 0);
    glEnd();
}

// Both ends narrow to a point: the top over its first 0.5 units, the tip over its last 0.5.
float BaseRadius(float z, float length) {
    if (z < 0.5f) {
        return z;
    }
    if (z <= length - 0.5f) {
        return 0.5f;
    }
    return length - z;
}

// Steps ring by ring from the tip up to the piston; returns the texture s of the last ring
// and leaves that ring in `ring`.
float DrawRings(Ring& ring, float length) {
    float s = 0.0f;
    Ring before;
    while (ring.z > RingSpacing) {
        float z = ring.z - RingSpacing;
        s = s + RingSpacing;
        // The ring before is placed at z + 0.2 as computed here, not at the old z: the two
        // can differ in the last bit.
        std::copy(std::begin(ring.radius), std::end(ring.radius), std::begin(before.radius));
        PlaceRing(before, z + RingSpacing);
        PlaceRing(ring, z);
        float base = BaseRadius(z, length);
        for (int k = 0; k < RingSteps; ++k) {
            ring.radius[k] = base + BulgeDepth * static_cast<float>(GameRand()) / 32767.0f;
        }
        DrawRingStrip(before, ring, s);
    }
    return s;
}

} // namespace

void DrawSausage(float length, float pistonHeight) {
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -pistonHeight);
    glColor3ub(255, 255, 255);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, SausageTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glPushMatrix();
    glRotatef(180.0f * std::sin(0.1f * length), 0.0f, 0.0f, 1.0f);
    glScalef(1.25f + 0.2f * std::sin(0.2f * length), 1.25f + 0.2f * std::sin(0.15f * length), 1.0f);
    // The same length always gives the same bulges.
    GameSrand(1);

    Ring ring;
    PlaceRing(ring, length - RingSpacing);
    std::fill(std::begin(ring.radius), std::end(ring.radius), CapRadius);
    Ring tip;
    PlaceRing(tip, length);
    DrawCap(ring, 0.0f, -1.0f, tip.centreX, tip.centreY, length);
    float s = DrawRings(ring, length);
    DrawCap(ring, s, 1.0f, 0.0f, 0.0f, 0.0f);

    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}
