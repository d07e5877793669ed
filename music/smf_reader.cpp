// The Standard MIDI File reader of MidiPlayer: header parse, per-track byte and event reads,
// and the choice of the track with the earliest next event. Every read stays inside the file.
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "music/midi_player.h"

namespace {

constexpr uint32_t HeaderBytes = 14;
constexpr uint32_t ChunkHeaderBytes = 8;

uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t ReadBigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// Program change and channel pressure carry one data byte, every other channel message two.
bool HasOneDataByte(uint8_t status) {
    return status >= 0xC0 && status <= 0xDF;
}

} // namespace

bool MidiPlayer::ParseHeader(const uint8_t* data, uint32_t size) {
    if (fileData != nullptr || data == nullptr || size < HeaderBytes) {
        return false;
    }
    if (std::memcmp(data, "MThd", 4) != 0 || ReadBigEndian32(data + 4) != 6) {
        return false;
    }
    format = ReadBigEndian16(data + 8);
    trackCount = ReadBigEndian16(data + 10);
    division = ReadBigEndian16(data + 12);
    fileEnd = data + size;
    tracks.resize(trackCount);

    // 64-bit offsets: a chunk length near 4 GiB must not wrap back into the file.
    uint64_t offset = HeaderBytes;
    for (uint32_t i = 0; i < trackCount; ++i) {
        if (offset + ChunkHeaderBytes > size) {
            return false;
        }
        const uint8_t* chunk = data + offset;
        if (std::memcmp(chunk, "MTrk", 4) != 0) {
            return false;
        }
        SmfTrack& track = tracks[i];
        track = SmfTrack{};
        track.length = ReadBigEndian32(chunk + 4);
        track.start = chunk + ChunkHeaderBytes;
        track.position = track.start;
        if (track.length == 0) {
            track.flags = TrackEnded;
        } else if (!ReadVarLen(i, track.nextTime)) {
            return false;
        }
        offset += ChunkHeaderBytes + uint64_t{track.length};
    }
    fileData = data;
    dataSize = size;
    return true;
}

bool MidiPlayer::RewindTracks() {
    if (fileData == nullptr) {
        return false;
    }
    for (uint32_t i = 0; i < tracks.size(); ++i) {
        SmfTrack& track = tracks[i];
        track.position = track.start;
        track.runningStatus = 0;
        track.nextTime = 0;
        track.flags = 0;
        if (track.length == 0) {
            track.flags = TrackEnded;
        } else if (!ReadVarLen(i, track.nextTime)) {
            return false;
        }
    }
    return true;
}

uint32_t MidiPlayer::BytesLeft(const SmfTrack& track) const {
    // The chunk may claim more than the file holds (a last chunk with a long length): the end
    // of the file's data bounds the read as well.
    uint64_t inTrack = track.length - static_cast<uint64_t>(track.position - track.start);
    uint64_t inFile = static_cast<uint64_t>(fileEnd - track.position);
    return static_cast<uint32_t>(inTrack < inFile ? inTrack : inFile);
}

bool MidiPlayer::ReadByte(uint32_t track, uint8_t& byte) {
    assert(track < tracks.size() && "ReadByte: track index out of range");
    SmfTrack& t = tracks[track];
    if (BytesLeft(t) == 0) {
        return false;
    }
    byte = *t.position++;
    return true;
}

bool MidiPlayer::ReadVarLen(uint32_t track, uint32_t& value) {
    if (tracks[track].flags & TrackEnded) {
        return false;
    }
    uint32_t folded = 0;
    uint8_t byte = 0x80;
    while (byte & 0x80) {
        if (!ReadByte(track, byte)) {
            return false;
        }
        folded = folded * 128 + (byte & 0x7F); // unsigned: bits beyond 31 fall off
    }
    value = folded;
    return true;
}

