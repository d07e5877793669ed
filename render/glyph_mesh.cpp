// The glyph mesh's binary form: written by the glyph-mesh tool, read by the web build's font.
#include "render/glyph_mesh.h"

#include <cstring>

namespace {

constexpr uint8_t Magic[4] = {'K', 'F', 'G', 'M'};
constexpr uint32_t Version = 1;
// No face has more than 255 glyphs of interest, nor a glyph a million points.
constexpr uint32_t MaxGlyphs = 256;
constexpr uint32_t MaxPoints = 1u << 20;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PutFloat(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(out, bits);
}

// Reads forward through the bytes; every read fails once the end would be passed.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t offset = 0;

    bool U32(uint32_t& value) {
        if (size - offset < 4) {
            return false;
        }
        value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | data[offset + static_cast<size_t>(i)];
        }
        offset += 4;
        return true;
    }

    bool Float(float& value) {
        uint32_t bits = 0;
        if (!U32(bits)) {
            return false;
        }
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }

    bool Byte(uint8_t& value) {
        if (size - offset < 1) {
            return false;
        }
        value = data[offset++];
        return true;
    }
};

bool ReadGlyph(Reader& in, GlyphMesh& glyph) {
    uint8_t outline = 0;
    uint32_t points = 0;
    if (!in.Float(glyph.advance) || !in.Byte(outline) || !in.U32(points) || outline > 1 ||
        points > MaxPoints || points % 3 != 0 || (in.size - in.offset) / 8 < points) {
        return false;
    }
    glyph.hasOutline = outline == 1;
    glyph.triangleXy.resize(2 * static_cast<size_t>(points));
    for (float& coordinate : glyph.triangleXy) {
        if (!in.Float(coordinate)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<uint8_t> SerializeGlyphMesh(const std::vector<GlyphMesh>& glyphs) {
    std::vector<uint8_t> out(std::begin(Magic), std::end(Magic));
    PutU32(out, Version);
    PutU32(out, static_cast<uint32_t>(glyphs.size()));
    for (const GlyphMesh& glyph : glyphs) {
        PutFloat(out, glyph.advance);
        out.push_back(glyph.hasOutline ? 1 : 0);
        PutU32(out, static_cast<uint32_t>(glyph.triangleXy.size() / 2));
        for (float coordinate : glyph.triangleXy) {
            PutFloat(out, coordinate);
        }
    }
    return out;
}

bool ParseGlyphMesh(const uint8_t* data, size_t size, std::vector<GlyphMesh>& glyphs) {
    glyphs.clear();
    Reader in{data, size};
    uint32_t version = 0;
    uint32_t count = 0;
    if (data == nullptr || size < sizeof Magic || std::memcmp(data, Magic, sizeof Magic) != 0) {
        return false;
    }
    in.offset = sizeof Magic;
    if (!in.U32(version) || version != Version || !in.U32(count) || count > MaxGlyphs) {
        return false;
    }
    glyphs.resize(count);
    for (GlyphMesh& glyph : glyphs) {
        if (!ReadGlyph(in, glyph)) {
            glyphs.clear();
            return false;
        }
    }
    if (in.offset != size) {
        glyphs.clear();
        return false;
    }
    return true;
}
