// The game's background music: the one global MidiPlayer on the FluidSynth stream output,
// started with the song at start-up and looping for the whole run.
#include "platform/shell.h"

#include "music/midi_player.h"
#include "platform/sdl/midi_stream_fluid.h"

namespace {

constexpr uint16_t SongResourceId = 114;

} // namespace

// Made during static initialisation in this order and destroyed in the reverse one, so the
// player (whose destructor stops the music) goes before the output it plays through.
FluidMidiStream MusicOutput;
MidiPlayer Music(&MusicOutput);

void StartMusic() {
    // Without an audio device or a SoundFont the output cannot open: the load and Play fail
    // and the game runs on without music, as it does with any other music failure.
    MusicOutput.Start();
    Music.LoadFromResource(SongResourceId, nullptr);
    Music.Play(true);
}

void StopMusic() {
    Music.Stop(false);
    MusicOutput.Shutdown();
}
