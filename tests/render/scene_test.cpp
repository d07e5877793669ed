// The scene's parts: the state it leaves, the shared generator's reseeding, the particles
// against a plain drawing of the same blobs, the wave colour and the body list.
#include "game/game_random.h"
#include "game/game_state.h"
#include "gl_test_env.h"
#include "render/body_list.h"
#include "render/scene.h"
#include "render/sphere_mesh.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/scene_fixtures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

class Scene : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GL();
        FakeClockMs = 2000;
    }
};

// The camera transform of the default player (yaw 10, pitch 20) on a grey background, with the
// normal the sausage's top cap leaves current.
void PrepareCamera() {
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glRotatef(-20.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -8.0f);
    glRotatef(10.0f, 0.0f, 1.0f, 0.0f);
    float angle = 15.0f * std::numbers::pi_v<float> / 8.0f;
    glNormal3f(std::sin(angle), std::cos(angle), 0.0f);
}

// Every particle drawn as plainly as it can be: each triangle corner deformed and sent on its
// own in immediate mode.
void DrawParticlesPlainly() {
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -5.0f);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const FartParticle& particle : Particles) {
        if (particle.seed <= 0) {
            continue;
        }
        glPushMatrix();
        GameSrand(static_cast<uint32_t>(particle.seed));
        int r1 = GameRand();
        int r2 = GameRand();
        glTranslatef(r2 / 32767.0f - 0.5f, r1 / 32767.0f - 0.5f, 0.0f);
        float f = particle.age / 3000.0f;
        glTranslatef(f * f * f * particle.driftX, f * f * f * particle.driftY,
                     f * f * f * particle.driftZ);
        float q = 1.0f - f;
        glScalef(0.15f * q, 0.15f * q, 0.3f * q);
        float p = static_cast<float>(GameRand() * 1321) / 32767.0f;
        glRotatef(45.0f * std::sin(4.0f * particle.age / 3000.0f + p), 0.0f, 0.0f, 1.0f);
        glColor4f(0.5f, 0.5f, 0.1f, 1.0f - f);
        glBegin(GL_TRIANGLES);
        for (int32_t t = 0; t < SphereMeshTriangleCount; ++t) {
            for (const SphereVertex& v : SphereMesh[t].corners) {
                glVertex3f(v.x * (1.0f + 0.25f * std::sin(p + 10.0f * v.x)),
                           v.y * (1.0f + 0.25f * std::sin(p + 10.0f * v.y)),
                           v.z * (1.0f + 0.25f * std::sin(p + 10.0f * v.z)));
            }
        }
        glEnd();
        glPopMatrix();
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

TEST_F(Scene, LeavesTexturingFogAndBlendingOffDepthWritesOnAndTheCamera) {
    SetUpRunningGame(42.0f, 75);
    Players[0].yaw = 33.0f;
    Players[0].pitch = -12.0f;
    DrawScene(0);
    SwapHarnessWindow();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    GLfloat drawn[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, drawn);
    glLoadIdentity();
    glRotatef(12.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -8.0f);
    glRotatef(33.0f, 0.0f, 1.0f, 0.0f);
    GLfloat camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(drawn[i], camera[i]) << "element " << i;
    }
}

// The sausage reseeds with 1 and takes 16 values per ring; each particle reseeds with its own
// seed and takes three. So what comes next follows from the last seed alone.
TEST_F(Scene, ReseedsTheSharedGeneratorForTheSausageAndEachParticle) {
    SetUpRunningGame(10.0f, 0);
    GameSrand(999);
    DrawScene(0);
    SwapHarnessWindow();
    int afterScene = GameRand();
    int rings = 0;
    for (float z = 10.0f - 0.2f; z > 0.2f; z -= 0.2f) {
        ++rings;
    }
    GameSrand(1);
    for (int i = 0; i < 16 * rings; ++i) {
        GameRand();
    }
    EXPECT_EQ(afterScene, GameRand());

    Particles[3] = {1234, 400, 0.1f, 0.2f, 0.3f};
    Particles[9] = {777, 80, -0.5f, 0.0f, 1.0f};
    Particles[12] = {-5, 80, 0.0f, 0.0f, 0.0f};
    DrawScene(0);
    SwapHarnessWindow();
    afterScene = GameRand();
    GameSrand(777);
    for (int i = 0; i < 3; ++i) {
        GameRand();
    }
    EXPECT_EQ(afterScene, GameRand());
}

TEST_F(Scene, ParticlesLookExactlyAsWhenEachCornerIsSentOnItsOwn) {
    SetUpRunningGame(42.0f, 75, 0.3f);
    FrameImage drawn = Capture([] {
        PrepareCamera();
        DrawFartParticles();
    });
    FrameImage plain = Capture([] {
        PrepareCamera();
        DrawParticlesPlainly();
    });
    EXPECT_GT(CountPixels(drawn, WholeScreen(), [](const uint8_t* p) { return p[0] != p[2]; }),
              500);
    EXPECT_EQ(CountDifferences(drawn, plain), 0);
}

TEST_F(Scene, NoParticleDrawsNothing) {
    SetUpRunningGame(42.0f, 0);
    FrameImage none = Capture([] {
        PrepareCamera();
        DrawFartParticles();
    });
    FrameImage background = Capture([] { PrepareCamera(); });
    EXPECT_EQ(CountDifferences(none, background), 0);
}

TEST_F(Scene, WaveColourStaysBlueUpTo20CmAndGreyFrom66Cm) {
    auto wave = [](float length) {
        return Capture([length] {
            PrepareCamera();
            glLoadIdentity();
            glRotatef(40.0f, 1.0f, 0.0f, 0.0f);
            glTranslatef(0.0f, 0.0f, -8.0f);
            DrawWaveSurface(length);
        });
    };
    FrameImage start = wave(0.0f);
    EXPECT_EQ(CountDifferences(start, wave(20.0f)), 0);
    EXPECT_GT(CountDifferences(start, wave(40.0f)), 10000);
    EXPECT_EQ(CountDifferences(wave(66.7f), wave(500.0f)), 0);
}

TEST_F(Scene, BodyListLeavesTexturingOffAndTheMatrixStackAsItFoundIt) {
    PrepareCamera();
    glEnable(GL_TEXTURE_2D);
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glCallList(BodyList);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(before[i], after[i]);
    }
    SwapHarnessWindow();
}

} // namespace
