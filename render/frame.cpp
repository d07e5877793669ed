// One frame: the scene for player 0 and, between games, the menu overlay of the current screen
// (title, credits, the screen's lines and the cursor) in white outline-font text.
#include "render/render.h"

#include "game/game_state.h"
#include "render/outline_font.h"
#include "render/scene.h"
#include "render/screen_lines.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* Title = "Kesselfass 3D";
constexpr const char* Credits = "Credits: Code/GFX/SND: Pelko, Drumm  Ideas: Pelko, Drumm, "
                                "Sandwehr  Music: Ivo K. Marr";

void DrawWhite(float x, float y, float size, const char* text) {
    DrawTextAt(x, y, 1.0f, 1.0f, 1.0f, size, text);
}

// A name from scores.dat need not end within its 32 bytes; only those 32 are shown.
void DrawName(float x, float y, float size, const char* name) {
    char shown[NameBufferSize + 1];
    size_t length = strnlen(name, NameBufferSize);
    std::memcpy(shown, name, length);
    shown[length] = '\0';
    DrawWhite(x, y, size, shown);
}

// The room a length has before the Name column begins, a small gap left.
constexpr float LengthColumnWidth = 0.28f;
// "%3.2f cm" of the longest float, -3.4e38, is 46 characters.
constexpr size_t LengthTextSize = 64;

// A crafted scores.dat can hold lengths of 39 digits. Every digit is still shown, but such a
// text is drawn smaller, so that it never runs into the names.
void DrawLength(float x, float y, float size, float length) {
    char text[LengthTextSize];
    std::snprintf(text, sizeof text, "%3.2f cm", static_cast<double>(length));
    const float widthEm = TextWidthEm(text);
    if (widthEm * size > LengthColumnWidth) {
        size = LengthColumnWidth / widthEm;
    }
    DrawWhite(x, y, size, text);
}

void DrawHighscoreRows() {
    char text[16];
    for (int row = 0; row < HighscoreRows; ++row) {
        float y = -0.08f - 0.06f * static_cast<float>(row);
        std::snprintf(text, sizeof text, "%2d", row + 1);
        DrawWhite(-0.7f, y, 0.04f, text);
        DrawLength(-0.4f, y, 0.04f, HighscoreTable[row].length);
        DrawName(-0.1f, y, 0.04f, HighscoreTable[row].name);
    }
}

void DrawMenuOverlay() {
    // The scene's colours stay as the background; only its depth must not hide the text.
    glClear(GL_DEPTH_BUFFER_BIT);
    DrawWhite(-0.6f, 0.5f, 0.2f, Title);
    DrawWhite(-0.6f, -0.7f, 0.03f, Credits);
    for (size_t i = 0; i < ScreenLineEntries; ++i) {
        const ScreenLine& line = ScreenLines[i];
        if (line.screen != ScreenState) {
            continue;
        }
        if (line.text != nullptr) {
            DrawWhite(line.x, line.y, line.size, line.text);
        } else {
            DrawName(line.x, line.y, line.size, Players[0].name);
        }
    }
    if (ScreenState == Screen::Highscores) {
        DrawHighscoreRows();
    }
    DrawWhite(-0.75f, MenuLineY(MenuCursor), 0.05f, ">");
}

} // namespace

bool DrawFrame() {
    // Without a player there is nothing to show but the background.
    if (Players.empty()) {
        glClearColor(FogColour[0], FogColour[1], FogColour[2], FogColour[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return true;
    }
    DrawScene(0);
    if (Players[0].inGame) {
        return true;
    }
    DrawMenuOverlay();
    return true;
}
