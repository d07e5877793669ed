// The renderer's entry points for the platform shell: projection, per-window GL set-up,
// the frame, and the run-long sphere mesh. All run on the main thread with a current context.
#pragma once

#include <cstdint>

// Sets the viewport and the 75-degree perspective for a client area of width x height
// pixels (a height of 0 counts as 1). Called after window creation and on every resize.
void ResizeView(int32_t width, int32_t height);

// From the next ResizeView on, a view narrower than 4:3 widens its vertical field of view so
// that it shows the 4:3 picture's whole width (a phone held upright), where the desktop's
// window keeps its 75 degrees. Off unless a shell turns it on (the page does).
void KeepFourByThreeWidth(bool keep);

// The point of the text plane (eye-space z = -1) that the window point (`x`, `y`), in pixels
// from the top-left corner, shows through the projection ResizeView last set.
void ViewPointOnTextPlane(float x, float y, float& planeX, float& planeY);

// Builds everything the GL context holds for the run: the five textures, fixed GL state,
// the outline font and the body display list. False when the textures cannot be made.
// Called once for every window created (start-up and each F1 switch).
bool InitRenderState();

// Releases the font's display lists; called by the window teardown before the context goes.
void FreeOutlineFont();

// Builds the sphere mesh used by the scene, subdivided `levels` times. Called once at
// start-up (with 3); the mesh lives for the whole run, across F1 switches.
void BuildSphereMesh(int32_t levels);

// Draws one frame of the current game state. Always true.
bool DrawFrame();
