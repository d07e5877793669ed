// The song on any shell: loaded from the embedded resources by its number, looped until the
// program ends.
#include "platform/game_music.h"

#include "music/midi_player.h"
#include "platform/shell.h"
#include "resources/resource_ids.h"

namespace {

// Made during static initialisation, after the shell's output (which ShellMusicOutput makes
// on its first call), and destroyed before it: the player's destructor stops the music while
// the output is still there.
MidiPlayer Music(ShellMusicOutput());

bool SongWanted = false;
bool SongStarted = false;

} // namespace

void StartMusic() {
    SongWanted = true;
    ShellStartMusicOutput();
    StartSongWhenReady();
}

void StartSongWhenReady() {
    if (!SongWanted || SongStarted || !ShellMusicOutputReady()) {
        return;
    }
    // Without an audio device, a SoundFont or a MIDI device the load and Play fail, and the
    // game runs on without music as it does with any other music failure.
    SongStarted = true;
    Music.LoadFromResource(SongResourceId, nullptr);
    Music.Play(true);
}

void StopMusic() {
    SongWanted = false;
    Music.Stop(false);
    ShellStopMusicOutput();
}
