// The GL side of the generator in a real rendering context (Mesa under Xvfb): the five
// uploaded textures hold the recipe images at level 0, carry full mipmap chains and the
// repeat / trilinear parameters, and a second run makes new names with the same images.
#include "tests/support/gl_test_window.h"
#include "texgen/game_textures.h"
#include "texgen/texture_upload.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <set>

namespace {

class TextureUpload : public ::testing::Test {
  protected:
    // A context of its own for each test: the names a test uploads must not be left over.
    void SetUp() override { ASSERT_TRUE(OpenHarnessWindow(false)); }
    void TearDown() override { CloseHarnessWindow(); }

    std::array<uint32_t, GameTextureCount> Names() const {
        return {CylinderTexture, SphereTexture, WaveTexture, SausageTexture, SurfaceTexture};
    }
};

std::vector<uint8_t> LevelZero(uint32_t name) {
    std::vector<uint8_t> pixels(GameTextureBytes);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint Parameter(GLenum parameter) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

} // namespace

TEST_F(TextureUpload, FiveMipmappedTexturesHoldTheRecipeImages) {
    TextureGenerator generator;
    std::array<std::vector<uint8_t>, GameTextureCount> images;
    ASSERT_TRUE(MakeGameTextureImages(generator, images));

    ASSERT_TRUE(BuildGameTextures());
    const auto names = Names();
    EXPECT_EQ(std::set<uint32_t>(names.begin(), names.end()).size(), 5u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), SurfaceTexture) << "the last upload stays bound";

    for (int i = 0; i < GameTextureCount; ++i) {
        const char* name = GameTextureName(static_cast<GameTexture>(i));
        ASSERT_NE(names[i], 0u) << name;
        EXPECT_TRUE(LevelZero(names[i]) == images[i]) << name;
        EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_S), GL_REPEAT) << name;
        EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_T), GL_REPEAT) << name;
        EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR) << name;
        EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR) << name;
        GLint smallest = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &smallest);
        EXPECT_EQ(smallest, 1) << name << ": mipmaps down to 1 x 1";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureUpload, SecondRunMakesNewNamesWithTheSameImages) {
    ASSERT_TRUE(BuildGameTextures());
    const auto first = Names();
    std::vector<std::vector<uint8_t>> images;
    for (uint32_t name : first) {
        images.push_back(LevelZero(name));
    }
    ASSERT_TRUE(BuildGameTextures());
    const auto second = Names();
    for (int i = 0; i < GameTextureCount; ++i) {
        EXPECT_NE(second[i], first[i]);
        EXPECT_TRUE(LevelZero(second[i]) == images[i]);
    }
}