bool MidiPlayer::ReadDataBlock(uint32_t track, SmfEvent& event, const char* truncatedMessage) {
    // Never allocate more than the bytes that are left: a length claiming gigabytes in a small
    // file gets a block of what is there, and the read then fails as truncated.
    uint32_t available = BytesLeft(tracks[track]);
    uint32_t blockSize = event.length < available ? event.length : available;
    // At least one byte, so that a null result always means the allocation failed.
    event.data = static_cast<uint8_t*>(std::malloc(blockSize > 0 ? blockSize : 1));
    if (event.data == nullptr) {
        OnParseError(track, "Out of memory during malloc call");
        return false;
    }
    ++heldDataBlocks;
    SmfTrack& t = tracks[track];
    std::memcpy(event.data, t.position, blockSize);
    t.position += blockSize;
    if (blockSize < event.length) {
        OnParseError(track, truncatedMessage);
        return false;
    }
    return true;
}

bool MidiPlayer::ReadEvent(uint32_t track, SmfEvent& event) {
    ReleaseEventData(event);
    event = SmfEvent{};
    SmfTrack& t = tracks[track];
    if (t.flags & TrackEnded) {
        return false;
    }
    uint8_t b = 0;
    if (!ReadByte(track, b)) {
        return false;
    }
    bool read = false;
    if (b <= 0xEF) {
        read = ReadChannelMessage(track, b, event);
    } else if (b == 0xF0 || b == 0xF7) {
        read = ReadSysEx(track, b, event);
    } else if (b == 0xFF) {
        read = ReadMetaEvent(track, event);
    } // else 0xF1-0xFE other than 0xF7: not a status a file may hold
    if (!read) {
        return false;
    }

    event.time = t.nextTime;
    if (t.flags & TrackEnded) {
        return true;
    }
    // The event is complete, but a track must go on with a delta time: a cut-off one fails.
    uint32_t delta = 0;
    if (!ReadVarLen(track, delta)) {
        return false;
    }
    t.nextTime += delta;
    return true;
}

bool MidiPlayer::ReadChannelMessage(uint32_t track, uint8_t first, SmfEvent& event) {
    SmfTrack& t = tracks[track];
    // A data byte where a status is due repeats the track's running status and is itself the
    // first data byte.
    bool running = first < 0x80;
    if (!running) {
        t.runningStatus = first;
    } else if (t.runningStatus == 0) {
        OnParseError(track, "Reference to missing running status.");
        return false;
    }
    event.status = t.runningStatus;
    if (running) {
        event.data1 = first;
    } else if (!ReadByte(track, event.data1)) {
        return false;
    }
    event.length = 2;
    if (HasOneDataByte(event.status)) {
        return true;
    }
    if (!ReadByte(track, event.data2)) {
        return false;
    }
    event.length = 3;
    return true;
}

bool MidiPlayer::ReadSysEx(uint32_t track, uint8_t status, SmfEvent& event) {
    event.status = status;
    if (!ReadVarLen(track, event.length)) {
        OnParseError(track, "SysEx event truncated (length)");
        return false;
    }
    return ReadDataBlock(track, event, "SysEx event truncated");
}

bool MidiPlayer::ReadMetaEvent(uint32_t track, SmfEvent& event) {
    event.status = 0xFF;
    if (!ReadByte(track, event.data1)) {
        return false;
    }
    if (!ReadVarLen(track, event.length)) {
        OnParseError(track, "Meta event truncated (length)");
        return false;
    }
    if (event.length != 0 && !ReadDataBlock(track, event, "Meta event truncated")) {
        return false;
    }
    if (event.data1 == MetaEndOfTrack) {
        tracks[track].flags |= TrackEnded;
    }
    return true;
}

int32_t MidiPlayer::PickNextTrack() const {
    uint32_t earliest = 0xFFFFFFFF;
    int32_t picked = -1;
    for (uint32_t i = 0; i < tracks.size(); ++i) {
        const SmfTrack& t = tracks[i];
        // Strictly smaller: ties go to the track first in the file, and a next time of
        // 0xFFFFFFFF is never picked.
        if (!(t.flags & TrackEnded) && t.nextTime < earliest) {
            earliest = t.nextTime;
            picked = static_cast<int32_t>(i);
        }
    }
    return picked;
}

void MidiPlayer::ReleaseEventData(SmfEvent& event) {
    if (event.data != nullptr && heldDataBlocks > 0) {
        std::free(event.data);
        --heldDataBlocks;
    }
    event.data = nullptr;
}
