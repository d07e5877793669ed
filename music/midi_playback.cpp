// MidiPlayer's control of the stream: loading, opening with two prefilled buffers, play, and
// the stop handshake with the notification thread.
#include <chrono>
#include <cstdlib>

#include "music/midi_player.h"

namespace {

constexpr uint32_t BufferReturnTimeoutMs = 2000;

} // namespace

bool MidiPlayer::LoadFromMemory(const uint8_t* data, uint32_t size, NotifyWindow* window) {
    std::lock_guard<std::mutex> stopGuard(stopMutex);
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        if (!ParseHeader(data, size)) {
            return false;
        }
        notifyWindow = window;
        channelVolumes.assign(MidiChannelCount, 100);
    }
    return OpenStream();
}

bool MidiPlayer::OpenStream() {
    std::lock_guard<std::mutex> guard(stateMutex);
    if (stream == nullptr) {
        uint32_t error = device != nullptr
                             ? device->Open(StreamCallback, reinterpret_cast<uintptr_t>(this))
                             : MMSYSERR_BADDEVICEID;
        if (error != MMSYSERR_NOERROR) {
            OnError(error);
            return false;
        }
        stream = device;
    }
    buffers.resize(StreamBufferCount, StreamBuffer{});
    if (uint32_t error = stream->SetTimeDivision(division); error != MMSYSERR_NOERROR) {
        OnError(error);
        return false;
    }
    returnedCount = 0;
    currentBuffer = 0;
    bool first = true;
    bool ended = false;
    while (currentBuffer < StreamBufferCount) {
        StreamBuffer& buffer = buffers[currentBuffer];
        std::free(buffer.header.lpData);
        // A fresh header: the stream keeps its own marks in dwFlags.
        buffer.header = MidiHeader{};
        buffer.header.lpData = static_cast<uint8_t*>(std::malloc(StreamBufferBytes));
        if (buffer.header.lpData == nullptr) {
            return false;
        }
        buffer.header.dwBufferLength = StreamBufferBytes;
        ResetForFill(buffer);
        int32_t result = FillBuffer(first, buffer);
        if (result == SongEnded) {
            ended = true;
        } else if (result != 0) {
            return false;
        }
        buffer.header.dwBytesRecorded = buffer.used;
        if (uint32_t error = stream->PrepareHeader(&buffer.header); error != MMSYSERR_NOERROR) {
            OnError(error);
            return false;
        }
        if (uint32_t error = stream->Out(&buffer.header); error != MMSYSERR_NOERROR) {
            OnError(error);
            break;
        }
        first = false;
        if (ended) {
            break;
        }
        ++currentBuffer;
    }
    currentBuffer = 0;
    headersPrepared = true;
    return true;
}

bool MidiPlayer::Play(bool loop) {
    std::lock_guard<std::mutex> stopGuard(stopMutex);
    bool wasPlaying = false;
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        wasPlaying = playing;
    }
    if (wasPlaying) {
        StopStream(true);
    }
    bool oldPlaying = false;
    bool oldLoop = false;
    MidiStreamOut* out = nullptr;
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        stopState = StopNone;
        if (!loopFlag) {
            insertTempo = true;
        }
        // Set before the restart, so that a buffer coming back at once finds the player
        // playing; put back if the restart fails.
        oldPlaying = playing;
        oldLoop = loopFlag;
        playing = true;
        loopFlag = loop;
        out = stream;
    }
    uint32_t error = out != nullptr ? out->Restart() : MMSYSERR_INVALHANDLE;
    if (error != MMSYSERR_NOERROR) {
        {
            std::lock_guard<std::mutex> guard(stateMutex);
            playing = oldPlaying;
            loopFlag = oldLoop;
        }
        OnError(error);
        return false;
    }
    return true;
}

bool MidiPlayer::Stop(bool reopen) {
    std::lock_guard<std::mutex> stopGuard(stopMutex);
    return StopStream(reopen);
}

bool MidiPlayer::StopStream(bool reopen) {
    bool stopping = false;
    MidiStreamOut* out = nullptr;
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        if (playing || stopState != StopDone) {
            stopping = true;
            playing = false;
            if (stopState != StopDone && stopState != StopAtEnd) {
                stopState = StopPending;
            }
        }
        out = stream;
    }
    if (stopping) {
        uint32_t error = out != nullptr ? out->Stop() : MMSYSERR_INVALHANDLE;
        if (error != MMSYSERR_NOERROR) {
            OnError(error);
            return false;
        }
        if (error = out->Reset(); error != MMSYSERR_NOERROR) {
            OnError(error);
            return false;
        }
        if (!AwaitBufferReturn()) {
            std::lock_guard<std::mutex> guard(stateMutex);
            stopState = StopDone;
            ++stopTimeouts;
        }
        std::lock_guard<std::mutex> guard(stateMutex);
        if (stopState != StopDone) {
            return true;
        }
    }
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        stopState = StopNone;
    }
    ReleaseBuffers();
    if (out != nullptr) {
        // Unlocked: Close waits until the notifications so far have been delivered.
        if (uint32_t error = out->Close(); error != MMSYSERR_NOERROR) {
            OnError(error);
        }
        std::lock_guard<std::mutex> guard(stateMutex);
        stream = nullptr;
    }
    FreeBufferBlocks();
    if (!reopen) {
        return true;
    }
    if (!OpenStream()) {
        return false;
    }
    std::lock_guard<std::mutex> guard(stateMutex);
    if (!loopFlag) {
        // Without loop the song starts again from its beginning after the two prefills.
        RewindTracks();
        lastWrittenTime = 0;
        fillFlags = 0;
    }
    return true;
}

bool MidiPlayer::AwaitBufferReturn() {
    // The state tells when the buffers are back; the event only wakes the wait. So a signal
    // left over from an earlier stop cannot end this one early.
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(BufferReturnTimeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(stateMutex);
            if (stopState == StopDone) {
                return true;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        bufferReturnEvent.WaitFor(static_cast<uint32_t>(left.count()));
    }
}

void MidiPlayer::ReleaseBuffers() {
    std::lock_guard<std::mutex> guard(stateMutex);
    if (headersPrepared) {
        for (StreamBuffer& buffer : buffers) {
            uint32_t error =
                stream != nullptr ? stream->UnprepareHeader(&buffer.header) : MMSYSERR_INVALHANDLE;
            if (error != MMSYSERR_NOERROR) {
                OnError(error);
            }
        }
        headersPrepared = false;
    }
}

void MidiPlayer::FreeBufferBlocks() {
    // Only once the stream is closed: a stop that timed out may leave notifications queued,
    // and a position report reads its event from a block.
    std::lock_guard<std::mutex> guard(stateMutex);
    for (StreamBuffer& buffer : buffers) {
        std::free(buffer.header.lpData);
        buffer.header.lpData = nullptr;
    }
}
