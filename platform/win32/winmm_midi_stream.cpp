// MidiStreamOut on WinMM: the player's headers mapped to the system's, the driver's
// notifications recorded by its callback and delivered on the output's own thread. No system
// header here; the calls are in winmm_stream_calls.cpp.
#include "platform/win32/winmm_midi_stream.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr uint32_t MMSYSERR_ALLOCATED = 4;
constexpr uint32_t MMSYSERR_INVALPARAM = 11;

// A buffer has at most one MOM_DONE outstanding, so position reports give way while no more
// than ReservedNotices places are free, and a MOM_DONE, MOM_OPEN or MOM_CLOSE always has room.
constexpr int RingNotices = 256;
constexpr int ReservedNotices = 16;

// What the driver reported, as its callback records it.
struct Notice {
    uint32_t message;
    int32_t slot;    // the header's slot; -1 for MOM_OPEN and MOM_CLOSE
    uint32_t offset; // MOM_POSITIONCB: the reported event's byte offset in the block
};

// One header prepared with the driver: the caller's, the native one the driver holds, and the
// copy of the caller's events the driver reads.
struct Slot {
    MidiHeader* header = nullptr; // the caller's; null while free or forgotten by a Close
    bool prepared = false;        // prepared with the driver
    bool queued = false;          // handed to the driver, its MOM_DONE not yet recorded
    uint32_t capacity = 0;        // bytes at `events`
    std::unique_ptr<uint8_t[]> events;
    NativeMidiHeader native{};
};

} // namespace

// `lock` guards every field below it. The driver's callback takes it, so it is held for a few
// instructions at a time and never across a stream call or a callback. That much WinMM allows a
// callback (a critical section and SetEvent, nothing else that can wait): the callback waits at
// most for those few instructions of another thread, and the wake-up is an event being set.
//
// - The driver's callback only appends to `ring` (fixed: it never allocates), clears `queued`
//   on a MOM_DONE and wakes `wake`. The delivery thread takes the notices in order and calls
//   the caller's callback with the lock released.
// - Notices reach the caller only while `open` (a successful Open, no Close yet); one about a
//   slot whose `header` is null is dropped. Open and Close empty the ring: what is in it then
//   belongs to a stream that is gone.
// - `handle` non-zero with `open` clear: a handle whose Close failed. Its slots stay `prepared`
//   and keep `native` and `events` until a later Open or the destructor closes it.
// - A slot's `native`, `events` and `capacity` are written only by the call working on its
//   header and never while it is `queued`: until its MOM_DONE the driver reads them.
struct WinmmStreamShared {
    NativeMidiTarget target{};
    std::mutex lock;
    std::condition_variable wake;
    Notice ring[RingNotices] = {};
    int ringHead = 0;
    int ringCount = 0;
    bool quitting = false; // the delivery thread ends once the ring is empty
    bool open = false;
    uintptr_t handle = 0;
    MidiStreamCallback callback = nullptr;
    uintptr_t instance = 0;
    Slot slots[WinmmMidiStream::MaxHeaders];
};

