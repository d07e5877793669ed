// The null shell's answers: each call recorded, events played from the script, the counted
// clock moved by the sleeps, and the song's output a virtual MIDI stream whose notifications
// come on the caller's thread.
#include "tests/support/null_shell.h"

#include "game/game_state.h"
#include "platform/key_table.h"
#include "tests/support/fake_platform_calls.h"
#include "tests/support/virtual_midi_stream.h"

#include <algorithm>

NullShellState NullShell;

void ResetNullShell() {
    NullShell = NullShellState{};
}

void NullShellLog(const std::string& call) {
    NullShell.calls.push_back(call);
}

WindowResult ShellOpenWindow(const char*, int32_t width, int32_t height, int32_t bits,
                             bool fullscreen) {
    NullShellLog(std::string("open ") + (fullscreen ? "fullscreen " : "windowed ") +
                 std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits));
    if (NullShell.openResults.empty()) {
        return WindowResult::Opened;
    }
    const WindowResult result = NullShell.openResults.front();
    NullShell.openResults.pop_front();
    return result;
}

void ShellCloseWindow() {
    NullShellLog("close");
}

void ShellSwapBuffers() {
    NullShellLog("swap");
}

int ShellRefreshRate() {
    return NullShell.refreshRate;
}

ShellEvent ShellTakeEvent() {
    if (++NullShell.passes > NullShell.maxPasses) {
        NullShell.ranAway = true;
        return ShellEvent::Quit;
    }
    if (NullShell.script.empty()) {
        return ShellEvent::NoEvent;
    }
    const std::string event = NullShell.script.front();
    NullShell.script.pop_front();
    if (event == "quit") {
        return ShellEvent::Quit;
    }
    if (event == "fullscreen left") {
        return ShellEvent::FullscreenLeft;
    }
    if (event == "context lost") {
        return ShellEvent::ContextLost;
    }
    if (event.rfind("down ", 0) == 0 || event.rfind("up ", 0) == 0) {
        const bool down = event[0] == 'd';
        ApplyVirtualKey(std::stoi(event.substr(down ? 5 : 3)), down, false);
        return ShellEvent::Handled;
    }
    if (event == "minimise" || event == "restore") {
        WindowActive = event == "restore";
        return ShellEvent::Handled;
    }
    return ShellEvent::NoEvent; // "draw"
}

uint64_t ShellCounter() {
    return uint64_t{FakeClockMs} * 1000u;
}

uint64_t ShellCounterFrequency() {
    return 1000000u;
}

// Time passes only while the program sleeps, and at least a millisecond a sleep, so that the
// loop cannot outrun its clock.
void ShellSleep(uint32_t ms) {
    FakeClockMs += std::max<uint32_t>(ms, 1);
}

void ShellShowBox(const char* caption, const char* text, BoxIcon icon) {
    const char* icons[] = {"exclamation", "stop", "information"};
    NullShellLog(std::string("box ") + caption + ": " + text + " (" +
                 icons[static_cast<int>(icon)] + ")");
}

bool ShellAskYesNo(const char* caption, const char* text) {
    NullShellLog(std::string("ask ") + caption + ": " + text);
    return NullShell.yesAnswer;
}

void CaptureJoysticks() {
    NullShellLog("capture joysticks");
}

void ReleaseJoysticks() {
    NullShellLog("release joysticks");
}

void StartSound() {
    NullShellLog("start sound");
}

void StopSound() {
    NullShellLog("stop sound");
}

bool ShellPlayWave(const EmbeddedResource&, const WaveSamples&) {
    NullShellLog("play wave");
    return true;
}

MidiStreamOut* ShellMusicOutput() {
    static VirtualMidiStream output(NotificationDelivery::ByOwner);
    return &output;
}

void ShellStartMusicOutput() {
    NullShellLog("start music");
}

void ShellStopMusicOutput() {
    NullShellLog("stop music");
}

bool ShellMusicOutputReady() {
    return true;
}

bool ShellSavesTableOnChange() {
    return NullShell.savesTableOnChange;
}

void ShellTableSaved() {
    NullShellLog("table saved");
}

bool ShellTableStoredElsewhere() {
    const bool stored = NullShell.tableStoredElsewhere;
    NullShell.tableStoredElsewhere = false;
    return stored;
}
