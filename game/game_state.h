// The game core's state: the player record, keys and buttons, the particle pool, the top-ten
// table and the screen globals. Plain globals that live for the whole run; the platform
// writes the inputs, GameTick changes the rest, the renderer only reads.
#pragma once

#include <cstdint>
#include <vector>

// One player's record. Angles in degrees, pressure in mbar, length in cm, heights in scene
// units. The name points into a 32-byte buffer owned by the record (zero-terminated, <= 31).
struct PlayerState {
    float yaw;
    float pitch;
    float pressure;
    float leak;
    float length;
    float pistonHeight;
    float pistonSpeed;
    bool inGame;
    char* name;
};

inline constexpr int NameBufferSize = 32;
inline constexpr int MaxNameLength = NameBufferSize - 1;

// The players; the game uses player 0 only. Adding a player may move the records.
extern std::vector<PlayerState> Players;
extern int32_t PlayerCount;

// Appends a player named `name` (at most 31 characters): yaw 10, pitch 20, length 0,
// not in a game. Called once at start-up with "VOV1ER0U".
void AddPlayer(const char* name);

// Virtual-key codes the game reads (Windows numbering, as the platform maps its keys).
namespace Key {
inline constexpr int Backspace = 0x08;
inline constexpr int Return = 0x0D;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Delete = 0x2E;
inline constexpr int Digit0 = 0x30;
inline constexpr int Digit9 = 0x39;
inline constexpr int A = 0x41;
inline constexpr int L = 0x4C;
inline constexpr int Z = 0x5A;
inline constexpr int F1 = 0x70;
} // namespace Key

// Held keys by virtual-key code; set on key-down and cleared on key-up by the platform,
// edge-triggered readers clear their entries themselves.
extern bool KeyTable[256];

// Buttons 1..4 of the first joystick at indices 0..3; written by the platform only.
extern bool JoystickButtons[4];

// One fart particle. seed > 0 marks a slot in use and seeds the generator when it is drawn;
// age in ms since the spawn (a multiple of 40); drift is the flight vector in scene units.
struct FartParticle {
    int32_t seed;
    int32_t age;
    float driftX;
    float driftY;
    float driftZ;
};

inline constexpr int ParticleSlots = 2323;
inline constexpr int32_t ParticleLifeMs = 3000;

// The fixed particle pool; a spawn takes the lowest free slot.
extern FartParticle Particles[ParticleSlots];

// One top-ten row: length in cm and a zero-terminated name of at most 31 characters.
// Ten rows make the 360-byte image of scores.dat.
struct HighscoreEntry {
    float length;
    char name[NameBufferSize];
};
static_assert(sizeof(HighscoreEntry) == 36, "a score row is 36 bytes on disk");

inline constexpr int HighscoreRows = 10;

// Row 0 is the best. Defaults 11.0 down to 2.0, all named "QUARZMOLCH".
extern HighscoreEntry HighscoreTable[HighscoreRows];

// The table as scores.dat held it when this program last loaded or saved it, so that a save
// can tell the rows this program added from those another copy stored meanwhile. Known only
// after a load or a save.
extern HighscoreEntry StoredHighscoreTable[HighscoreRows];
extern bool StoredHighscoresKnown;

// Puts the default rows into HighscoreTable (or into `table`).
void SetDefaultHighscores();
void SetDefaultHighscores(HighscoreEntry* table);

// Inserts a row in falling order; only called with a length greater than row 9's.
// Rows below the insertion move down one, the old row 9 drops out.
void InsertHighscore(float length, const char* name);
// The same rule on any ten-row table.
void InsertHighscoreRow(HighscoreEntry* table, float length, const char* name);

// Which press is due next: 1 waits for A (button 1), 2 for L (button 2). Never reset.
extern int32_t PressPhase;
// "rel" has been played in the current game; cleared by every menu step.
extern bool ReleasePlayed;

// The screens shown while no game runs, as values of ScreenState (which stays a plain 32-bit
// integer: the renderer and the tests read and write it as one).
namespace Screen {
inline constexpr int32_t MainMenu = 0;
inline constexpr int32_t NameEntry = 1;
inline constexpr int32_t Highscores = 2;
inline constexpr int32_t Controls = 3;
inline constexpr int32_t Congratulations = 4;
inline constexpr int32_t Count = 5;
} // namespace Screen

// Screen shown while no game runs; MenuCursor is the highlighted line counted from 0, and
// ScreenLineCount the number of lines of each screen.
extern int32_t ScreenState;
extern uint32_t MenuCursor;
extern const int32_t ScreenLineCount[Screen::Count];

// The window is not minimised (drawing happens only then); written by the platform.
extern bool WindowActive;
// The window is made fullscreen; flipped by F1 in the main loop.
extern bool Fullscreen;
// Set by "Quit game"; the main loop ends after the pass in which it was set.
extern bool QuitRequested;

// Puts every global above back to its program-start value and empties Players.
// For tests and tools that run several scenarios in one process.
void ResetGameState();
