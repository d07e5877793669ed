// The PNG writer on libpng's simplified API.
#include "png_writer.h"

#include <png.h>

#include <cstring>

bool WriteRgbaPng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
                  std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba, 0, nullptr)) {
        error = image.message;
        return false;
    }
    return true;
}
