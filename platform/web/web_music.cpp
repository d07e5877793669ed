// The song in a page: the one global MidiPlayer on the page's stream output. The synthesizer
// and its SoundFont come only after the player's first key press or click, so the song is
// loaded and played from its beginning once the page says the synthesizer is there, and looped
// for the whole run; "Quit game" stops it.
#include "platform/shell.h"

#include "music/midi_player.h"
#include "platform/web/web_midi_stream.h"
#include "platform/web/web_shell.h"

namespace {

constexpr uint16_t SongResourceId = 114;

bool MusicWanted = false;
bool MusicStarted = false;

// The player goes before the output it plays through, as on the desktop.
WebMidiStream MusicOutput;
MidiPlayer Music(&MusicOutput);

void StartSong(int sampleRate) {
    MusicOutput.UseSynthesizer(sampleRate);
    Music.LoadFromResource(SongResourceId, nullptr);
    // A test hook: ?songskip=SECONDS starts the song that far in, to reach its end soon.
    MusicOutput.SkipAhead(PageSongSkipSeconds());
    Music.Play(true);
    MusicStarted = true;
}

} // namespace

void StartMusic() {
    MusicWanted = true;
    PageWantMusic();
}

void PumpMusic() {
    if (!MusicWanted) {
        return;
    }
    if (!MusicStarted) {
        const int sampleRate = PageSynthesizerRate();
        if (sampleRate <= 0) {
            return;
        }
        StartSong(sampleRate);
    }
    MusicOutput.Pump(PageAudioFrame());
}

void StopMusic() {
    MusicWanted = false;
    Music.Stop(false);
    PageStopMusic();
}
