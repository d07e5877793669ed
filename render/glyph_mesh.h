// The glyph triangles that the desktop build makes with FreeType and the GLU tessellator, in a
// small binary form that the web build embeds and compiles into its glyph lists. Standard
// library only: the glyph-mesh tool writes it, the web build's font reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One byte value's glyph: its filled area as triangles (x, y pairs in em, three points a
// triangle), whether it has an outline at all (which sets the text normal) and its advance.
struct GlyphMesh {
    float advance = 0.0f;
    bool hasOutline = false;
    std::vector<float> triangleXy;
};

// The bytes of `glyphs`: "KFGM", a version, the glyph count, then for each glyph its advance,
// outline flag, point count and points, all little-endian.
std::vector<uint8_t> SerializeGlyphMesh(const std::vector<GlyphMesh>& glyphs);

// Reads what SerializeGlyphMesh wrote. False, with `glyphs` empty, for anything else: a wrong
// header, a count or length that runs past the end, a point count that is no whole number of
// triangles, bytes left over. Never reads outside `size`.
bool ParseGlyphMesh(const uint8_t* data, size_t size, std::vector<GlyphMesh>& glyphs);
