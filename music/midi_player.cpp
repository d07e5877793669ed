// MidiPlayer's life and its stream notifications: the refill of a returned buffer, the count
// of buffers a stop waits for, and the channel volumes.
#include <cstring>

#include "music/midi_player.h"

MidiPlayer::MidiPlayer(MidiStreamOut* device) : device(device) {}

MidiPlayer::~MidiPlayer() {
    Stop(false);
    // A stop that failed leaves the stream open; it must not keep our buffers or reach this
    // player with a notification after it is gone.
    MidiStreamOut* stillOpen = nullptr;
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        playing = false;
        stillOpen = stream;
    }
    if (stillOpen != nullptr) {
        stillOpen->Reset();
        ReleaseBuffers();
        stillOpen->Close();
        std::lock_guard<std::mutex> guard(stateMutex);
        stream = nullptr;
    }
    FreeBufferBlocks();
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
    // Buffers come back in the order they were queued: the one back is the current buffer.
    std::unique_lock<std::mutex> guard(stateMutex);
    if (stopState == StopDone) {
        return;
    }
    ++returnedCount;
    if (stopState == StopAtEnd) {
        if (returnedCount < int32_t{StreamBufferCount}) {
            return;
        }
        stopState = StopDone;
        guard.unlock();
        StopAtEndOfSong();
        return;
    }
    if (stopState == StopPending) {
        if (returnedCount >= int32_t{StreamBufferCount}) {
            stopState = StopDone;
            bufferReturnEvent.Set();
        }
        return;
    }
    // A stop clears `playing` before it resets the stream; checked under the lock, no buffer
    // is queued after that reset.
    if (!playing || stream == nullptr) {
        return;
    }
    StreamBuffer& buffer = buffers[currentBuffer];
    ResetForFill(buffer);
    int32_t result = FillBuffer(false, buffer);
    if (result == SongEnded) {
        stopState = StopAtEnd;
        return;
    }
    if (result != 0) {
        return; // the song cannot be read on: the music falls silent
    }
    buffer.header.dwBytesRecorded = buffer.used;
    if (uint32_t error = stream->Out(&buffer.header); error != MMSYSERR_NOERROR) {
        OnError(error);
        return;
    }
    currentBuffer = (currentBuffer + 1) % StreamBufferCount;
    --returnedCount;
}

void MidiPlayer::StopAtEndOfSong() {
    // Runs on the notification thread with both buffers back, so the stop has nothing to wait
    // for. If a stop of the caller's thread is under way, it takes over: it only needs to hear
    // that the buffers are back.
    if (stopMutex.try_lock()) {
        StopStream(true);
        stopMutex.unlock();
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
