// One of the player's two stream buffers and the results of filling it (stream_fill.cpp).
#pragma once

#include <cstdint>

#include "music/midi_stream_out.h"

// MidiPlayer::fillFlags bits.
inline constexpr uint32_t EndOfSong = 0x1;    // no track had an event left at the last fill
inline constexpr uint32_t FillFailed = 0x2;   // a read failed; nothing more is filled
inline constexpr uint32_t EventPending = 0x4; // the current event opens the next buffer

// Results of FillBuffer and WriteEvent besides 0 (success).
inline constexpr int32_t ReadFailed = -101;    // FillBuffer: a read failed in this fill
inline constexpr int32_t AlreadyFailed = -102; // FillBuffer: a read failed in an earlier fill
inline constexpr int32_t SongEnded = -103;     // FillBuffer: the song is over, no loop
inline constexpr int32_t BufferFull = -104;    // WriteEvent: not written, buffer finished
inline constexpr int32_t MetaSkipped = -105;   // WriteEvent: a meta event was dropped

// Bytes of events a buffer holds (85 events of 12 bytes fit).
inline constexpr uint32_t StreamBufferBytes = 1024;

// Buffers the player keeps with the stream: one plays while the other waits queued.
inline constexpr uint32_t StreamBufferCount = 2;

// The stream header followed by the fill's own bookkeeping. Events go to
// header.lpData + fillOffset + used.
struct StreamBuffer {
    MidiHeader header;
    uint32_t fillOffset; // always 0
    uint32_t capacity;   // bytes available for events
    uint32_t used;       // bytes written by the last fill
    uint32_t startTime;  // last written time (ticks) when this fill's first event was handled
    uint32_t overLimit;  // 1 once the buffer's events have spanned more than the time limit
};

// Sets a buffer up for the next fill as the player does before every FillBuffer: offset 0,
// capacity 1024, start time 0, over-limit flag clear. `used` is FillBuffer's own business.
inline void ResetForFill(StreamBuffer& buffer) {
    buffer.fillOffset = 0;
    buffer.capacity = StreamBufferBytes;
    buffer.startTime = 0;
    buffer.overLimit = 0;
}
