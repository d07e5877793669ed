// The stream output's bookkeeping: buffer queue, tempo clock and notification delivery.
#include "music/queued_midi_stream.h"

#include <algorithm>
#include <cassert>

namespace {

constexpr uint32_t MEVT_F_LONG = 0x80000000;
constexpr int ReportMargin = 32;       // ring slots position reports leave for new promises
constexpr double MaxLateSeconds = 0.1; // how much starved time the next buffer makes up
constexpr double DueTolerance = 1e-6;  // clock units; keeps rounding from delaying an event

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The event type: the whole top byte but the callback flag. MEVT_F_LONG belongs to the type
// (long, comment and version events carry it), so a long event is never taken for a short one.
uint32_t EventType(uint32_t word) {
    return (word & ~MEVT_F_CALLBACK) >> 24;
}

} // namespace

QueuedMidiStream::QueuedMidiStream(double clockRate, NotificationDelivery delivery)
    : clockRate(clockRate), delivery(delivery) {}

QueuedMidiStream::~QueuedMidiStream() {
    StopNotificationThread();
}

void QueuedMidiStream::StopNotificationThread() {
    {
        std::lock_guard<std::mutex> guard(lock);
        quitting = true;
    }
    notificationsChanged.notify_all();
    if (notificationThread.joinable()) {
        notificationThread.join();
    }
}

void QueuedMidiStream::SetClockRate(double unitsPerSecond) {
    std::lock_guard<std::mutex> guard(lock);
    clockRate = unitsPerSecond;
}

void QueuedMidiStream::StartNotificationThreadLocked() {
    if (delivery == NotificationDelivery::OwnThread && !notificationThread.joinable() &&
        !quitting) {
        notificationThread = std::thread(&QueuedMidiStream::RunNotificationThread, this);
    }
}

bool QueuedMidiStream::OnNotificationThread() const {
    return std::this_thread::get_id() == notificationThread.get_id();
}

bool QueuedMidiStream::CanAwaitDelivery() const {
    // Not from inside a callback (it would wait for itself), and not once the thread is
    // gone: nobody would deliver.
    return !quitting && notificationThread.joinable() && !OnNotificationThread();
}

bool QueuedMidiStream::PromiseLocked(int slots) {
    if (notificationCount + promised + slots > MaxNotifications) {
        return false;
    }
    promised += slots;
    return true;
}

void QueuedMidiStream::PostPromised(uint32_t message, MidiHeader* header) {
    assert(promised > 0 && "PostPromised: the call that made this notification due promises it");
    --promised;
    Enqueue(message, header, 0);
}

void QueuedMidiStream::PostReport(MidiHeader* header, uint32_t offset) {
    // Leaves room for new promises, so that reports alone never make Open or Out fail.
    if (notificationCount + promised >= MaxNotifications - ReportMargin) {
        return;
    }
    Enqueue(MOM_POSITIONCB, header, offset);
}

void QueuedMidiStream::Enqueue(uint32_t message, MidiHeader* header, uint32_t offset) {
    int at = (notificationHead + notificationCount) % MaxNotifications;
    notifications[at] = {message, header, offset, callback, instance};
    ++notificationCount;
    notificationsChanged.notify_all();
}

QueuedMidiStream::Notification QueuedMidiStream::TakeNotificationLocked() {
    Notification note = notifications[notificationHead];
    notificationHead = (notificationHead + 1) % MaxNotifications;
    --notificationCount;
    if (note.message == MOM_POSITIONCB) {
        note.header->dwOffset = note.offset;
    }
    return note;
}

void QueuedMidiStream::RunNotificationThread() {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        notificationsChanged.wait(guard, [this] { return quitting || notificationCount > 0; });
        if (notificationCount == 0) {
            return; // quitting, and everything delivered
        }
        Notification note = TakeNotificationLocked();
        delivering = true;
        // The callback runs unlocked: it queues buffers and may stop, close and reopen.
        guard.unlock();
        if (note.callback != nullptr) {
            note.callback(this, note.message, note.instance,
                          reinterpret_cast<uintptr_t>(note.header), 0);
        }
        guard.lock();
        delivering = false;
        notificationsChanged.notify_all();
    }
}

void QueuedMidiStream::DeliverNotifications() {
    std::unique_lock<std::mutex> guard(lock);
    if (delivery != NotificationDelivery::ByOwner || delivering) {
        return;
    }
    delivering = true;
    while (notificationCount > 0) {
        Notification note = TakeNotificationLocked();
        // Unlocked, as on the thread: the callback calls the stream.
        guard.unlock();
        if (note.callback != nullptr) {
            note.callback(this, note.message, note.instance,
                          reinterpret_cast<uintptr_t>(note.header), 0);
        }
        guard.lock();
    }
    delivering = false;
}

void QueuedMidiStream::DeliverIfOwnerDelivers() {
    if (delivery == NotificationDelivery::ByOwner) {
        DeliverNotifications();
    }
}

void QueuedMidiStream::WaitForNotifications() {
    if (delivery == NotificationDelivery::ByOwner) {
        DeliverNotifications();
        return;
    }
    std::unique_lock<std::mutex> guard(lock);
    if (!CanAwaitDelivery()) {
        return;
    }
    notificationsChanged.wait(guard, [this] { return notificationCount == 0 && !delivering; });
}

uint32_t QueuedMidiStream::Open(MidiStreamCallback newCallback, uintptr_t newInstance) {
    uint32_t result = OpenQueue(newCallback, newInstance);
    DeliverIfOwnerDelivers();
    return result;
}

