// Places text made of the glyph lists: formatted at the current transform, or shadowed at a
// point of the text plane one unit in front of the eye.
#include "render/outline_font.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t PrintBufferSize = 256;
constexpr float ShadowOffset = 0.01f;

// One byte, one list: the lists advance the pen themselves.
void CallGlyphLists(const char* text, size_t length) {
    if (length == 0) {
        return;
    }
    glPushAttrib(GL_LIST_BIT);
    glListBase(FontListBase);
    glCallLists(static_cast<GLsizei>(length), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

} // namespace

void PrintText(const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    char buffer[PrintBufferSize];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written <= 0) {
        return;
    }
    CallGlyphLists(buffer, strnlen(buffer, sizeof buffer - 1));
}

void DrawTextAt(float x, float y, float red, float green, float blue, float size,
                const char* text) {
    const char* safeText = text != nullptr ? text : "";
    glLoadIdentity();
    glTranslatef(x - ShadowOffset, y - ShadowOffset, -1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    glScalef(size, size, size);
    PrintText("%s", safeText);
    glLoadIdentity();
    glTranslatef(x, y, -1.0f);
    glColor3f(red, green, blue);
    glScalef(size, size, size);
    PrintText("%s", safeText);
}
