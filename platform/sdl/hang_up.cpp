// SIGHUP into a flag that the main loop reads: the handler itself may do nothing more than
// set it, since it can interrupt any call of the main thread.
#include "platform/sdl/hang_up.h"

#include <signal.h>

namespace {

volatile sig_atomic_t HangUp = 0;

void OnHangUp(int) {
    HangUp = 1;
}

} // namespace

void CatchHangUp() {
    struct sigaction current {};
    if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnHangUp;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on, as the rest of the program expects.
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

bool HangUpCaught() {
    return HangUp != 0;
}
