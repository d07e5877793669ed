// The auto-reset event of the music player.
#include "music/auto_reset_event.h"

#include <chrono>

void AutoResetEvent::Set() {
    {
        std::lock_guard<std::mutex> guard(lock);
        signalled = true;
    }
    changed.notify_one();
}

bool AutoResetEvent::WaitFor(uint32_t milliseconds) {
    std::unique_lock<std::mutex> guard(lock);
    if (!changed.wait_for(guard, std::chrono::milliseconds(milliseconds),
                          [this] { return signalled; })) {
        return false;
    }
    signalled = false;
    return true;
}
