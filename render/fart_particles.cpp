// Fart particles: every slot in use is a yellowish, lumpy sphere that drifts away along its
// drift vector, shrinks, turns and fades over its 3-second life. Its look follows its seed.
#include "render/scene.h"

#include "game/game_random.h"
#include "game/game_state.h"
#include "render/sphere_mesh.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr float LifeMs = static_cast<float>(ParticleLifeMs);
constexpr float RandMax = static_cast<float>(GameRandMax);

// The sphere mesh as distinct corners and a triangle index list in mesh order. A corner shared
// by six triangles is deformed once instead of six times; the triangles sent are the same.
struct IndexedSphere {
    const SphereTriangle* source = nullptr;
    int32_t sourceCount = 0;
    std::vector<SphereVertex> corners;
    std::vector<GLuint> indices;
};

bool SameVertex(const SphereVertex& a, const SphereVertex& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

GLuint CornerIndex(IndexedSphere& sphere, const SphereVertex& v) {
    for (size_t i = 0; i < sphere.corners.size(); ++i) {
        if (SameVertex(sphere.corners[i], v)) {
            return static_cast<GLuint>(i);
        }
    }
    sphere.corners.push_back(v);
    return static_cast<GLuint>(sphere.corners.size() - 1);
}

// Built on first use from the start-up mesh and kept; rebuilt only if the mesh is replaced.
const IndexedSphere& CurrentIndexedSphere() {
    static IndexedSphere sphere;
    if (sphere.source != SphereMesh || sphere.sourceCount != SphereMeshTriangleCount) {
        sphere = IndexedSphere{SphereMesh, SphereMeshTriangleCount, {}, {}};
        for (int32_t i = 0; i < SphereMeshTriangleCount; ++i) {
            for (const SphereVertex& corner : SphereMesh[i].corners) {
                sphere.indices.push_back(CornerIndex(sphere, corner));
            }
        }
    }
    return sphere;
}

// Each coordinate swells or shrinks by up to a quarter with a sine of itself, shifted by the
// particle's phase, which makes the lumps.
void DeformCorners(const IndexedSphere& sphere, float phase, std::vector<SphereVertex>& out) {
    out.resize(sphere.corners.size());
    for (size_t i = 0; i < sphere.corners.size(); ++i) {
        const SphereVertex& v = sphere.corners[i];
        out[i] = {v.x * (1.0f + 0.25f * std::sin(phase + 10.0f * v.x)),
                  v.y * (1.0f + 0.25f * std::sin(phase + 10.0f * v.y)),
                  v.z * (1.0f + 0.25f * std::sin(phase + 10.0f * v.z))};
    }
}

void DrawParticle(const FartParticle& particle, const IndexedSphere& sphere,
                  std::vector<SphereVertex>& deformed) {
    glPushMatrix();
    GameSrand(static_cast<uint32_t>(particle.seed));
    float r1 = static_cast<float>(GameRand());
    float r2 = static_cast<float>(GameRand());
    glTranslatef(r2 / RandMax - 0.5f, r1 / RandMax - 0.5f, 0.0f);
    float f = static_cast<float>(particle.age) / LifeMs;
    float f3 = f * f * f;
    glTranslatef(f3 * particle.driftX, f3 * particle.driftY, f3 * particle.driftZ);
    float q = 1.0f - f;
    glScalef(0.15f * q, 0.15f * q, 0.3f * q);
    float phase = static_cast<float>(GameRand() * 1321) / RandMax;
    glRotatef(45.0f * std::sin(4.0f * static_cast<float>(particle.age) / LifeMs + phase), 0.0f,
              0.0f, 1.0f);
    glColor4f(0.5f, 0.5f, 0.1f, 1.0f - f);
    DeformCorners(sphere, phase, deformed);
    glVertexPointer(3, GL_FLOAT, 0, deformed.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(sphere.indices.size()), GL_UNSIGNED_INT,
                   sphere.indices.data());
    glPopMatrix();
}

} // namespace

void DrawFartParticles() {
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -5.0f);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (SphereMesh != nullptr) {
        const IndexedSphere& sphere = CurrentIndexedSphere();
        static std::vector<SphereVertex> deformed;
        // Only positions come from the array: the particles are lit with the normal the
        // sausage left current, and their colour is set per particle.
        glEnableClientState(GL_VERTEX_ARRAY);
        for (const FartParticle& particle : Particles) {
            if (particle.seed > 0) {
                DrawParticle(particle, sphere, deformed);
            }
        }
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glPopMatrix();
}
