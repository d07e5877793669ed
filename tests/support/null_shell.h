// A shell with no system under it: every call of platform/shell.h answered from a script and
// recorded, for running the whole program in a test (and where a new shell can start). Events
// come from NullShell.script, windows open as NullShell.openResults say, boxes and questions
// are recorded and answered with NullShell.yesAnswer; time is the counted clock FakeClockMs
// (fake_platform_calls.h), which moves only when the program sleeps (at least 1 ms a sleep).
// The renderer's entry points are not part of the seam: the program's test supplies them.
#pragma once

#include "platform/shell.h"

#include <deque>
#include <string>
#include <vector>

struct NullShellState {
    // One line per call, in order: "open fullscreen 1024x768x32", "swap", "box ERROR: ...".
    std::vector<std::string> calls;
    // Events for ShellTakeEvent, oldest first: "down N" and "up N" (virtual-key codes),
    // "minimise", "restore", "fullscreen left", "context lost", "quit"; "draw" (or an empty script)
    // lets the pass draw.
    std::deque<std::string> script;
    // What ShellOpenWindow returns, oldest first; Opened once they run out.
    std::deque<WindowResult> openResults;
    bool yesAnswer = true;
    bool savesTableOnChange = false;
    // Another copy stored the table: ShellTableStoredElsewhere answers true once.
    bool tableStoredElsewhere = false;
    int refreshRate = 60;
    // Events taken so far; past maxPasses the shell quits the program and sets ranAway, so
    // that a loop that runs away ends (and the test can fail on it).
    int passes = 0;
    int maxPasses = 20000;
    bool ranAway = false;
};

extern NullShellState NullShell;

// Back to the state above, with no calls recorded.
void ResetNullShell();

// Records one line, for the test's own stand-ins (the renderer) to keep the one order.
void NullShellLog(const std::string& call);
