// The glyph lists on Windows: the system makes them itself from the outlines of a GDI font,
// bold "Arial", selected into the device context of the current rendering context.
// The build defines WINGDIAPI and APIENTRY so that the GL headers elsewhere need no
// <windows.h> (the build defines WIN32_LEAN_AND_MEAN and NOMINMAX); here it is wanted.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#include <windows.h>

#include "render/outline_font.h"

#include "render/render.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr DWORD FirstGlyph = 0;
// Byte 255 gets no glyph: its list stays empty, so it draws nothing and does not advance.
constexpr DWORD GlyphCount = 255;

// Bold "Arial", 12 units high (matched against the character height), preferring an outline
// font; the lists do not depend on the size, since the outlines come in em units.
HFONT CreateTextFont() {
    return CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       "Arial");
}

} // namespace

void BuildOutlineFont() {
    std::fill(std::begin(GlyphAdvanceEm), std::end(GlyphAdvanceEm), 0.0f);
    FontListBase = glGenLists(FontListCount);
    HDC deviceContext = wglGetCurrentDC();
    if (FontListBase == 0 || deviceContext == nullptr) {
        return;
    }
    HFONT font = CreateTextFont();
    HGDIOBJ previous = SelectObject(deviceContext, font);
    // Flat filled polygons (no extrusion) in the z = 0 plane, em height 1, each list ending
    // with the move by the glyph's advance. A failure leaves the lists empty: no text shows.
    GLYPHMETRICSFLOAT metrics[GlyphCount];
    if (wglUseFontOutlinesA(deviceContext, FirstGlyph, GlyphCount, FontListBase, 0.0f, 0.0f,
                            WGL_FONT_POLYGONS, metrics)) {
        for (DWORD code = 0; code < GlyphCount; ++code) {
            GlyphAdvanceEm[FirstGlyph + code] = metrics[code].gmfCellIncX;
        }
    }
    // The font is needed only while the lists are made; the next window makes its own.
    SelectObject(deviceContext, previous);
    if (font != nullptr) {
        DeleteObject(font);
    }
}
