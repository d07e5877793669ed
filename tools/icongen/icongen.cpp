// icongen: draws the program's icon (a barrel with a sausage rising from it): 32 x 32 as a
// 32-bit BMP with alpha for the window, 64 x 64 as a PNG for the desktop menu, and 32 x 32 as
// the Windows executable's icon; with --web, the web app's icons of 192 and 512 pixels and a
// maskable one of 512 (the picture inside the circle a launcher may cut it to, on the page's
// colour).
// Usage: icongen <output.bmp> <output.png> <output.ico>
//        icongen --web <folder>
#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int IconSize = 32;
constexpr int DesktopIconSize = 64;

struct Rgba {
    uint8_t r, g, b, a;
};

// The picture on a 32 x 32 grid, sampled at the pixel centre of a `size` x `size` image:
// transparent background, a sausage standing in an oak barrel with two iron hoops.
Rgba PixelAt(int x, int y, int size) {
    const double scale = static_cast<double>(IconSize) / size;
    const double px = (x + 0.5) * scale;
    const double py = (y + 0.5) * scale;
    // Sausage: a rounded stick from y=2 to y=16, 8 pixels wide, shaded from the left.
    const double sausageHalf = 4.0;
    const double dx = px - 16.0;
    const double capY = py < 6.0 ? 6.0 - py : 0.0;
    if (py >= 2.0 && py < 17.0 && dx * dx + capY * capY <= sausageHalf * sausageHalf) {
        const double shade = 0.75 + 0.25 * std::cos(dx / sausageHalf * 1.4 + 0.5);
        return {static_cast<uint8_t>(205 * shade), static_cast<uint8_t>(110 * shade),
                static_cast<uint8_t>(90 * shade), 255};
    }
    // Barrel: bulging staves from y=13 to y=31.
    if (py >= 13.0 && py < 31.0) {
        const double v = (py - 22.0) / 9.0;
        const double halfWidth = 11.0 + 2.5 * (1.0 - v * v);
        if (std::fabs(dx) <= halfWidth) {
            const bool hoop = std::fabs(py - 16.5) < 1.2 || std::fabs(py - 27.5) < 1.2;
            if (hoop) {
                return {90, 95, 105, 255};
            }
            const bool staveGap = std::fmod(px + 64.0, 5.0) < 0.9;
            const double shade =
                (0.7 + 0.3 * std::cos(dx / halfWidth * 1.3)) * (staveGap ? 0.7 : 1.0);
            return {static_cast<uint8_t>(150 * shade), static_cast<uint8_t>(95 * shade),
                    static_cast<uint8_t>(45 * shade), 255};
        }
    }
    return {0, 0, 0, 0};
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

// The 32 x 32 picture as 32-bit BGRA rows, bottom row first, as BMP and ICO store it.
void AppendBgraRowsBottomUp(std::vector<uint8_t>& out) {
    for (int y = IconSize - 1; y >= 0; --y) {
        for (int x = 0; x < IconSize; ++x) {
            const Rgba p = PixelAt(x, y, IconSize);
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
}

// BMP with a BITMAPV4HEADER: 32-bit BI_BITFIELDS with an alpha mask, rows bottom-up.
std::vector<uint8_t> EncodeBmp() {
    const uint32_t headerBytes = 14 + 108;
    const uint32_t pixelBytes = IconSize * IconSize * 4;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLe(out, headerBytes + pixelBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, headerBytes, 4);
    PutLe(out, 108, 4);
    PutLe(out, IconSize, 4);
    PutLe(out, IconSize, 4);
    PutLe(out, 1, 2);
    PutLe(out, 32, 2);
    PutLe(out, 3, 4); // BI_BITFIELDS
    PutLe(out, pixelBytes, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0x00FF0000, 4); // red
    PutLe(out, 0x0000FF00, 4); // green
    PutLe(out, 0x000000FF, 4); // blue
    PutLe(out, 0xFF000000, 4); // alpha
    PutLe(out, 0x73524742, 4); // LCS_sRGB
    for (int i = 0; i < 12; ++i) {
        PutLe(out, 0, 4); // endpoints and gamma, unused with sRGB
    }
    AppendBgraRowsBottomUp(out);
    return out;
}

// ICO with one 32 x 32 image: a BITMAPINFOHEADER of twice the height (colour rows, then the
// 1-bit AND mask, which marks the transparent pixels for systems that ignore alpha).
std::vector<uint8_t> EncodeIco() {
    const uint32_t maskRowBytes = IconSize / 8;
    const uint32_t imageBytes = 40 + IconSize * IconSize * 4 + maskRowBytes * IconSize;
    std::vector<uint8_t> out;
    PutLe(out, 0, 2);
    PutLe(out, 1, 2); // an icon
    PutLe(out, 1, 2); // one image
    out.push_back(IconSize);
    out.push_back(IconSize);
    out.push_back(0); // no palette
    out.push_back(0);
    PutLe(out, 1, 2);  // planes
    PutLe(out, 32, 2); // bits per pixel
    PutLe(out, imageBytes, 4);
    PutLe(out, 6 + 16, 4); // the image follows the one directory entry
    PutLe(out, 40, 4);
    PutLe(out, IconSize, 4);
    PutLe(out, 2 * IconSize, 4);
    PutLe(out, 1, 2);
    PutLe(out, 32, 2);
    for (int i = 0; i < 6; ++i) {
        PutLe(out, 0, 4); // BI_RGB, size, resolution, colours
    }
    AppendBgraRowsBottomUp(out);
    for (int y = IconSize - 1; y >= 0; --y) {
        for (uint32_t byte = 0; byte < maskRowBytes; ++byte) {
            uint8_t mask = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (PixelAt(static_cast<int>(byte * 8) + bit, y, IconSize).a == 0) {
                    mask |= static_cast<uint8_t>(0x80 >> bit);
                }
            }
            out.push_back(mask);
        }
    }
    return out;
}

bool WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

// A launcher may cut a maskable icon to a circle of 80% of its width; the picture's square
// fits inside that circle at 56%.
constexpr double MaskableShare = 0.56;
constexpr Rgba PageColour = {0x19, 0x19, 0x40, 255};

// The picture at `size` x `size`; a maskable one draws it smaller, centred on the page colour.
Rgba WebPixelAt(int x, int y, int size, bool maskable) {
    if (!maskable) {
        return PixelAt(x, y, size);
    }
    const int inner = static_cast<int>(size * MaskableShare);
    const int margin = (size - inner) / 2;
    if (x < margin || y < margin || x >= margin + inner || y >= margin + inner) {
        return PageColour;
    }
    const Rgba p = PixelAt(x - margin, y - margin, inner);
    const auto mix = [&](uint8_t over, uint8_t under) {
        return static_cast<uint8_t>((over * p.a + under * (255 - p.a) + 127) / 255);
    };
    return {mix(p.r, PageColour.r), mix(p.g, PageColour.g), mix(p.b, PageColour.b), 255};
}

bool WritePng(const char* path, int size, bool maskable) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Rgba p = WebPixelAt(x, y, size, maskable);
            pixels.insert(pixels.end(), {p.r, p.g, p.b, p.a});
        }
    }
    return png_image_write_to_file(&image, path, 0, pixels.data(), 0, nullptr) != 0;
}

int WriteWebIcons(const std::string& folder) {
    const struct {
        const char* name;
        int size;
        bool maskable;
    } icons[] = {{"icon-192.png", 192, false},
                 {"icon-512.png", 512, false},
                 {"icon-maskable-512.png", 512, true}};
    for (const auto& icon : icons) {
        const std::string path = folder + "/" + icon.name;
        if (!WritePng(path.c_str(), icon.size, icon.maskable)) {
            std::fprintf(stderr, "icongen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--web") {
        return WriteWebIcons(argv[2]);
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: icongen <output.bmp> <output.png> <output.ico>\n"
                             "       icongen --web <folder>\n");
        return 2;
    }
    if (!WriteBytes(argv[1], EncodeBmp())) {
        std::fprintf(stderr, "icongen: cannot write %s\n", argv[1]);
        return 1;
    }
    if (!WritePng(argv[2], DesktopIconSize, false)) {
        std::fprintf(stderr, "icongen: cannot write %s\n", argv[2]);
        return 1;
    }
    if (!WriteBytes(argv[3], EncodeIco())) {
        std::fprintf(stderr, "icongen: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
