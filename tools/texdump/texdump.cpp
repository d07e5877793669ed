// texdump: makes the five game textures exactly as the game's start-up does (one generator,
// recipe order) and writes them as PNG images and, with --raw, as raw RGBA files.
//   texdump [--literal] [--raw RAWDIR] [PNGDIR]
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "png_writer.h"
#include "texgen/game_textures.h"

namespace {

struct Options {
    std::string pngDir;
    std::string rawDir;
    bool literal = false;
};

void PrintUsage() {
    std::fprintf(stderr, "usage: texdump [--literal] [--raw RAWDIR] [PNGDIR]\n"
                         "  PNGDIR         write <name>.png for the five textures\n"
                         "  --raw RAWDIR   write <name>.rgba (262144 bytes of RGBA each)\n"
                         "  --literal      evaluate every blend weight per pixel (slow path)\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--raw" && i + 1 < argc) {
            options.rawDir = argv[++i];
        } else if (arg == "--literal") {
            options.literal = true;
        } else if (!arg.empty() && arg[0] != '-' && options.pngDir.empty()) {
            options.pngDir = arg;
        } else {
            return false;
        }
    }
    return !options.pngDir.empty() || !options.rawDir.empty();
}

bool MakeDirectory(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "texdump: cannot create directory %s\n", dir.c_str());
        return false;
    }
    return true;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba) {
    // Row 0 of the texture is the top row of the picture.
    std::string error;
    if (!WriteRgbaPng(path, rgba.data(), GameTextureSize, GameTextureSize, error)) {
        std::fprintf(stderr, "texdump: cannot write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool WriteRaw(const std::string& path, const std::vector<uint8_t>& rgba) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "texdump: cannot open %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(rgba.data(), 1, rgba.size(), file) == rgba.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "texdump: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WriteAll(const Options& options,
              const std::array<std::vector<uint8_t>, GameTextureCount>& images) {
    for (int i = 0; i < GameTextureCount; ++i) {
        const std::string name = GameTextureName(static_cast<GameTexture>(i));
        if (!options.pngDir.empty() && !WritePng(options.pngDir + "/" + name + ".png", images[i])) {
            return false;
        }
        if (!options.rawDir.empty() &&
            !WriteRaw(options.rawDir + "/" + name + ".rgba", images[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage();
        return 2;
    }
    if ((!options.pngDir.empty() && !MakeDirectory(options.pngDir)) ||
        (!options.rawDir.empty() && !MakeDirectory(options.rawDir))) {
        return 1;
    }
    TextureGenerator& generator = GetTextureGenerator();
    generator.SetLiteralArithmetic(options.literal);
    std::array<std::vector<uint8_t>, GameTextureCount> images;
    if (!MakeGameTextureImages(generator, images)) {
        std::fprintf(stderr, "texdump: out of memory\n");
        return 1;
    }
    return WriteAll(options, images) ? 0 : 1;
}