namespace {

int32_t SlotIndex(const WinmmStreamShared& shared, const NativeMidiHeader* native) {
    for (size_t index = 0; index < WinmmMidiStream::MaxHeaders; ++index) {
        if (&shared.slots[index].native == native) {
            return static_cast<int32_t>(index);
        }
    }
    return -1;
}

// Under the lock.
bool RecordNotice(WinmmStreamShared& shared, const Notice& notice) {
    const int room = RingNotices - shared.ringCount;
    if (room == 0 || (notice.message == MOM_POSITIONCB && room <= ReservedNotices)) {
        return false;
    }
    shared.ring[(shared.ringHead + shared.ringCount) % RingNotices] = notice;
    ++shared.ringCount;
    return true;
}

// Under the lock.
bool TakeNotice(WinmmStreamShared& shared, Notice& notice) {
    if (shared.ringCount == 0) {
        return false;
    }
    notice = shared.ring[shared.ringHead];
    shared.ringHead = (shared.ringHead + 1) % RingNotices;
    --shared.ringCount;
    return true;
}

// The function WinMM calls, on the driver's thread: it records and wakes, nothing more. No
// allocation, no stream call, and no lock but the short one.
void OnDriverNotice(uintptr_t instance, uint32_t message, NativeMidiHeader* native,
                    uint32_t offset) {
    auto* shared = reinterpret_cast<WinmmStreamShared*>(instance);
    const int32_t slot = SlotIndex(*shared, native);
    const bool aboutHeader = message == MOM_DONE || message == MOM_POSITIONCB;
    const bool aboutStream = message == MOM_OPEN || message == MOM_CLOSE;
    if ((aboutHeader && slot < 0) || (!aboutHeader && !aboutStream)) {
        return; // not one of our headers, or a message the player has no use for
    }
    // Woken with the lock held: a Close that takes the lock after the driver's close then
    // knows that no callback still works on the shared state.
    const std::lock_guard<std::mutex> guard(shared->lock);
    if (message == MOM_DONE) {
        shared->slots[slot].queued = false;
    }
    if (RecordNotice(*shared, {message, slot, offset})) {
        shared->wake.notify_one();
    }
}

uintptr_t OpenHandle(WinmmStreamShared& shared) {
    const std::lock_guard<std::mutex> guard(shared.lock);
    return shared.open ? shared.handle : 0;
}

// Under the lock.
Slot* SlotOf(WinmmStreamShared& shared, const MidiHeader* header) {
    for (Slot& slot : shared.slots) {
        if (header != nullptr && slot.header == header) {
            return &slot;
        }
    }
    return nullptr;
}

// Under the lock: the header's own slot (prepared again), or a free one now marked as its;
// null when none is free.
Slot* ClaimSlot(WinmmStreamShared& shared, MidiHeader* header) {
    Slot* slot = SlotOf(shared, header);
    for (Slot& candidate : shared.slots) {
        if (slot == nullptr && candidate.header == nullptr && !candidate.prepared &&
            !candidate.queued) {
            slot = &candidate;
        }
    }
    if (slot != nullptr) {
        slot->header = header;
    }
    return slot;
}

bool ReserveEvents(Slot& slot, uint32_t bytes) {
    if (slot.capacity >= bytes) {
        return true;
    }
    slot.events.reset(new (std::nothrow) uint8_t[bytes]);
    slot.capacity = slot.events != nullptr ? bytes : 0;
    return slot.events != nullptr;
}

// A handle a failed Close left: asks the driver once more for its buffers, then closes it.
// False while the driver still holds some.
bool CloseLeftHandle(WinmmStreamShared& shared) {
    uintptr_t handle = 0;
    {
        const std::lock_guard<std::mutex> guard(shared.lock);
        handle = shared.open ? 0 : shared.handle;
    }
    if (handle == 0) {
        return true;
    }
    NativeStreamReset(handle);
    for (Slot& slot : shared.slots) {
        if (slot.prepared && NativeHeaderUnprepare(handle, &slot.native) == MMSYSERR_NOERROR) {
            const std::lock_guard<std::mutex> guard(shared.lock);
            slot.prepared = false;
        }
    }
    if (NativeStreamClose(handle) != MMSYSERR_NOERROR) {
        return false;
    }
    const std::lock_guard<std::mutex> guard(shared.lock);
    shared.handle = 0;
    for (Slot& slot : shared.slots) {
        slot.prepared = false;
        slot.queued = false;
    }
    return true;
}

} // namespace

WinmmMidiStream::WinmmMidiStream() : shared(std::make_unique<WinmmStreamShared>()) {
    shared->target = {OnDriverNotice, reinterpret_cast<uintptr_t>(shared.get())};
}

