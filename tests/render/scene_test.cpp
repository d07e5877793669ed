// The scene's parts: the state it leaves, the shared generator's reseeding, the particles
// against their golden picture, the wave colour and the body list.
#include "game/game_random.h"
#include "game/game_state.h"
#include "gl_test_env.h"
#include "render/body_list.h"
#include "render/scene.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/scene_fixtures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

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

// Pixels whose channels differ by more than `tolerance` in the two images; every pixel when
// their sizes differ.
int CountDistantPixels(const FrameImage& a, const FrameImage& b, int tolerance) {
    if (a.width != b.width || a.height != b.height) {
        return a.width * a.height;
    }
    int count = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        for (size_t c = 0; c < 3; ++c) {
            if (std::abs(a.rgb[i + c] - b.rgb[i + c]) > tolerance) {
                ++count;
                break;
            }
        }
    }
    return count;
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

// The particles of a running game against the picture they made when their drawing was
// checked by eye (tests/render/golden/particles.png): shape, deformation, drift, size, spin,
// colour and fading of 75 live particles. KF_WRITE_GOLDEN=<folder> writes today's picture
// there to look at, or to replace the golden one after an intended change.
TEST_F(Scene, ParticlesLookAsTheirGoldenPicture) {
    SetUpRunningGame(42.0f, 75, 0.3f);
    FrameImage drawn = Capture([] {
        PrepareCamera();
        DrawFartParticles();
    });
    if (const char* folder = std::getenv("KF_WRITE_GOLDEN")) {
        EXPECT_TRUE(WritePng(drawn, (std::string(folder) + "/particles.png").c_str()));
    }
    FrameImage golden;
    ASSERT_TRUE(ReadPng(KF_GOLDEN_DIR "/particles.png", golden));
    EXPECT_GT(CountPixels(drawn, WholeScreen(), [](const uint8_t* p) { return p[0] != p[2]; }),
              500);
    // A rounding step of the rasteriser, not a particle out of place.
    EXPECT_LE(CountDistantPixels(drawn, golden, 2), 20);
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
