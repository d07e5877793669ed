// The Windows game's MIDI stream output: MidiStreamOut on the WinMM stream calls of the MIDI
// mapper. The player's headers are copied into headers of the system's own layout (the
// events themselves are already WinMM's 12-byte MIDIEVENTs and are handed over in place), and
// the driver's notifications come back with the player's headers.
#pragma once

#include "music/midi_stream_out.h"
#include "platform/win32/winmm_stream_calls.h"

#include <cstddef>

class WinmmMidiStream : public MidiStreamOut {
  public:
    WinmmMidiStream() = default;
    WinmmMidiStream(const WinmmMidiStream&) = delete;
    WinmmMidiStream& operator=(const WinmmMidiStream&) = delete;
    // Closes a stream still open (stopped and reset first, so its buffers are back).
    ~WinmmMidiStream() override;

    uint32_t Open(MidiStreamCallback callback, uintptr_t instance) override;
    uint32_t SetTimeDivision(uint32_t division) override;
    uint32_t PrepareHeader(MidiHeader* header) override;
    uint32_t UnprepareHeader(MidiHeader* header) override;
    uint32_t Out(MidiHeader* header) override;
    uint32_t Restart() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    uint32_t Close() override;

    // Headers that can be prepared at once; the player uses two.
    static constexpr size_t MaxHeaders = 4;

  private:
    struct Slot {
        MidiHeader* header = nullptr; // the player's header; null for a free slot
        NativeMidiHeader native{};
    };

    static void OnNotification(uintptr_t instance, uint32_t message, NativeMidiHeader* native,
                               uint32_t offset);
    Slot* SlotOf(const MidiHeader* header);

    uintptr_t stream = 0;
    MidiStreamCallback callback = nullptr;
    uintptr_t callbackInstance = 0;
    NativeMidiTarget target{};
    Slot slots[MaxHeaders];
};
