// MidiStreamOut on WinMM: the player's headers mapped to the system's, notifications mapped
// back. No system header here; the calls are in winmm_stream_calls.cpp.
#include "platform/win32/winmm_midi_stream.h"

namespace {

constexpr uint32_t MMSYSERR_ALLOCATED = 4;
constexpr uint32_t MMSYSERR_INVALPARAM = 11;

} // namespace

WinmmMidiStream::~WinmmMidiStream() {
    if (stream != 0) {
        Stop();
        Reset();
        for (Slot& slot : slots) {
            if (slot.header != nullptr) {
                UnprepareHeader(slot.header);
            }
        }
        Close();
    }
}

WinmmMidiStream::Slot* WinmmMidiStream::SlotOf(const MidiHeader* header) {
    for (Slot& slot : slots) {
        if (header != nullptr && slot.header == header) {
            return &slot;
        }
    }
    return nullptr;
}

void WinmmMidiStream::OnNotification(uintptr_t instance, uint32_t message, NativeMidiHeader* native,
                                     uint32_t offset) {
    auto* self = reinterpret_cast<WinmmMidiStream*>(instance);
    MidiHeader* header = nullptr;
    if (native != nullptr) {
        // The native header lies in one of this stream's slots; its slot names the player's.
        for (Slot& slot : self->slots) {
            if (&slot.native == native) {
                header = slot.header;
            }
        }
        if (header == nullptr) {
            return;
        }
        if (message == MOM_POSITIONCB) {
            header->dwOffset = offset;
        }
    }
    if (self->callback != nullptr) {
        self->callback(self, message, self->callbackInstance, reinterpret_cast<uintptr_t>(header),
                       0);
    }
}

uint32_t WinmmMidiStream::Open(MidiStreamCallback notify, uintptr_t instance) {
    if (stream != 0) {
        return MMSYSERR_ALLOCATED;
    }
    callback = notify;
    callbackInstance = instance;
    target = {OnNotification, reinterpret_cast<uintptr_t>(this)};
    const uint32_t result = NativeStreamOpen(&stream, &target);
    if (result != MMSYSERR_NOERROR) {
        stream = 0;
    }
    return result;
}

uint32_t WinmmMidiStream::SetTimeDivision(uint32_t division) {
    return stream != 0 ? NativeStreamTimeDivision(stream, division) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::PrepareHeader(MidiHeader* header) {
    if (stream == 0) {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || header->lpData == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    // A header prepared again keeps its slot; a new one takes the first free slot.
    Slot* slot = SlotOf(header);
    for (Slot& candidate : slots) {
        if (slot == nullptr && candidate.header == nullptr) {
            slot = &candidate;
        }
    }
    if (slot == nullptr) {
        return MMSYSERR_NOMEM;
    }
    const uint32_t result =
        NativeHeaderPrepare(stream, &slot->native, header->lpData, header->dwBufferLength);
    slot->header = result == MMSYSERR_NOERROR ? header : nullptr;
    return result;
}

uint32_t WinmmMidiStream::UnprepareHeader(MidiHeader* header) {
    Slot* slot = SlotOf(header);
    if (stream == 0 || slot == nullptr) {
        return stream == 0 ? MMSYSERR_INVALHANDLE : MIDIERR_UNPREPARED;
    }
    const uint32_t result = NativeHeaderUnprepare(stream, &slot->native);
    if (result == MMSYSERR_NOERROR) {
        slot->header = nullptr;
    }
    return result;
}

uint32_t WinmmMidiStream::Out(MidiHeader* header) {
    Slot* slot = SlotOf(header);
    if (stream == 0 || slot == nullptr) {
        return stream == 0 ? MMSYSERR_INVALHANDLE : MIDIERR_UNPREPARED;
    }
    if (header->dwBytesRecorded > header->dwBufferLength) {
        return MMSYSERR_INVALPARAM;
    }
    return NativeStreamOut(stream, &slot->native, header->dwBytesRecorded);
}

uint32_t WinmmMidiStream::Restart() {
    return stream != 0 ? NativeStreamRestart(stream) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::Stop() {
    return stream != 0 ? NativeStreamStop(stream) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::Reset() {
    return stream != 0 ? NativeStreamReset(stream) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::Close() {
    if (stream == 0) {
        return MMSYSERR_INVALHANDLE;
    }
    const uint32_t result = NativeStreamClose(stream);
    if (result == MMSYSERR_NOERROR) {
        stream = 0;
        for (Slot& slot : slots) {
            slot.header = nullptr;
        }
    }
    return result;
}
