// The 3D view of the press, drawn every frame in immediate mode from the player's record:
// readouts, fogged tube, body geometry, sausage, then the translucent wave and particles.
#pragma once

#include <cstdint>

// Fog and clear colour alike, so fogged geometry fades into the background (RGBA 0..1).
inline constexpr float FogColour[4] = {0.1f, 0.1f, 0.25f, 1.0f};

// Clears the frame and draws the whole scene for Players[player]; the readouts only while
// that player is in a game. Called by DrawFrame with player 0. Leaves texturing, fog and
// blending off, depth writes on and the modelview matrix at the camera transform.
void DrawScene(int32_t player);

// Draws the sausage of `length` cm hanging from `pistonHeight` (scene units) down the scene's
// vertical axis, with SausageTexture. Reseeds the shared generator with 1. Called by DrawScene
// in the camera frame with fog on; leaves the normal of the top cap's last rim step current.
void DrawSausage(float length, float pistonHeight);

// Draws the blended, rippling 20 x 20 quad surface below the press; its colour goes from blue
// to grey as `length` (cm) grows and its waves follow the millisecond clock.
// Called by DrawScene after fog is off, in the camera frame.
void DrawWaveSurface(float length);

// Draws every particle in use as a lumpy, shrinking, fading blob made from the SphereMesh,
// reseeding the shared generator with each particle's seed. Called by DrawScene last.
void DrawFartParticles();
