// Flattened glyph outlines of the game's text face, in em units, ready for tessellation.
// The only place that knows about the font machinery of the system (fontconfig, FreeType).
#pragma once

#include <vector>

struct GlyphPoint {
    double x;
    double y;
};

// One glyph: closed contours of straight segments (the last point joins the first) in em
// units (the em height is 1), y up, origin on the baseline; advance is the pen move in em.
struct GlyphOutline {
    std::vector<std::vector<GlyphPoint>> contours;
    double advance = 0.0;
};

// The number of byte values that get a glyph; byte 255 has none.
inline constexpr int GlyphCodeCount = 255;

// Loads the bold "Arial" face (or fontconfig's nearest match), maps byte values 0..254
// through Windows-1252 and fills `glyphs` with 255 outlines, indexed by byte value.
// False, with `glyphs` empty, when no scalable face can be found or read.
// Called by BuildOutlineFont once per rendering context.
bool LoadGlyphOutlines(std::vector<GlyphOutline>& glyphs);

// The Unicode code point that Windows-1252 gives a byte; undefined bytes map to themselves.
char32_t Windows1252ToUnicode(unsigned char byte);
