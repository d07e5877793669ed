// Shared pieces of the render tests: one GL window for the whole run (opened by a GoogleTest
// environment), frame capture, and pixel questions asked in text-plane coordinates.
#pragma once

#include "tests/support/gl_test_window.h"

#include <functional>
#include <vector>

// True when the environment has a window with a GL context; tests skip themselves otherwise.
bool HaveGlWindow();

// Fails the current test when there is no GL window: the suite runs under its own Xvfb
// display, so a missing context is a fault of the set-up, not a reason to pass quietly.
#define REQUIRE_GL()                                                                               \
    do {                                                                                           \
        if (!HaveGlWindow()) {                                                                     \
            FAIL() << "no GL window: run under scripts/with-xvfb.sh";                              \
        }                                                                                          \
    } while (0)

// Draws and drops one game frame. Mesa lays out immediate-mode vertices by the attributes sent
// so far in a context, which can move a handful of pixels by one step in a context's very
// first frame only; comparisons start after this frame.
void DrawWarmUpFrame();

// Runs `draw` into the back buffer and returns what it drew; the frame is then swapped away.
FrameImage Capture(const std::function<void()>& draw);

// A rectangle of the text plane at eye depth -1: x from left to right, y from bottom to top.
struct PlaneBox {
    float left;
    float bottom;
    float right;
    float top;
};

// The box a line of text of em height `size` at baseline (x, y) can cover, shadow included,
// `widthEm` ems long, with capitals, descenders and the shadow.
PlaneBox TextBox(float x, float y, float size, float widthEm);

// Counts pixels inside `box` for which `test` holds.
int CountPixels(const FrameImage& image, const PlaneBox& box,
                const std::function<bool(const uint8_t*)>& test);

// Pixels in `box` where the two images differ.
int CountDifferences(const FrameImage& a, const FrameImage& b, const PlaneBox& box);

// Pixels outside every box of `boxes` where the two images differ.
int CountDifferencesOutside(const FrameImage& a, const FrameImage& b,
                            const std::vector<PlaneBox>& boxes);

// Pixels anywhere where the two images differ.
int CountDifferences(const FrameImage& a, const FrameImage& b);

// Lit white text is pure white, its shadow pure black.
bool IsWhite(const uint8_t* rgb);
bool IsBlack(const uint8_t* rgb);

// The whole visible text plane.
PlaneBox WholeScreen();
