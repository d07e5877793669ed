// Uploading the generated textures to OpenGL as mipmapped 2D textures, and the start-up recipe
// that makes the five game textures with the shared generator.
#include "texgen/texture_upload.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "texgen/game_textures.h"

static_assert(sizeof(GLuint) == sizeof(uint32_t), "texture names are stored as uint32_t");

uint32_t CylinderTexture = 0;
uint32_t SphereTexture = 0;
uint32_t WaveTexture = 0;
uint32_t SausageTexture = 0;
uint32_t SurfaceTexture = 0;

void SetTextureParameters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}

void UploadTexture(uint32_t& textureName, uint8_t* buffer) {
    GLuint name = 0;
    glGenTextures(1, &name);
    textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    SetTextureParameters();
    // The result is not examined: a failed mipmap build leaves an incomplete texture, which GL
    // simply does not apply.
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, GameTextureSize, GameTextureSize, GL_RGBA, GL_UNSIGNED_BYTE,
                      buffer);
    std::free(buffer);
}

bool BuildGameTextures() {
    TextureGenerator& generator = GetTextureGenerator();
    uint32_t* names[GameTextureCount] = {&CylinderTexture, &SphereTexture, &WaveTexture,
                                         &SausageTexture, &SurfaceTexture};
    for (int i = 0; i < GameTextureCount; ++i) {
        uint8_t* buffer = GenerateGameTexture(generator, static_cast<GameTexture>(i));
        if (buffer == nullptr) {
            return false;
        }
        UploadTexture(*names[i], buffer);
    }
    return true;
}
