// The working of a MIDI stream output without its sound: the queue of buffers, the stream
// clock with tempo and time division, Stop/Reset returning every buffer, and the delivery of
// MOM_* messages. The FluidSynth, page and virtual outputs build on it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "music/midi_stream_out.h"

// dwFlags bits a QueuedMidiStream keeps in the headers (WinMM's values).
inline constexpr uint32_t MHDR_DONE = 0x1;
inline constexpr uint32_t MHDR_PREPARED = 0x2;
inline constexpr uint32_t MHDR_INQUEUE = 0x4;
inline constexpr uint32_t MMSYSERR_ALLOCATED = 4;
inline constexpr uint32_t MMSYSERR_INVALPARAM = 11;

// Receives what the stream clock plays. Called with the stream's lock held, so it must not
// call back into the stream.
class StreamEventSink {
  public:
    virtual ~StreamEventSink() = default;
    // A short MIDI message (status in bits 0-7) due `offset` clock units into the advance.
    virtual void ShortMessage(uint32_t message, double offset) = 0;
    // Stop or Reset happened: sounding notes must end.
    virtual void Silence() = 0;
};

// Who carries the MOM_* notifications to the owner's callback.
enum class NotificationDelivery {
    // A thread of the stream's own, as a driver's: the callback may block, and Close waits
    // until everything posted before it has been delivered.
    OwnThread,
    // The owner's thread, where there are no others (a page without threads): the owner calls
    // DeliverNotifications after each clock advance, and Open, Stop, Reset and Close deliver
    // what they post before they return, so that a stop finds its buffers back at once
    // instead of waiting for a thread that does not exist.
    ByOwner,
};

class QueuedMidiStream : public MidiStreamOut {
  public:
    // `clockRate`: clock units per second of the Advance calls (samples, or microseconds).
    explicit QueuedMidiStream(double clockRate,
                              NotificationDelivery delivery = NotificationDelivery::OwnThread);
    ~QueuedMidiStream() override;

    uint32_t Open(MidiStreamCallback callback, uintptr_t instance) override;
    uint32_t SetTimeDivision(uint32_t division) override;
    uint32_t PrepareHeader(MidiHeader* header) override;
    uint32_t UnprepareHeader(MidiHeader* header) override;
    uint32_t Out(MidiHeader* header) override;
    uint32_t Restart() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    uint32_t Close() override;

    // Blocks until every notification posted so far has been delivered. Not from a callback.
    // ByOwner: delivers them itself.
    void WaitForNotifications();

    // ByOwner: delivers the notifications posted so far on the calling thread, one callback
    // after the other. From inside a callback it does nothing: the delivery under way goes on
    // with what the callback's own calls posted.
    void DeliverNotifications();

  protected:
    // Plays what falls due within the next `units` of stream time, then returns; nothing moves
    // while the stream is paused. `sink` hears the events and a pending silence.
    void AdvanceLocked(double units, StreamEventSink& sink);

    // Whether Open may succeed (the sounding output needs its synthesizer), and the error
    // code it returns otherwise.
    virtual uint32_t OpenError() const { return MMSYSERR_NOERROR; }

    // Ends the notification thread after delivering what is queued; derived destructors call
    // it before their own members go.
    void StopNotificationThread();

    // Sets the clock units per second (the sounding output learns its sample rate late).
    void SetClockRate(double unitsPerSecond);

    std::mutex lock;

  private:
    struct Notification {
        uint32_t message;
        MidiHeader* header;
        uint32_t offset; // MOM_POSITIONCB: the event's byte offset in the header's data
        MidiStreamCallback callback;
        uintptr_t instance;
    };
    static constexpr int MaxQueued = 8;
    static constexpr int MaxNotifications = 256;

    // A notification the owner cannot do without (MOM_OPEN, MOM_CLOSE, MOM_DONE) has its slot
    // in the ring promised by the call that makes it due: Open promises its MOM_OPEN and the
    // MOM_CLOSE to come, Out the buffer's MOM_DONE. A call whose promise cannot be kept is
    // refused, so these notifications always find room, also while nobody takes them.
    uint32_t OpenQueue(MidiStreamCallback newCallback, uintptr_t newInstance);
    uint32_t HaltQueue();
    uint32_t CloseQueue();
    bool PromiseLocked(int slots);
    void PostPromised(uint32_t message, MidiHeader* header);
    // A position report has no promise: it is dropped when the ring is nearly full.
    void PostReport(MidiHeader* header, uint32_t offset);
    void Enqueue(uint32_t message, MidiHeader* header, uint32_t offset);
    void ReturnAllBuffers();
    void ReturnHead();
    void StartNotificationThreadLocked();
    void RunNotificationThread();
    Notification TakeNotificationLocked();
    void DeliverIfOwnerDelivers();
    bool OnNotificationThread() const;
    bool CanAwaitDelivery() const;

    double clockRate;
    const NotificationDelivery delivery;
    bool open = false;
    bool running = false;
    bool silencePending = false;
    MidiStreamCallback callback = nullptr;
    uintptr_t instance = 0;
    uint32_t division = 96;
    uint32_t tempo = 500000; // microseconds per quarter note until a tempo event

    // The queued buffers: a fixed ring, so that the audio thread never allocates.
    MidiHeader* queue[MaxQueued] = {};
    int queueHead = 0;
    int queueCount = 0;
    uint32_t cursor = 0;      // byte offset of the next event in the head buffer
    bool deltaLoaded = false; // `wait` holds the next event's delta
    double wait = 0;          // clock units until the next event is due

    Notification notifications[MaxNotifications] = {};
    int notificationHead = 0;
    int notificationCount = 0;
    int promised = 0; // slots held for promised notifications; count + promised <= the ring
    bool delivering = false;
    bool quitting = false;
    std::condition_variable notificationsChanged;
    std::thread notificationThread;
};
