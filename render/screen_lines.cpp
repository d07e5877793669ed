// The menu screens' line table and the lines under a point of the window.
#include "render/screen_lines.h"

#include "game/game_state.h"
#include "render/outline_font.h"
#include "render/render.h"

#include <algorithm>

// clang-format off
const ScreenLine ScreenLines[] = {
    {Screen::MainMenu, "Start new game", -0.7f, 0.3f, 0.05f},
    {Screen::MainMenu, "Change player name", -0.7f, 0.2f, 0.05f},
    {Screen::MainMenu, "View highscores", -0.7f, 0.1f, 0.05f},
    {Screen::MainMenu, "Show controls", -0.7f, 0.0f, 0.05f},
    {Screen::MainMenu, "Quit game", -0.7f, -0.1f, 0.05f},
    {Screen::NameEntry, nullptr, -0.7f, 0.3f, 0.05f},
    {Screen::NameEntry, "Back to main menu", -0.7f, 0.2f, 0.05f},
    {Screen::Highscores, "Back to main menu", -0.7f, 0.3f, 0.05f},
    {Screen::Highscores, "Highscores", -0.7f, 0.1f, 0.05f},
    {Screen::Highscores, "Pos", -0.7f, 0.0f, 0.05f},
    {Screen::Highscores, "Length", -0.4f, 0.0f, 0.05f},
    {Screen::Highscores, "Name", -0.1f, 0.0f, 0.05f},
    {Screen::Controls, "Back to main menu", -0.7f, 0.3f, 0.05f},
    {Screen::Controls, "Controls:", -0.7f, 0.1f, 0.05f},
    {Screen::Controls, "hit A and L alternately to press", -0.7f, 0.0f, 0.05f},
    {Screen::Controls, "cursor keys to move camera", -0.7f, -0.1f, 0.05f},
    {Screen::Congratulations, "Go to highscores", -0.7f, 0.3f, 0.05f},
    {Screen::Congratulations, "Congratulations!", -0.7f, 0.1f, 0.1f},
    {Screen::Congratulations, "You made it into the top ten", -0.7f, 0.0f, 0.07f},
};
// clang-format on
const size_t ScreenLineEntries = sizeof ScreenLines / sizeof ScreenLines[0];

namespace {

constexpr float LineSpacing = 0.1f;
// The cursor stands left of the lines; a tap on it counts for its line.
constexpr float LeftMargin = 0.1f;
constexpr float RightMargin = 0.05f;
// A short or empty name still offers a line a finger can find.
constexpr float ShortestLine = 0.3f;
// Capitals reach about 0.7 em above the baseline: the middle of a line's letters.
constexpr float LetterMiddleEm = 0.35f;

float LineLength(const ScreenLine& line) {
    const char* text = line.text != nullptr ? line.text : Players[0].name;
    return std::max(TextWidthEm(text) * line.size, ShortestLine);
}

} // namespace

float MenuLineY(uint32_t line) {
    return 0.3f - LineSpacing * static_cast<float>(line);
}

int32_t MenuLineAt(float x, float y) {
    if (Players.empty() || ScreenState < Screen::MainMenu || ScreenState >= Screen::Count) {
        return -1;
    }
    float planeX = 0.0f;
    float planeY = 0.0f;
    ViewPointOnTextPlane(x, y, planeX, planeY);
    int32_t line = 0;
    for (size_t i = 0; i < ScreenLineEntries && line < ScreenLineCount[ScreenState]; ++i) {
        const ScreenLine& entry = ScreenLines[i];
        if (entry.screen != ScreenState) {
            continue;
        }
        const float middle = entry.y + LetterMiddleEm * entry.size;
        if (planeY >= middle - LineSpacing / 2 && planeY < middle + LineSpacing / 2 &&
            planeX >= entry.x - LeftMargin && planeX <= entry.x + LineLength(entry) + RightMargin) {
            return line;
        }
        ++line;
    }
    return -1;
}
