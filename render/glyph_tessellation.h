// Glyph outlines filled with triangles by the GLU tessellator (non-zero winding, so that
// overlapping contours stay solid). The desktop builds its glyph lists from them, and the
// glyph-mesh tool writes them out for the web build, which has no tessellator.
#pragma once

#include "render/glyph_outlines.h"

#include <vector>

// Fills `triangles` with the glyph's area as triangles, three points each, in em units; empty
// for a glyph without contours. False when the tessellator cannot be made.
bool TessellateGlyph(const GlyphOutline& glyph, std::vector<GlyphPoint>& triangles);
