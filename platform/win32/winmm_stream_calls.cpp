// The real WinMM stream calls for the MIDI output.
#include "platform/win32/winmm_stream_calls.h"

#include "platform/win32/windows_api.h"

#include <new>

static_assert(sizeof(MIDIHDR) <= sizeof(NativeMidiHeader), "a MIDIHDR fits its room");
static_assert(alignof(MIDIHDR) <= alignof(NativeMidiHeader), "and is aligned in it");

namespace {

HMIDISTRM Handle(uintptr_t stream) {
    return reinterpret_cast<HMIDISTRM>(stream);
}

MIDIHDR* Header(NativeMidiHeader* header) {
    return reinterpret_cast<MIDIHDR*>(header->bytes);
}

void CALLBACK StreamProc(HMIDIOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    const auto* target = reinterpret_cast<const NativeMidiTarget*>(instance);
    if (message == MOM_DONE || message == MOM_POSITIONCB) {
        auto* header = reinterpret_cast<MIDIHDR*>(param1);
        target->callback(target->instance, message, reinterpret_cast<NativeMidiHeader*>(header),
                         header->dwOffset);
    } else {
        target->callback(target->instance, message, nullptr, 0);
    }
}

} // namespace

uint32_t NativeStreamOpen(uintptr_t* stream, const NativeMidiTarget* target) {
    UINT device = MIDI_MAPPER;
    HMIDISTRM handle = nullptr;
    const MMRESULT result =
        midiStreamOpen(&handle, &device, 1, reinterpret_cast<DWORD_PTR>(StreamProc),
                       reinterpret_cast<DWORD_PTR>(target), CALLBACK_FUNCTION);
    *stream = result == MMSYSERR_NOERROR ? reinterpret_cast<uintptr_t>(handle) : 0;
    return result;
}

uint32_t NativeStreamTimeDivision(uintptr_t stream, uint32_t division) {
    MIDIPROPTIMEDIV property;
    property.cbStruct = sizeof property;
    property.dwTimeDiv = division;
    return midiStreamProperty(Handle(stream), reinterpret_cast<LPBYTE>(&property),
                              MIDIPROP_SET | MIDIPROP_TIMEDIV);
}

uint32_t NativeHeaderPrepare(uintptr_t stream, NativeMidiHeader* header, uint8_t* data,
                             uint32_t bufferLength) {
    // A header prepared again after a reopen starts from zero, as the system expects.
    MIDIHDR* midi = new (header->bytes) MIDIHDR{};
    midi->lpData = reinterpret_cast<LPSTR>(data);
    midi->dwBufferLength = bufferLength;
    midi->dwBytesRecorded = bufferLength;
    return midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(Handle(stream)), midi, sizeof *midi);
}

uint32_t NativeHeaderUnprepare(uintptr_t stream, NativeMidiHeader* header) {
    return midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(Handle(stream)), Header(header),
                                  sizeof(MIDIHDR));
}

uint32_t NativeStreamOut(uintptr_t stream, NativeMidiHeader* header, uint32_t bytesRecorded) {
    Header(header)->dwBytesRecorded = bytesRecorded;
    return midiStreamOut(Handle(stream), Header(header), sizeof(MIDIHDR));
}

uint32_t NativeStreamRestart(uintptr_t stream) {
    return midiStreamRestart(Handle(stream));
}

uint32_t NativeStreamStop(uintptr_t stream) {
    return midiStreamStop(Handle(stream));
}

uint32_t NativeStreamReset(uintptr_t stream) {
    return midiOutReset(reinterpret_cast<HMIDIOUT>(Handle(stream)));
}

uint32_t NativeStreamClose(uintptr_t stream) {
    return midiStreamClose(Handle(stream));
}