WinmmMidiStream::~WinmmMidiStream() {
    if (OpenHandle(*shared) != 0) {
        Stop();
        Reset();
        for (Slot& slot : shared->slots) {
            MidiHeader* header = nullptr;
            {
                const std::lock_guard<std::mutex> guard(shared->lock);
                header = slot.header;
            }
            if (header != nullptr) {
                UnprepareHeader(header);
            }
        }
        Close();
    }
    EndDelivery();
    if (!CloseLeftHandle(*shared)) {
        // The driver may still read the headers and events it holds, and call back.
        static_cast<void>(shared.release());
    }
}

void WinmmMidiStream::StartDelivery() {
    if (!deliveryThread.joinable()) {
        deliveryThread = std::thread(&WinmmMidiStream::DeliverNotices, this);
    }
}

// Lets the delivery thread hand over what is recorded and waits for it to end. From the
// delivery thread itself (a stop at the end of the song runs there) it keeps running.
void WinmmMidiStream::EndDelivery() {
    if (!deliveryThread.joinable() || deliveryThread.get_id() == std::this_thread::get_id()) {
        return;
    }
    {
        const std::lock_guard<std::mutex> guard(shared->lock);
        shared->quitting = true;
    }
    shared->wake.notify_all();
    deliveryThread.join();
    const std::lock_guard<std::mutex> guard(shared->lock);
    shared->quitting = false;
}

void WinmmMidiStream::DeliverNotices() {
    WinmmStreamShared& state = *shared;
    std::unique_lock<std::mutex> guard(state.lock);
    for (;;) {
        state.wake.wait(guard, [&state] { return state.quitting || state.ringCount > 0; });
        Notice notice{};
        if (!TakeNotice(state, notice)) {
            return; // quitting, and everything recorded is delivered
        }
        MidiHeader* header = notice.slot >= 0 ? state.slots[notice.slot].header : nullptr;
        if (!state.open || state.callback == nullptr || (notice.slot >= 0 && header == nullptr)) {
            continue;
        }
        if (notice.message == MOM_POSITIONCB) {
            header->dwOffset = notice.offset;
        }
        const MidiStreamCallback callback = state.callback;
        const uintptr_t instance = state.instance;
        // The player refills, queues, and at the end of a song stops, closes and reopens here.
        guard.unlock();
        callback(this, notice.message, instance, reinterpret_cast<uintptr_t>(header), 0);
        guard.lock();
    }
}

uint32_t WinmmMidiStream::Open(MidiStreamCallback notify, uintptr_t instance) {
    {
        // The runtime sets a mutex up (allocating) at its first lock: this one, before the
        // driver can call back.
        const std::lock_guard<std::mutex> guard(shared->lock);
        if (shared->open) {
            return MMSYSERR_ALLOCATED;
        }
    }
    if (!CloseLeftHandle(*shared)) {
        return MMSYSERR_ALLOCATED;
    }
    StartDelivery();
    {
        const std::lock_guard<std::mutex> guard(shared->lock);
        shared->ringCount = 0;
        shared->open = true; // before the driver opens, so that its MOM_OPEN is delivered
        shared->callback = notify;
        shared->instance = instance;
    }
    uintptr_t handle = 0;
    const uint32_t result = NativeStreamOpen(&handle, &shared->target);
    {
        const std::lock_guard<std::mutex> guard(shared->lock);
        shared->open = result == MMSYSERR_NOERROR;
        shared->handle = shared->open ? handle : 0;
    }
    if (result != MMSYSERR_NOERROR) {
        EndDelivery();
    }
    return result;
}

