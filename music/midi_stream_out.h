// The MIDI stream output the player plays through, shaped like the WinMM midiStream calls:
// queued buffers of 12-byte timed events, tempo events, and notifications on a thread of the
// output's own. Implemented by the FluidSynth output (platform/) and the virtual stream (tests).
#pragma once

#include <cstdint>

// Result codes of every stream call (WinMM's values).
inline constexpr uint32_t MMSYSERR_NOERROR = 0;
inline constexpr uint32_t MMSYSERR_ERROR = 1;
inline constexpr uint32_t MMSYSERR_BADDEVICEID = 2;
inline constexpr uint32_t MMSYSERR_INVALHANDLE = 5;
inline constexpr uint32_t MMSYSERR_NODRIVER = 6;
inline constexpr uint32_t MMSYSERR_NOMEM = 7;
inline constexpr uint32_t MIDIERR_UNPREPARED = 64;
inline constexpr uint32_t MIDIERR_STILLPLAYING = 65;

// Notification messages.
inline constexpr uint32_t MOM_OPEN = 0x3C7;
inline constexpr uint32_t MOM_CLOSE = 0x3C8;
inline constexpr uint32_t MOM_DONE = 0x3C9;
inline constexpr uint32_t MOM_POSITIONCB = 0x3CA;

// Event word parts (bits 24-31 of dwEvent) and the size of one event without parameters.
inline constexpr uint32_t MEVT_SHORTMSG = 0x00;
inline constexpr uint32_t MEVT_TEMPO = 0x01;
inline constexpr uint32_t MEVT_F_CALLBACK = 0x40000000;
inline constexpr uint32_t StreamEventBytes = 12;

// MIDIHDR: one buffer handed to the stream. dwFlags bits are the output's own business.
struct MidiHeader {
    uint8_t* lpData;          // the events
    uint32_t dwBufferLength;  // bytes at lpData
    uint32_t dwBytesRecorded; // bytes of events to play
    uintptr_t dwUser;         // free for the owner
    uint32_t dwFlags;         // MHDR_* bits kept by the output
    uint32_t dwOffset;        // offset of the event being reported by MOM_POSITIONCB
};

// MIDIEVENT without parameter words, as it lies (little-endian) in a buffer.
struct MidiEvent {
    uint32_t dwDeltaTime; // ticks after the event before it
    uint32_t dwStreamID;  // always 0
    uint32_t dwEvent;     // short message or tempo, with flags in bits 24-31
};

class MidiStreamOut;

// Notification callback (CALLBACK_FUNCTION): `instance` is the value given to Open, param1 the
// MidiHeader* for MOM_DONE and MOM_POSITIONCB. Called on the output's notification thread.
using MidiStreamCallback = void (*)(MidiStreamOut* stream, uint32_t message, uintptr_t instance,
                                    uintptr_t param1, uintptr_t param2);

// One stream output device. Every call returns MMSYSERR_NOERROR or an error code.
class MidiStreamOut {
  public:
    virtual ~MidiStreamOut() = default;

    // midiStreamOpen: opens the stream paused; notifications go to `callback` with `instance`.
    // Called by MidiPlayer::OpenStream.
    virtual uint32_t Open(MidiStreamCallback callback, uintptr_t instance) = 0;

    // midiStreamProperty(MIDIPROP_SET | MIDIPROP_TIMEDIV): delta times count in 1/`division`
    // of a quarter note from now on.
    virtual uint32_t SetTimeDivision(uint32_t division) = 0;

    // midiOutPrepareHeader / midiOutUnprepareHeader: a header must be prepared before Out;
    // after unpreparing, the owner may free its data.
    virtual uint32_t PrepareHeader(MidiHeader* header) = 0;
    virtual uint32_t UnprepareHeader(MidiHeader* header) = 0;

    // midiStreamOut: queues the header's dwBytesRecorded bytes of events to play after every
    // buffer queued before; the header comes back with MOM_DONE once played.
    virtual uint32_t Out(MidiHeader* header) = 0;

    // midiStreamRestart: playback starts (or goes on after a stop).
    virtual uint32_t Restart() = 0;

    // midiStreamStop / midiOutReset: playback stops and every queued buffer comes back with
    // MOM_DONE; sounding notes are silenced.
    virtual uint32_t Stop() = 0;
    virtual uint32_t Reset() = 0;

    // midiStreamClose: the stream is closed; its buffers must have come back.
    virtual uint32_t Close() = 0;
};
