// A gate that holds a thread at one point until the test lets it go: the music tests' stand-in
// for a slow notification callback.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class ThreadGate {
  public:
    // From now on a thread that reaches Pass waits there.
    void Hold() {
        std::lock_guard<std::mutex> guard(lock);
        held = true;
    }

    // Lets every waiting thread (and every later one) through.
    void Release() {
        {
            std::lock_guard<std::mutex> guard(lock);
            held = false;
        }
        changed.notify_all();
    }

    // Called by the thread to hold: waits while the gate is held. The minute only ends a broken
    // test; a test releases long before.
    void Pass() {
        std::unique_lock<std::mutex> guard(lock);
        ++arrivals;
        changed.notify_all();
        changed.wait_for(guard, std::chrono::minutes(1), [this] { return !held; });
    }

    // Waits (a minute at most) until a thread has reached the gate; false if none came.
    bool AwaitArrival() {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::minutes(1), [this] { return arrivals > 0; });
    }

  private:
    std::mutex lock;
    std::condition_variable changed;
    bool held = false;
    int arrivals = 0;
};
