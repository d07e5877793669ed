// The song's stream output in a page. The synthesizer and its SoundFont come only after the
// player's first key press or click, so the output is ready, and the song starts from its
// beginning, only once the page says the synthesizer is there.
#include "platform/shell.h"

#include "platform/web/web_midi_stream.h"
#include "platform/web/web_shell.h"

namespace {

bool OutputWanted = false;
bool OutputReady = false;

// Made on the first call, while the program's MidiPlayer is made, and so destroyed after it.
WebMidiStream& Output() {
    static WebMidiStream output;
    return output;
}

} // namespace

MidiStreamOut* ShellMusicOutput() {
    return &Output();
}

void ShellStartMusicOutput() {
    OutputWanted = true;
    PageWantMusic();
}

bool ShellMusicOutputReady() {
    if (!OutputReady && OutputWanted) {
        const int sampleRate = PageSynthesizerRate();
        if (sampleRate > 0) {
            Output().UseSynthesizer(sampleRate);
            // A test hook: ?songskip=SECONDS starts the song that far in, to reach its end soon.
            Output().SkipAhead(PageSongSkipSeconds());
            OutputReady = true;
        }
    }
    return OutputReady;
}

// "Quit game": the synthesizer falls silent.
void ShellStopMusicOutput() {
    OutputWanted = false;
    OutputReady = false;
    PageStopMusic();
}

void PumpMusic() {
    if (OutputReady) {
        Output().Pump(PageAudioFrame());
    }
}
