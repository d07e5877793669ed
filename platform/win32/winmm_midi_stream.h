// The Windows game's MIDI stream output: MidiStreamOut on the WinMM stream calls of the MIDI
// mapper. The driver's callback only records what came back and wakes the output's own
// delivery thread, which hands the notifications to the player with the player's headers.
#pragma once

#include "music/midi_stream_out.h"
#include "platform/win32/winmm_stream_calls.h"

#include <cstddef>
#include <memory>
#include <thread>

// What the driver's callback may touch: the native headers, the copies of the events and the
// record of what came back (winmm_midi_stream.cpp).
struct WinmmStreamShared;

class WinmmMidiStream : public MidiStreamOut {
  public:
    WinmmMidiStream();
    WinmmMidiStream(const WinmmMidiStream&) = delete;
    WinmmMidiStream& operator=(const WinmmMidiStream&) = delete;
    // Closes a stream still open (stopped and reset first, so its buffers are back) and ends
    // the delivery thread.
    ~WinmmMidiStream() override;

    // Starts the delivery thread if it is not running. A handle an earlier Close could not
    // close is closed first; while the driver still holds its buffers, Open fails with
    // MMSYSERR_ALLOCATED and the next Open tries again.
    uint32_t Open(MidiStreamCallback callback, uintptr_t instance) override;
    uint32_t SetTimeDivision(uint32_t division) override;
    // The header's events are copied, at each Out, into a block of the output's own: the
    // driver reads that block, which stays allocated for as long as the driver may hold it.
    uint32_t PrepareHeader(MidiHeader* header) override;
    uint32_t UnprepareHeader(MidiHeader* header) override;
    uint32_t Out(MidiHeader* header) override;
    uint32_t Restart() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    // Delivers what the driver reported before the close (from another thread than the
    // delivery thread), then ends the delivery thread; from then on nothing reaches the
    // callback. Fails as midiStreamClose does while the driver still holds buffers (a stop
    // that gave up waiting): the stream counts as closed all the same, and the handle, its
    // native headers and their blocks are kept until a later Open or the destructor closes it.
    uint32_t Close() override;

    // Headers that can be prepared at once; the player uses two.
    static constexpr size_t MaxHeaders = 4;

  private:
    void DeliverNotices();
    void StartDelivery();
    void EndDelivery();

    // Left allocated on purpose by the destructor when the driver will not give its buffers
    // back: it may still read them and call back.
    std::unique_ptr<WinmmStreamShared> shared;
    // Touched only by Open, Close and the destructor, which the caller makes one at a time.
    std::thread deliveryThread;
};
