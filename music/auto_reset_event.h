// An auto-reset event: Set signals it, and the one wait that takes the signal clears it again.
// The player's buffer-return event, on std::mutex and std::condition_variable.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class AutoResetEvent {
  public:
    // Signals the event; it stays signalled until a wait takes it.
    void Set();

    // Waits at most `milliseconds` for the signal. True when it came (and is cleared again),
    // false on time-out.
    bool WaitFor(uint32_t milliseconds);

  private:
    std::mutex lock;
    std::condition_variable changed;
    bool signalled = false;
};
