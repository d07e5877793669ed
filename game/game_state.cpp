// The game core's globals with their start values, players and the top-ten table.
#include "game/game_state.h"

#include <cstring>
#include <memory>

std::vector<PlayerState> Players;
int32_t PlayerCount = 0;

bool KeyTable[256] = {};
bool JoystickButtons[4] = {};
FartParticle Particles[ParticleSlots] = {};
// The defaults, also in place before the first LoadHighscores; one row a line.
// clang-format off
HighscoreEntry HighscoreTable[HighscoreRows] = {
    {11.0f, "QUARZMOLCH"},
    {10.0f, "QUARZMOLCH"},
    {9.0f, "QUARZMOLCH"},
    {8.0f, "QUARZMOLCH"},
    {7.0f, "QUARZMOLCH"},
    {6.0f, "QUARZMOLCH"},
    {5.0f, "QUARZMOLCH"},
    {4.0f, "QUARZMOLCH"},
    {3.0f, "QUARZMOLCH"},
    {2.0f, "QUARZMOLCH"},
};
// clang-format on
HighscoreEntry StoredHighscoreTable[HighscoreRows] = {};
bool StoredHighscoresKnown = false;

int32_t PressPhase = 1;
bool ReleasePlayed = false;
int32_t ScreenState = Screen::MainMenu;
uint32_t MenuCursor = 0;
const int32_t ScreenLineCount[Screen::Count] = {5, 2, 1, 1, 1};
bool WindowActive = true;
bool Fullscreen = true;
bool QuitRequested = false;

namespace {

// Every name buffer ever attached to a record; they outlive moves of the Players array.
std::vector<std::unique_ptr<char[]>> NameBuffers;

// Copies a zero-terminated name into a 32-byte buffer, cut to 31 characters.
void CopyName(char* dest, const char* source) {
    size_t length = strnlen(source, MaxNameLength);
    std::memcpy(dest, source, length);
    dest[length] = '\0';
}

} // namespace

void AddPlayer(const char* name) {
    PlayerCount += 1;
    // Sized from the count, so a caller that resets PlayerCount starts from a clean list.
    Players.resize(static_cast<size_t>(PlayerCount));
    PlayerState& player = Players.back();
    NameBuffers.push_back(std::make_unique<char[]>(NameBufferSize));
    player.name = NameBuffers.back().get();
    CopyName(player.name, name);
    player.length = 0.0f;
    player.inGame = false;
    player.yaw = 10.0f;
    player.pitch = 20.0f;
}

void SetDefaultHighscores() {
    SetDefaultHighscores(HighscoreTable);
}

void SetDefaultHighscores(HighscoreEntry* table) {
    for (int row = 0; row < HighscoreRows; ++row) {
        table[row].length = static_cast<float>(11 - row);
        std::memset(table[row].name, 0, NameBufferSize);
        CopyName(table[row].name, "QUARZMOLCH");
    }
}

void InsertHighscore(float length, const char* name) {
    InsertHighscoreRow(HighscoreTable, length, name);
}

void InsertHighscoreRow(HighscoreEntry* table, float length, const char* name) {
    int position = HighscoreRows - 1;
    for (int row = 0; row < HighscoreRows; ++row) {
        if (table[row].length < length) {
            position = row;
            break;
        }
    }
    for (int row = HighscoreRows - 2; row >= position; --row) {
        table[row + 1].length = table[row].length;
        CopyName(table[row + 1].name, table[row].name);
    }
    table[position].length = length;
    CopyName(table[position].name, name);
}

void ResetGameState() {
    Players.clear();
    PlayerCount = 0;
    NameBuffers.clear();
    std::memset(KeyTable, 0, sizeof KeyTable);
    std::memset(JoystickButtons, 0, sizeof JoystickButtons);
    std::memset(Particles, 0, sizeof Particles);
    SetDefaultHighscores();
    StoredHighscoresKnown = false;
    PressPhase = 1;
    ReleasePlayed = false;
    ScreenState = Screen::MainMenu;
    MenuCursor = 0;
    WindowActive = true;
    Fullscreen = true;
    QuitRequested = false;
}
