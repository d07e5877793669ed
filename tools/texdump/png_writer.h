// Writing an RGBA image as a PNG file for texdump: libpng on Linux, zlib alone in the
// Windows build (which has no libpng). Both give the same pixels.
#pragma once

#include <cstdint>
#include <string>

// Writes `width` x `height` pixels of 8-bit RGBA at `rgba`, row 0 as the top row, to `path`.
// False, with a reason in `error`, when the file cannot be written.
bool WriteRgbaPng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
                  std::string& error);
