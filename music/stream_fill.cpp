// Filling of the stream buffers: the reader's merged events become 12-byte stream events,
// a buffer closing once its events span more than about 60 ms, with tempo and loop handling.
#include <cassert>

#include "music/midi_player.h"

namespace {

constexpr uint8_t ControllerVolume = 7;

bool IsChannelMessage(uint8_t status) {
    return status >= 0x80 && status <= 0xEF;
}

bool IsEndOfTrack(const SmfEvent& event) {
    return event.status == 0xFF && event.data1 == MetaEndOfTrack;
}

// A Set Tempo the filling can use: three data bytes and a value that is not 0 (the time
// limit divides by it).
bool IsUsableTempo(const SmfEvent& event) {
    return event.length >= 3 && event.data != nullptr &&
           (event.data[0] | event.data[1] | event.data[2]) != 0;
}

uint32_t TempoValue(const SmfEvent& event) {
    return (uint32_t{event.data[0]} << 16) | (uint32_t{event.data[1]} << 8) | event.data[2];
}

// Volume changes carry MEVT_F_CALLBACK so that the output reports them when they play.
uint32_t ChannelEventWord(const SmfEvent& event) {
    uint32_t word = event.status | (uint32_t{event.data1} << 8) | (uint32_t{event.data2} << 16);
    bool isVolume = (event.status & 0xF0) == 0xB0 && event.data1 == ControllerVolume;
    return word | (isVolume ? MEVT_F_CALLBACK : (MEVT_SHORTMSG << 24));
}

// No room for one more stream event.
bool IsFull(const StreamBuffer& buffer) {
    return buffer.capacity - buffer.used < StreamEventBytes;
}

void StoreLittleEndian32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

} // namespace

void MidiPlayer::AppendEvent(StreamBuffer& buffer, uint32_t delta, uint32_t eventWord) {
    assert(buffer.fillOffset + buffer.used + StreamEventBytes <= buffer.header.dwBufferLength &&
           "AppendEvent: set header.dwBufferLength and capacity to the data block's size");
    uint8_t* at = buffer.header.lpData + buffer.fillOffset + buffer.used;
    StoreLittleEndian32(at, delta);
    StoreLittleEndian32(at + 4, 0); // stream id
    StoreLittleEndian32(at + 8, eventWord);
    buffer.used += StreamEventBytes;
}

uint32_t MidiPlayer::TempoEventWord() const {
    assert(tempoPercent != 0 && "tempoPercent scales every tempo and must not be 0");
    return (MEVT_TEMPO << 24) | ((tempo * 100 / tempoPercent) & 0xFFFFFF);
}

int32_t MidiPlayer::WriteEvent(SmfEvent& event, StreamBuffer& buffer) {
    if (buffer.used == 0) {
        buffer.startTime = lastWrittenTime;
    }
    // A buffer takes events until they span more than the limit, then one more; the event
    // after that closes it.
    if (lastWrittenTime - buffer.startTime > timeLimit) {
        if (buffer.overLimit) {
            buffer.overLimit = 0;
            return BufferFull;
        }
        buffer.overLimit = 1;
    }
    if (insertTempo) {
        insertTempo = false;
        if (IsFull(buffer)) {
            return BufferFull;
        }
        if (tempo != 0) {
            AppendEvent(buffer, 0, TempoEventWord());
        }
    }

    if (IsChannelMessage(event.status)) {
        if (IsFull(buffer)) {
            return BufferFull;
        }
        AppendEvent(buffer, event.time - lastWrittenTime, ChannelEventWord(event));
        lastWrittenTime = event.time;
        return 0;
    }
    if (event.status == 0xF0 || event.status == 0xF7) {
        ReleaseEventData(event);
        return 0;
    }
    // Meta events: only a usable Set Tempo is written. A short or zero one is dropped like
    // any other meta event, before the room check.
    if (event.status != 0xFF || event.data1 != MetaSetTempo || !IsUsableTempo(event)) {
        ReleaseEventData(event);
        return MetaSkipped;
    }
    return WriteTempo(event, buffer);
}

int32_t MidiPlayer::WriteTempo(SmfEvent& event, StreamBuffer& buffer) {
    if (IsFull(buffer)) {
        return BufferFull; // keeps its data block for the next buffer
    }
    tempo = TempoValue(event);
    AppendEvent(buffer, event.time - lastWrittenTime, TempoEventWord());
    timeLimit = uint32_t{division} * 60000 / tempo;
    ReleaseEventData(event);
    lastWrittenTime = event.time;
    return 0;
}

int32_t MidiPlayer::FillBuffer(bool first, StreamBuffer& buffer) {
    buffer.used = 0;
    if (first) {
        fillFlags = 0;
        ReleaseEventData(currentEvent); // a pending event is forgotten, its block freed
        currentEvent = SmfEvent{};
    }
    if (fillFlags & EndOfSong) {
        if (!loopFlag) {
            return SongEnded;
        }
        RewindTracks();
        lastWrittenTime = 0;
        fillFlags = 0;
    } else if (fillFlags & FillFailed) {
        return AlreadyFailed;
    } else if (fillFlags & EventPending) {
        fillFlags &= ~EventPending;
        if (WriteEvent(currentEvent, buffer) == BufferFull) {
            fillFlags |= EventPending;
            return 0;
        }
    }

    for (;;) {
        int32_t track = PickNextTrack();
        if (track < 0) {
            fillFlags |= EndOfSong;
            return 0;
        }
        if (!ReadEvent(static_cast<uint32_t>(track), currentEvent)) {
            fillFlags |= FillFailed;
            return ReadFailed;
        }
        // End of Track is never written and moves no time.
        if (IsEndOfTrack(currentEvent)) {
            ReleaseEventData(currentEvent);
            continue;
        }
        if (WriteEvent(currentEvent, buffer) == BufferFull) {
            fillFlags |= EventPending;
            return 0;
        }
    }
}
