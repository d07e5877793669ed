// MidiPlayer's control of the stream: loading, opening with two prefilled buffers, play, and
// the stop handshake with the notification thread. Each step decides under stateMutex, calls
// the stream without it and commits under it again; the rules are beside the state in
// midi_player.h.
#include <chrono>
#include <cstdlib>

#include "music/midi_player.h"

namespace {

constexpr uint32_t BufferReturnTimeoutMs = 2000;

} // namespace

bool MidiPlayer::LoadFromMemory(const uint8_t* data, uint32_t size, NotifyWindow* window) {
    std::lock_guard<std::mutex> control(controlMutex);
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
    if (stream == nullptr && !OpenDevice()) {
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        buffers.resize(StreamBufferCount, StreamBuffer{});
    }
    if (uint32_t error = stream->SetTimeDivision(division); error != MMSYSERR_NOERROR) {
        OnError(error);
        return false;
    }
    return QueuePrefilledBuffers();
}

bool MidiPlayer::OpenDevice() {
    uint32_t error = device != nullptr
                         ? device->Open(StreamCallback, reinterpret_cast<uintptr_t>(this))
                         : MMSYSERR_BADDEVICEID;
    if (error != MMSYSERR_NOERROR) {
        OnError(error);
        return false;
    }
    std::lock_guard<std::mutex> guard(stateMutex);
    stream = device;
    return true;
}

// The stream has just been opened and is paused, so no buffer comes back meanwhile. When the
// song ends before the last buffer, that one is queued empty and no further one is filled.
bool MidiPlayer::QueuePrefilledBuffers() {
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        returnedCount = 0;
        currentBuffer = 0;
    }
    for (uint32_t index = 0; index < StreamBufferCount; ++index) {
        bool songEnded = false;
        if (!PrefillBuffer(index, songEnded)) {
            return false;
        }
        MidiHeader* header = &buffers[index].header;
        if (uint32_t error = stream->PrepareHeader(header); error != MMSYSERR_NOERROR) {
            OnError(error);
            return false;
        }
        if (uint32_t error = stream->Out(header); error != MMSYSERR_NOERROR) {
            OnError(error);
            break;
        }
        if (songEnded) {
            break;
        }
    }
    headersPrepared = true;
    return true;
}

// Gives buffer `index` a new block and fills it; buffer 0 takes the first fill after the
// opening. `songEnded`: the song had ended before it, and it stays empty.
bool MidiPlayer::PrefillBuffer(uint32_t index, bool& songEnded) {
    std::lock_guard<std::mutex> guard(stateMutex);
    StreamBuffer& buffer = buffers[index];
    std::free(buffer.header.lpData);
    // A fresh header: the stream keeps its own marks in dwFlags.
    buffer.header = MidiHeader{};
    buffer.header.lpData = static_cast<uint8_t*>(std::malloc(StreamBufferBytes));
    if (buffer.header.lpData == nullptr) {
        return false;
    }
    buffer.header.dwBufferLength = StreamBufferBytes;
    ResetForFill(buffer);
    int32_t result = FillBuffer(index == 0, buffer);
    songEnded = result == SongEnded;
    if (result != 0 && !songEnded) {
        return false;
    }
    buffer.header.dwBytesRecorded = buffer.used;
    return true;
}

bool MidiPlayer::Play(bool loop) {
    std::lock_guard<std::mutex> control(controlMutex);
    if (IsPlaying()) {
        StopStream(true);
    }
    bool previousLoop = BeginPlay(loop);
    uint32_t error = stream != nullptr ? stream->Restart() : MMSYSERR_INVALHANDLE;
    if (error != MMSYSERR_NOERROR) {
        CancelPlay(previousLoop);
        OnError(error);
        return false;
    }
    return true;
}

bool MidiPlayer::IsPlaying() const {
    std::lock_guard<std::mutex> guard(stateMutex);
    return playing;
}

// Playing is set before the restart, so that a buffer coming back at once is refilled. Returns
// the loop flag to put back if the restart fails.
bool MidiPlayer::BeginPlay(bool loop) {
    std::lock_guard<std::mutex> guard(stateMutex);
    stopState = StopNone;
    if (!loopFlag) {
        insertTempo = true; // the loop flag still holds the previous Play's value
    }
    bool previousLoop = loopFlag;
    playing = true;
    loopFlag = loop;
    return previousLoop;
}

void MidiPlayer::CancelPlay(bool previousLoop) {
    std::lock_guard<std::mutex> guard(stateMutex);
    playing = false; // it was clear before BeginPlay: a stop comes first when it is set
    loopFlag = previousLoop;
}

bool MidiPlayer::Stop(bool reopen) {
    std::lock_guard<std::mutex> control(controlMutex);
    return StopStream(reopen);
}

bool MidiPlayer::StopStream(bool reopen) {
    if (BeginStop()) {
        if (!HaltStream()) {
            return false;
        }
        AwaitBufferReturn();
    }
    CloseStream();
    return !reopen || ReopenStream();
}

// Decides whether the stream must be halted (it plays, or not all buffers are back) and marks
// the stop for the notification thread. True when it must.
bool MidiPlayer::BeginStop() {
    std::unique_lock<std::mutex> guard(stateMutex);
    if (!playing && stopState == StopDone) {
        return false;
    }
    playing = false;
    if (stopState != StopDone && stopState != StopAtEnd) {
        stopState = StopPending;
    }
    // A refill on its way into the stream lands before the halt and so comes back with it.
    requeueSettled.wait(guard, [this] { return !requeueing; });
    return true;
}

// Stops the stream and resets it: every buffer it holds comes back.
bool MidiPlayer::HaltStream() {
    uint32_t error = stream != nullptr ? stream->Stop() : MMSYSERR_INVALHANDLE;
    if (error == MMSYSERR_NOERROR) {
        error = stream->Reset();
    }
    if (error != MMSYSERR_NOERROR) {
        OnError(error);
        return false;
    }
    return true;
}

// Waits at most 2 s for the buffers; then gives them up, as if they were back. The state tells
// when they are back and the event only wakes the wait, so a signal left over from an earlier
// stop cannot end this one early.
void MidiPlayer::AwaitBufferReturn() {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(BufferReturnTimeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        {
            std::lock_guard<std::mutex> guard(stateMutex);
            if (stopState == StopDone) {
                return;
            }
            if (left.count() <= 0) {
                stopState = StopDone;
                ++stopTimeouts;
                return;
            }
        }
        bufferReturnEvent.WaitFor(static_cast<uint32_t>(left.count()));
    }
}

// Unprepares the headers, closes the stream and frees the blocks, in that order: the close
// delivers the notifications still queued, and a position report reads from a block.
void MidiPlayer::CloseStream() {
    {
        std::lock_guard<std::mutex> guard(stateMutex);
        stopState = StopNone;
    }
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
    if (stream != nullptr) {
        if (uint32_t error = stream->Close(); error != MMSYSERR_NOERROR) {
            OnError(error);
        }
    }
    std::lock_guard<std::mutex> guard(stateMutex);
    stream = nullptr;
    for (StreamBuffer& buffer : buffers) {
        std::free(buffer.header.lpData);
        buffer.header.lpData = nullptr;
    }
}

bool MidiPlayer::ReopenStream() {
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
