// texdump writes the five images it makes: raw files equal to the recipes' buffers and PNGs
// whose decoded pixels equal the raw files, top row first.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "tests/support/file_bytes.h"
#include "texgen/game_textures.h"

namespace {

std::vector<uint8_t> DecodePng(const std::filesystem::path& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return {};
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (image.width != 256 || image.height != 256 ||
        !png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return pixels;
}

} // namespace

TEST(Texdump, WritesRawAndPngFilesOfTheRecipeImages) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("texdump_test_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    const std::string command = std::string(KF_TEXDUMP_PATH) + " --raw " + (dir / "raw").string() +
                                " " + (dir / "png").string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    TextureGenerator generator;
    std::array<std::vector<uint8_t>, GameTextureCount> images;
    ASSERT_TRUE(MakeGameTextureImages(generator, images));
    for (int i = 0; i < GameTextureCount; ++i) {
        const std::string name = GameTextureName(static_cast<GameTexture>(i));
        const std::vector<uint8_t> raw = ReadFileBytes(dir / "raw" / (name + ".rgba"));
        EXPECT_EQ(raw.size(), 262144u) << name;
        EXPECT_TRUE(raw == images[i]) << name;
        EXPECT_TRUE(DecodePng(dir / "png" / (name + ".png")) == images[i]) << name;
    }
    std::filesystem::remove_all(dir);
}
