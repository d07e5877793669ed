// The Windows game's background music: the one global MidiPlayer on the WinMM stream of the
// MIDI mapper, started with the song at start-up and looping for the whole run.
#include "music/midi_player.h"
#include "platform/shell.h"
#include "platform/win32/winmm_midi_stream.h"

namespace {

constexpr uint16_t SongResourceId = 114;

} // namespace

// Made during static initialisation in this order and destroyed in the reverse one, so the
// player (whose destructor stops the music) goes before the output it plays through.
WinmmMidiStream MusicOutput;
MidiPlayer Music(&MusicOutput);

void StartMusic() {
    // Where no MIDI device opens (a machine without one, or Wine without a synthesizer) the
    // load and Play fail and the game runs on silently.
    Music.LoadFromResource(SongResourceId, nullptr);
    Music.Play(true);
}

void StopMusic() {
    Music.Stop(false);
}
