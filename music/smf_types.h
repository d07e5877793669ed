// The reading state of one Standard MIDI File track and the event record the reader fills;
// both belong to MidiPlayer's reader (smf_reader.cpp).
#pragma once

#include <cstdint>

// SmfTrack::flags bit: the track has no more events (length 0, or End of Track was read).
inline constexpr uint32_t TrackEnded = 0x1;

// Meta event types the player looks at.
inline constexpr uint8_t MetaEndOfTrack = 0x2F;
inline constexpr uint8_t MetaSetTempo = 0x51;

// The reading position of one track chunk. Pointers point into the loaded file's data.
struct SmfTrack {
    uint32_t flags;          // TrackEnded
    uint32_t length;         // data bytes claimed by the chunk header
    const uint8_t* start;    // first data byte (chunk + 8)
    const uint8_t* position; // next byte to read
    uint32_t nextTime;       // absolute ticks of the next unread event
    uint8_t runningStatus;   // last channel status byte of this track, 0 for none
};

// One event as read. `data` is a block owned by the event (SysEx, and meta events with data),
// counted in MidiPlayer's held data blocks and released through the player.
struct SmfEvent {
    uint32_t time;   // absolute ticks
    uint8_t status;  // 0x80-0xEF channel message, 0xF0/0xF7 SysEx, 0xFF meta
    uint8_t data1;   // first data byte, or the meta type
    uint8_t data2;   // second data byte, 0 for one-byte messages
    uint32_t length; // channel message: 2 or 3 bytes with status; SysEx/meta: data bytes claimed
    uint8_t* data;   // SysEx/meta data block, or null
};
