// The song's stream output on Windows: WinMM's MIDI stream on the MIDI mapper.
#include "platform/shell.h"

#include "platform/win32/winmm_midi_stream.h"

// Made on the first call, while the program's MidiPlayer is made, and so destroyed after it.
MidiStreamOut* ShellMusicOutput() {
    static WinmmMidiStream output;
    return &output;
}

// The stream opens with the song's load; where no MIDI device opens (a machine without one,
// or Wine without a synthesizer) the load and Play fail and the game runs on silently.
void ShellStartMusicOutput() {}
void ShellStopMusicOutput() {}

bool ShellMusicOutputReady() {
    return true;
}