uint32_t WinmmMidiStream::SetTimeDivision(uint32_t division) {
    const uintptr_t handle = OpenHandle(*shared);
    return handle != 0 ? NativeStreamTimeDivision(handle, division) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::PrepareHeader(MidiHeader* header) {
    const uintptr_t handle = OpenHandle(*shared);
    if (handle == 0) {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || header->lpData == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    Slot* slot = nullptr;
    {
        const std::lock_guard<std::mutex> guard(shared->lock);
        if (Slot* own = SlotOf(*shared, header); own != nullptr && own->queued) {
            return MIDIERR_STILLPLAYING; // the driver reads its native header
        }
        slot = ClaimSlot(*shared, header);
    }
    if (slot == nullptr) {
        return MMSYSERR_NOMEM;
    }
    uint32_t result = MMSYSERR_NOMEM;
    if (ReserveEvents(*slot, header->dwBufferLength)) {
        result =
            NativeHeaderPrepare(handle, &slot->native, slot->events.get(), header->dwBufferLength);
    }
    const std::lock_guard<std::mutex> guard(shared->lock);
    slot->prepared = result == MMSYSERR_NOERROR;
    slot->header = slot->prepared ? header : nullptr;
    return result;
}

uint32_t WinmmMidiStream::UnprepareHeader(MidiHeader* header) {
    const uintptr_t handle = OpenHandle(*shared);
    Slot* slot = nullptr;
    {
        const std::lock_guard<std::mutex> guard(shared->lock);
        slot = SlotOf(*shared, header);
    }
    if (handle == 0 || slot == nullptr) {
        return handle == 0 ? MMSYSERR_INVALHANDLE : MIDIERR_UNPREPARED;
    }
    const uint32_t result = NativeHeaderUnprepare(handle, &slot->native);
    if (result == MMSYSERR_NOERROR) {
        // The block stays with the slot for the next header prepared there.
        const std::lock_guard<std::mutex> guard(shared->lock);
        slot->header = nullptr;
        slot->prepared = false;
    }
    return result;
}

uint32_t WinmmMidiStream::Out(MidiHeader* header) {
    const uintptr_t handle = OpenHandle(*shared);
    if (handle == 0) {
        return MMSYSERR_INVALHANDLE;
    }
    Slot* slot = nullptr;
    {
        const std::lock_guard<std::mutex> guard(shared->lock);
        slot = SlotOf(*shared, header);
        if (slot == nullptr) {
            return MIDIERR_UNPREPARED;
        }
        if (header->dwBytesRecorded > header->dwBufferLength ||
            header->dwBytesRecorded > slot->capacity) {
            return MMSYSERR_INVALPARAM;
        }
        if (slot->queued) {
            return MIDIERR_STILLPLAYING; // the driver still reads its copy
        }
        slot->queued = true;
    }
    std::memcpy(slot->events.get(), header->lpData, header->dwBytesRecorded);
    const uint32_t result = NativeStreamOut(handle, &slot->native, header->dwBytesRecorded);
    if (result != MMSYSERR_NOERROR) {
        const std::lock_guard<std::mutex> guard(shared->lock);
        slot->queued = false;
    }
    return result;
}

uint32_t WinmmMidiStream::Restart() {
    const uintptr_t handle = OpenHandle(*shared);
    return handle != 0 ? NativeStreamRestart(handle) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::Stop() {
    const uintptr_t handle = OpenHandle(*shared);
    return handle != 0 ? NativeStreamStop(handle) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::Reset() {
    const uintptr_t handle = OpenHandle(*shared);
    return handle != 0 ? NativeStreamReset(handle) : MMSYSERR_INVALHANDLE;
}

uint32_t WinmmMidiStream::Close() {
    const uintptr_t handle = OpenHandle(*shared);
    if (handle == 0) {
        return MMSYSERR_INVALHANDLE;
    }
    const uint32_t result = NativeStreamClose(handle);
    EndDelivery();
    const std::lock_guard<std::mutex> guard(shared->lock);
    shared->open = false;
    shared->callback = nullptr;
    shared->ringCount = 0;
    for (Slot& slot : shared->slots) {
        slot.header = nullptr; // the caller may free its headers now
        if (result == MMSYSERR_NOERROR) {
            slot.prepared = false;
            slot.queued = false;
        }
    }
    if (result == MMSYSERR_NOERROR) {
        shared->handle = 0;
    }
    return result;
}
