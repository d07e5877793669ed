// A MIDI stream output with no sound and a hand-driven clock, for the tests: it records every
// call and every event it plays, delivers notifications on its own thread like a real output
// (or on the test's, as the page's output does), and can be told to fail a call.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "music/queued_midi_stream.h"

class VirtualMidiStream : public QueuedMidiStream {
  public:
    // One event the clock played: its stream time in microseconds and the short message.
    struct PlayedEvent {
        uint64_t timeUs;
        uint32_t message;
    };

    explicit VirtualMidiStream(NotificationDelivery delivery = NotificationDelivery::OwnThread);
    ~VirtualMidiStream() override;

    uint32_t Open(MidiStreamCallback callback, uintptr_t instance) override;
    uint32_t SetTimeDivision(uint32_t division) override;
    uint32_t PrepareHeader(MidiHeader* header) override;
    uint32_t UnprepareHeader(MidiHeader* header) override;
    uint32_t Out(MidiHeader* header) override;
    uint32_t Restart() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    uint32_t Close() override;

    // Moves the clock on by `milliseconds` in 1 ms steps, letting the notifications of each
    // step (and the refills they cause) happen before the next. Test thread only.
    void Advance(uint32_t milliseconds);

    // Makes the next call named `call` ("Open", "Out", "Stop", ...) return `error` unperformed.
    void FailNext(const std::string& call, uint32_t error);

    // The calls so far, in order: "Open", "SetTimeDivision 480", "Out 264" (bytes), ...
    std::vector<std::string> Calls();
    // The events of each Out call, copied when queued.
    std::vector<std::vector<MidiEvent>> QueuedBuffers();
    // What the clock has played, and how often it was silenced by Stop or Reset.
    std::vector<PlayedEvent> Played();
    int Silences();

  private:
    class Recorder;
    uint32_t Record(const std::string& call);

    std::mutex recordLock;
    std::vector<std::string> calls;
    std::vector<std::vector<MidiEvent>> outBuffers;
    std::map<std::string, uint32_t> failures;
    // Guarded by the stream's own lock (the clock runs under it).
    std::vector<PlayedEvent> played;
    int silences = 0;
    uint64_t clockUs = 0;
};
