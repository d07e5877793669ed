// The GL window of the tests and tools that draw outside the game: an SDL window of the game's
// size with the game's pixel format, reading back what was drawn, and saving it as PNG. Used by
// the render and texture-upload tests, the soak run, the render benchmarks and renderframe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int HarnessWidth = 1024;
inline constexpr int HarnessHeight = 768;

// Opens a 1024 x 768 window (hidden unless `shown`) with a double-buffered RGBA 8-8-8-8 context
// and a 16-bit depth buffer, makes it current and sets the game's projection (ResizeView).
// False, with a message on stderr, when there is no display or no GL context.
bool OpenHarnessWindow(bool shown);

// Destroys the context and the window; the font lists go with the context.
void CloseHarnessWindow();

// Shows the back buffer, as the game's main loop does after each frame.
void SwapHarnessWindow();

// RGB pixels of one frame, rows from the top.
struct FrameImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* Pixel(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

// Reads the back buffer (call after DrawFrame and before the swap) after a glFinish.
FrameImage ReadBackBuffer();

// Writes the image as an 8-bit RGB PNG. False when the file cannot be written.
bool WritePng(const FrameImage& image, const char* path);

// Reads a PNG as 8-bit RGB. False (and `image` empty) when the file cannot be read.
bool ReadPng(const char* path, FrameImage& image);
