// The SDL window and GL context of the harness, pixel read-back and PNG output.
#include "tests/support/gl_test_window.h"

#include "render/render.h"

#include <GL/gl.h>
#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

SDL_Window* Window = nullptr;
SDL_GLContext Context = nullptr;

void SetPixelFormat() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

} // namespace

bool OpenHarnessWindow(bool shown) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "harness: SDL_Init failed: %s\n", SDL_GetError());
        return false;
    }
    // Keeps the GL driver loaded after the window goes, so that leak reports from inside the
    // driver can still name it (and be told apart from ours).
    SDL_GL_LoadLibrary(nullptr);
    SetPixelFormat();
    Uint32 flags = SDL_WINDOW_OPENGL | (shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
    Window = SDL_CreateWindow("render harness", 0, 0, HarnessWidth, HarnessHeight, flags);
    if (Window == nullptr) {
        std::fprintf(stderr, "harness: no window: %s\n", SDL_GetError());
        SDL_Quit();
        return false;
    }
    Context = SDL_GL_CreateContext(Window);
    if (Context == nullptr) {
        std::fprintf(stderr, "harness: no GL context: %s\n", SDL_GetError());
        SDL_DestroyWindow(Window);
        Window = nullptr;
        SDL_Quit();
        return false;
    }
    // No waiting for the display's refresh: the benchmarks time the drawing, not the swap.
    SDL_GL_SetSwapInterval(0);
    ResizeView(HarnessWidth, HarnessHeight);
    return true;
}

void CloseHarnessWindow() {
    if (Context != nullptr) {
        SDL_GL_DeleteContext(Context);
        Context = nullptr;
    }
    if (Window != nullptr) {
        SDL_DestroyWindow(Window);
        Window = nullptr;
    }
    // SDL_Quit is left to the process end: it would close the display and unload the GL
    // driver, after which the leak checker can no longer tell the driver's allocations apart.
}

void SwapHarnessWindow() {
    SDL_GL_SwapWindow(Window);
}

FrameImage ReadBackBuffer() {
    FrameImage image;
    image.width = HarnessWidth;
    image.height = HarnessHeight;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    std::vector<uint8_t> bottomUp(image.rgb.size());
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    size_t rowBytes = static_cast<size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* source = &bottomUp[static_cast<size_t>(image.height - 1 - y) * rowBytes];
        std::copy(source, source + rowBytes, &image.rgb[static_cast<size_t>(y) * rowBytes]);
    }
    return image;
}

bool WritePng(const FrameImage& image, const char* path) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    volatile bool written = false;
    // libpng reports write errors by longjmp; nothing with a destructor lives in this frame.
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                     static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.height; ++y) {
            png_write_row(png, image.Pixel(0, y));
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

bool ReadPng(const char* path, FrameImage& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    image = FrameImage{};
    if (!png_image_begin_read_from_file(&png, path)) {
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb = std::move(rgb);
    return true;
}