uint32_t QueuedMidiStream::OpenQueue(MidiStreamCallback newCallback, uintptr_t newInstance) {
    std::lock_guard<std::mutex> guard(lock);
    if (open) {
        return MMSYSERR_ALLOCATED;
    }
    if (uint32_t error = OpenError(); error != MMSYSERR_NOERROR) {
        return error;
    }
    if (!PromiseLocked(2)) {
        return MMSYSERR_NOMEM; // MOM_OPEN now and MOM_CLOSE later could not be delivered
    }
    StartNotificationThreadLocked();
    open = true;
    running = false; // a new stream waits for Restart
    callback = newCallback;
    instance = newInstance;
    division = 96;
    tempo = 500000;
    cursor = 0;
    deltaLoaded = false;
    wait = 0;
    PostPromised(MOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

uint32_t QueuedMidiStream::SetTimeDivision(uint32_t newDivision) {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (newDivision == 0) {
        return MMSYSERR_INVALPARAM;
    }
    division = newDivision;
    return MMSYSERR_NOERROR;
}

uint32_t QueuedMidiStream::PrepareHeader(MidiHeader* header) {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || header->lpData == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

uint32_t QueuedMidiStream::UnprepareHeader(MidiHeader* header) {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if (header->dwFlags & MHDR_INQUEUE) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

uint32_t QueuedMidiStream::Out(MidiHeader* header) {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (header == nullptr || header->dwBytesRecorded > header->dwBufferLength) {
        return MMSYSERR_INVALPARAM;
    }
    if (!(header->dwFlags & MHDR_PREPARED)) {
        return MIDIERR_UNPREPARED;
    }
    if ((header->dwFlags & MHDR_INQUEUE) || queueCount == MaxQueued) {
        return MIDIERR_STILLPLAYING;
    }
    if (!PromiseLocked(1)) {
        return MMSYSERR_NOMEM; // its MOM_DONE could not be delivered
    }
    header->dwFlags = (header->dwFlags | MHDR_INQUEUE) & ~MHDR_DONE;
    queue[(queueHead + queueCount) % MaxQueued] = header;
    ++queueCount;
    return MMSYSERR_NOERROR;
}

uint32_t QueuedMidiStream::Restart() {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    running = true;
    return MMSYSERR_NOERROR;
}

uint32_t QueuedMidiStream::Stop() {
    uint32_t result = HaltQueue();
    DeliverIfOwnerDelivers();
    return result;
}

uint32_t QueuedMidiStream::HaltQueue() {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    running = false;
    ReturnAllBuffers();
    return MMSYSERR_NOERROR;
}

// The queue's side of a reset is that of a stop: halt and return every buffer.
uint32_t QueuedMidiStream::Reset() {
    return QueuedMidiStream::Stop();
}

uint32_t QueuedMidiStream::Close() {
    uint32_t result = CloseQueue();
    DeliverIfOwnerDelivers();
    return result;
}

uint32_t QueuedMidiStream::CloseQueue() {
    std::unique_lock<std::mutex> guard(lock);
    if (!open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (queueCount > 0) {
        return MIDIERR_STILLPLAYING;
    }
    PostPromised(MOM_CLOSE, nullptr);
    open = false;
    running = false;
    callback = nullptr;
    // Once Close returns, no notification may reach the owner any more, which may be about to
    // go away. From inside a callback this cannot be waited for; the owner is alive there.
    if (CanAwaitDelivery()) {
        notificationsChanged.wait(guard, [this] { return notificationCount == 0 && !delivering; });
    }
    return MMSYSERR_NOERROR;
}

void QueuedMidiStream::ReturnHead() {
    MidiHeader* header = queue[queueHead];
    queueHead = (queueHead + 1) % MaxQueued;
    --queueCount;
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    cursor = 0;
    deltaLoaded = false;
    PostPromised(MOM_DONE, header);
}

void QueuedMidiStream::ReturnAllBuffers() {
    while (queueCount > 0) {
        ReturnHead();
    }
    wait = 0;
    silencePending = true;
}

void QueuedMidiStream::AdvanceLocked(double units, StreamEventSink& sink) {
    if (silencePending) {
        silencePending = false;
        sink.Silence();
    }
    if (!running) {
        return;
    }
    double left = units;
    while (queueCount > 0) {
        MidiHeader* head = queue[queueHead];
        if (cursor + StreamEventBytes > head->dwBytesRecorded) {
            ReturnHead();
            continue;
        }
        const uint8_t* event = head->lpData + cursor;
        if (!deltaLoaded) {
            double unitsPerTick = tempo * clockRate / (1e6 * division);
            wait += LittleEndian32(event) * unitsPerTick;
            deltaLoaded = true;
        }
        if (wait > left + DueTolerance) {
            wait -= left;
            return;
        }
        if (wait > 0) {
            left = std::max(left - wait, 0.0);
            wait = 0;
        } // else late by -wait: it carries into the next delta until made up
        uint32_t word = LittleEndian32(event + 8);
        uint32_t type = EventType(word);
        if (type == MEVT_TEMPO) {
            tempo = word & 0xFFFFFF;
        } else if (type == MEVT_SHORTMSG) {
            sink.ShortMessage(word & 0xFFFFFF, units - left);
        } // any other type (no-op, long, comment, version) plays nothing and keeps its time
        if (word & MEVT_F_CALLBACK) {
            PostReport(head, cursor);
        }
        // A long event carries its parameter bytes, padded to whole words.
        uint32_t parameters = (word & MEVT_F_LONG) ? (((word & 0xFFFFFF) + 3) & ~3u) : 0;
        cursor += StreamEventBytes + parameters;
        deltaLoaded = false;
    }
    // Starved: the buffer refilled from the notifications comes a little late. Its first
    // delta is shortened by the time lost (within a bound), so the music keeps its pace.
    wait = std::max(wait - left, -MaxLateSeconds * clockRate);
}
