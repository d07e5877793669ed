// The GL side of the texture generator: texture parameters, mipmapped upload and the start-up
// recipe that makes and uploads the five game textures. Linked by the renderer only.
#pragma once

#include <cstdint>

// GL names of the five game textures; 0 until BuildGameTextures runs, renewed with every
// rendering context. Bound by the scene, the wave surface and the body list.
extern uint32_t CylinderTexture;
extern uint32_t SphereTexture;
extern uint32_t WaveTexture;
extern uint32_t SausageTexture;
extern uint32_t SurfaceTexture;

// Sets repeat wrapping in s and t, linear magnification and trilinear minification on the
// texture bound to GL_TEXTURE_2D.
void SetTextureParameters();

// Creates a texture name into textureName, binds it, sets its parameters and builds its
// mipmaps from the 256 x 256 RGBA buffer, which it then frees (std::free). Needs a current
// GL context; the new texture stays bound.
void UploadTexture(uint32_t& textureName, uint8_t* buffer);

// Makes the five game textures and uploads them into the five names above. Called by
// InitRenderState with the rendering context current; false only when memory ran out.
bool BuildGameTextures();
