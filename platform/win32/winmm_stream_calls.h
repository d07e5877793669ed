// The WinMM stream calls under the MIDI output, behind plain types: the output's own code
// (winmm_midi_stream.cpp) needs no system header, and a test can link its own calls.
// winmm_stream_calls.cpp makes the real ones: midiStreamOpen on the MIDI mapper and its family.
#pragma once

#include <cstdint>

// Room for one MIDIHDR (120 bytes on x64). The driver keeps its address while the buffer is
// queued, so it must not move.
struct alignas(8) NativeMidiHeader {
    unsigned char bytes[128];
};

// Where the driver's notifications go: `callback(instance, message, header, offset)` for
// MOM_OPEN, MOM_CLOSE (header null), MOM_DONE and MOM_POSITIONCB (offset: the header's
// dwOffset). Called on the driver's thread.
struct NativeMidiTarget {
    void (*callback)(uintptr_t instance, uint32_t message, NativeMidiHeader* header,
                     uint32_t offset);
    uintptr_t instance;
};

// Each returns 0 (MMSYSERR_NOERROR) or the WinMM error code.
// midiStreamOpen on MIDI_MAPPER with a function callback; `target` must outlive the stream.
uint32_t NativeStreamOpen(uintptr_t* stream, const NativeMidiTarget* target);
// midiStreamProperty(MIDIPROP_SET | MIDIPROP_TIMEDIV).
uint32_t NativeStreamTimeDivision(uintptr_t stream, uint32_t division);
// midiOutPrepareHeader on a header made afresh over `data` (`bufferLength` bytes).
uint32_t NativeHeaderPrepare(uintptr_t stream, NativeMidiHeader* header, uint8_t* data,
                             uint32_t bufferLength);
uint32_t NativeHeaderUnprepare(uintptr_t stream, NativeMidiHeader* header);
// midiStreamOut of the header's first `bytesRecorded` bytes.
uint32_t NativeStreamOut(uintptr_t stream, NativeMidiHeader* header, uint32_t bytesRecorded);
uint32_t NativeStreamRestart(uintptr_t stream);
uint32_t NativeStreamStop(uintptr_t stream);
uint32_t NativeStreamReset(uintptr_t stream);
uint32_t NativeStreamClose(uintptr_t stream);
