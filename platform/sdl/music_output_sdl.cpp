// The song's stream output on Linux: FluidSynth with a General MIDI SoundFont, rendered in the
// SDL audio callback.
#include "platform/shell.h"

#include "platform/sdl/midi_stream_fluid.h"

namespace {

// Made on the first call, while the program's MidiPlayer is made, and so destroyed after it.
FluidMidiStream& Output() {
    static FluidMidiStream output;
    return output;
}

} // namespace

MidiStreamOut* ShellMusicOutput() {
    return &Output();
}

// Without an audio device or a SoundFont the output cannot open; the song's load then fails.
void ShellStartMusicOutput() {
    Output().Start();
}

void ShellStopMusicOutput() {
    Output().Shutdown();
}

bool ShellMusicOutputReady() {
    return true;
}
