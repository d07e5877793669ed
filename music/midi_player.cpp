// MidiPlayer's life and its stream notifications: the refill of a returned buffer, the count
// of buffers a stop waits for, and the channel volumes.
#include <cstring>

#include "music/midi_player.h"

MidiPlayer::MidiPlayer(MidiStreamOut* device) : device(device) {}

MidiPlayer::~MidiPlayer() {
    Stop(false);
    // A stop that failed leaves the stream open; it must not keep our buffers or reach this
    // player with a notification after it is gone.
    std::lock_guard<std::mutex> control(controlMutex);
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        playing = false;
    }
    if (stream != nullptr) {
        stream->Reset();
    }
    CloseStream();
    ReleaseEventData(currentEvent);
}

void MidiPlayer::OnError(uint32_t) {}

void MidiPlayer::OnParseError(uint32_t, const char*) {}

void MidiPlayer::OnOpen() {}

void MidiPlayer::OnClose() {}

void MidiPlayer::StreamCallback(MidiStreamOut*, uint32_t message, uintptr_t instance,
                                uintptr_t param1, uintptr_t) {
    MidiPlayer* player = reinterpret_cast<MidiPlayer*>(instance);
    MidiHeader* header = reinterpret_cast<MidiHeader*>(param1);
    switch (message) {
    case MOM_OPEN:
        player->OnOpen();
        break;
    case MOM_CLOSE:
        player->OnClose();
        break;
    case MOM_DONE:
        player->OnBufferDone(header);
        break;
    case MOM_POSITIONCB: {
        MidiEvent event;
        std::memcpy(&event, header->lpData + header->dwOffset, sizeof(event));
        player->OnPositionCallback(header, &event);
        break;
    }
    default:
        break;
    }
}

void MidiPlayer::OnBufferDone(MidiHeader*) {
    switch (CountReturnedBuffer()) {
    case ReturnStep::Keep:
        break;
    case ReturnStep::Requeue:
        RequeueCurrentBuffer();
        break;
    case ReturnStep::WakeStop:
        bufferReturnEvent.Set();
        break;
    case ReturnStep::EndSong:
        StopAtEndOfSong();
        break;
    }
}

// Counts the buffer back and decides what follows. Buffers come back in the order they were
// queued: the one back is the current buffer.
MidiPlayer::ReturnStep MidiPlayer::CountReturnedBuffer() {
    std::lock_guard<std::mutex> guard(stateMutex);
    if (stopState == StopDone) {
        return ReturnStep::Keep;
    }
    ++returnedCount;
    if (stopState == StopPending || stopState == StopAtEnd) {
        if (returnedCount < int32_t{StreamBufferCount}) {
            return ReturnStep::Keep;
        }
        ReturnStep step = stopState == StopAtEnd ? ReturnStep::EndSong : ReturnStep::WakeStop;
        stopState = StopDone;
        return step;
    }
    if (!playing || stream == nullptr) {
        return ReturnStep::Keep; // not started, or a stop is coming: the buffer stays out
    }
    return RefillCurrentBufferLocked();
}

MidiPlayer::ReturnStep MidiPlayer::RefillCurrentBufferLocked() {
    StreamBuffer& buffer = buffers[currentBuffer];
    ResetForFill(buffer);
    int32_t result = FillBuffer(false, buffer);
    if (result == SongEnded) {
        stopState = StopAtEnd;
        return ReturnStep::Keep;
    }
    if (result != 0) {
        return ReturnStep::Keep; // the song cannot be read on: the music falls silent
    }
    buffer.header.dwBytesRecorded = buffer.used;
    requeueing = true;
    return ReturnStep::Requeue;
}

// The act and the commit of a refill. A failed Out leaves the buffer out and the current
// buffer where it is, so the next return refills and queues that one again.
void MidiPlayer::RequeueCurrentBuffer() {
    uint32_t error = stream->Out(&buffers[currentBuffer].header);
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        requeueing = false;
        if (error == MMSYSERR_NOERROR) {
            currentBuffer = (currentBuffer + 1) % StreamBufferCount;
            --returnedCount;
        }
    }
    requeueSettled.notify_all();
    if (error != MMSYSERR_NOERROR) {
        OnError(error);
    }
}

void MidiPlayer::StopAtEndOfSong() {
    // Runs on the notification thread with both buffers back, so the stop has nothing to wait
    // for. If a control operation of the caller's thread is under way, it takes over: it only
    // needs to hear that the buffers are back.
    std::unique_lock<std::mutex> control(controlMutex, std::try_to_lock);
    if (control.owns_lock()) {
        StopStream(true);
    }
    bufferReturnEvent.Set();
}

void MidiPlayer::OnPositionCallback(MidiHeader*, const MidiEvent* event) {
    uint32_t word = event->dwEvent;
    if ((word & 0xF0) != 0xB0 || (word & 0xFF00) != 0x0700) {
        return;
    }
    uint32_t volume = ((word >> 16) & 0x7F) * 100 / 127;
    uint32_t channel = word & 0x0F;
    NotifyWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        if (channel < channelVolumes.size()) {
            channelVolumes[channel] = volume;
        }
        window = notifyWindow;
    }
    if (window != nullptr) {
        uintptr_t handle = window->WindowHandle();
        if (window->IsWindow(handle)) {
            window->PostMessage(handle, ChannelVolumeMessage, reinterpret_cast<uintptr_t>(this),
                                (volume << 16) | channel);
        }
    }
}

std::vector<uint32_t> MidiPlayer::ChannelVolumes() const {
    std::lock_guard<std::mutex> guard(stateMutex);
    return channelVolumes;
}
