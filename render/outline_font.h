// Outline-font text: 256 display lists of flat filled glyphs (em height 1) and the two ways
// of placing text with them. All calls need the rendering context that built the lists.
#pragma once

#include <GL/gl.h>

// First of the 256 consecutive glyph lists; list FontListBase + c draws byte c and moves the
// pen by its advance. 0 while no lists are reserved.
extern GLuint FontListBase;

// Lists reserved for the font: one per byte value.
inline constexpr GLsizei FontListCount = 256;

// Reserves the 256 lists and fills 0..254 with the glyphs of bold "Arial" (or the system's
// nearest face); list 255 stays empty. FreeType's outlines on Linux, wglUseFontOutlinesA on
// Windows, in a page the triangles the Linux build tessellated (tools/glyphmesh). Without a
// usable face every list stays empty, so text is invisible and the game runs on. Called by
// InitRenderState for every new context.
void BuildOutlineFont();

// The pen move of each byte's list in em, filled by BuildOutlineFont beside the lists; all 0
// without a font.
extern float GlyphAdvanceEm[FontListCount];

// The pen move of `text` drawn with the lists, in em (multiply by the size for plane units);
// 0 without a font. Called by the frame to keep a text within its column.
float TextWidthEm(const char* text);

// Formats like printf into a 256-byte buffer (longer results are cut to 255 characters) and
// draws it from the current modelview position along its x axis. A null format draws nothing.
// The list base in force before the call is restored.
void PrintText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Draws `text` literally on the eye-space plane z = -1 at (x, y) with em height `size`: first
// a black shadow 0.01 left of and below it, then in (red, green, blue), components 0..1.
// Leaves the modelview matrix at the last translation and scale and the colour as given.
// Called by the readouts and the menu screens.
void DrawTextAt(float x, float y, float red, float green, float blue, float size, const char* text);
