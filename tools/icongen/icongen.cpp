// icongen: draws the program's 32 x 32 window icon (a barrel with a sausage rising from it)
// and writes it as a 32-bit BMP with alpha. Usage: icongen <output.bmp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int IconSize = 32;

struct Rgba {
    uint8_t r, g, b, a;
};

// The picture, sampled at the pixel centre: transparent background, a sausage standing in
// an oak barrel with two iron hoops.
Rgba PixelAt(int x, int y) {
    const double px = x + 0.5;
    const double py = y + 0.5;
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
            const double shade = (0.7 + 0.3 * std::cos(dx / halfWidth * 1.3)) * (staveGap ? 0.7 : 1.0);
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
    for (int y = IconSize - 1; y >= 0; --y) {
        for (int x = 0; x < IconSize; ++x) {
            const Rgba p = PixelAt(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
            out.push_back(p.a);
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen <output.bmp>\n");
        return 2;
    }
    const std::vector<uint8_t> bmp = EncodeBmp();
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "icongen: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bmp.data(), 1, bmp.size(), out) == bmp.size();
    return (std::fclose(out) == 0 && written) ? 0 : 1;
}
