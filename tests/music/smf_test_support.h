// Helpers for the music tests: MIDI files built byte by byte or read from disk, and a player
// that exposes its state and records the parse errors it reports.
#pragma once

#include "music/midi_player.h"
#include "tests/support/file_bytes.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The 14-byte header chunk.
inline Bytes SmfHeader(uint16_t format, uint16_t trackCount, uint16_t division) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            static_cast<uint8_t>(format >> 8),
            static_cast<uint8_t>(format),
            static_cast<uint8_t>(trackCount >> 8),
            static_cast<uint8_t>(trackCount),
            static_cast<uint8_t>(division >> 8),
            static_cast<uint8_t>(division)};
}

// A chunk of `type` whose header claims `length` bytes, followed by `data`.
inline Bytes Chunk(const char* type, uint32_t length, const Bytes& data) {
    Bytes out(type, type + 4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(length >> shift));
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A track chunk holding exactly `data`.
inline Bytes Track(const Bytes& data) {
    return Chunk("MTrk", static_cast<uint32_t>(data.size()), data);
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// A format 1 file with division 480 made of the given track data.
inline Bytes SmfFile(std::initializer_list<Bytes> trackData, uint16_t division = 480) {
    Bytes out = SmfHeader(1, static_cast<uint16_t>(trackData.size()), division);
    for (const Bytes& data : trackData) {
        Bytes chunk = Track(data);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

// A Set Tempo event `delta` ticks after the one before, as it lies in a track.
inline Bytes SetTempoEvent(uint8_t delta, uint32_t tempo) {
    return {delta,
            0xFF,
            0x51,
            0x03,
            static_cast<uint8_t>(tempo >> 16),
            static_cast<uint8_t>(tempo >> 8),
            static_cast<uint8_t>(tempo)};
}

// The stream event word of a Set Tempo of 500000 (120 beats a minute).
inline constexpr uint32_t TempoWord500000 = 0x0107A120;

// Tempo 500000 (a tick is 1041.7 us); a note on at 240 (250 ms), off at 480 (500 ms), and
// End of Track at 1920 (2 s) in a second track.
inline Bytes ShortSong() {
    return SmfFile({Concat({SetTempoEvent(0, 500000), {0x8F, 0x00, 0xFF, 0x2F, 0x00}}),
                    {0x81, 0x70, 0x90, 0x3C, 0x40, 0x81, 0x70, 0x80, 0x3C, 0x00, 0x8B, 0x20, 0xFF,
                     0x2F, 0x00}});
}

#ifdef KF_SONG_PATH
// The game's song as the build embeds it.
inline Bytes ReadSong() {
    return ReadFileBytes(KF_SONG_PATH);
}
#endif

// The player with its protected state opened up for inspection.
class TestPlayer : public MidiPlayer {
  public:
    using MidiPlayer::currentEvent;
    using MidiPlayer::division;
    using MidiPlayer::fileData;
    using MidiPlayer::fillFlags;
    using MidiPlayer::format;
    using MidiPlayer::heldDataBlocks;
    using MidiPlayer::insertTempo;
    using MidiPlayer::lastWrittenTime;
    using MidiPlayer::loopFlag;
    using MidiPlayer::tempo;
    using MidiPlayer::timeLimit;
    using MidiPlayer::trackCount;
    using MidiPlayer::tracks;

    std::vector<std::pair<uint32_t, std::string>> parseErrors;

    void OnParseError(uint32_t track, const char* message) override {
        parseErrors.emplace_back(track, message);
    }

    // Keeps its own copy of the file, which must outlive the parse.
    bool Load(const Bytes& file) {
        bytes = file;
        return ParseHeader(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

  private:
    Bytes bytes;
};

// One stream event as it lies in a buffer.
struct WrittenEvent {
    uint32_t delta;
    uint32_t streamId;
    uint32_t word;
    bool operator==(const WrittenEvent&) const = default;
};

// A buffer with its own 1024-byte block, set up for a fill the way the player does it.
class TestBuffer {
  public:
    TestBuffer() : block(StreamBufferBytes, 0xCD) {
        buffer.header.lpData = block.data();
        buffer.header.dwBufferLength = StreamBufferBytes;
        ResetForFill(buffer);
    }

    StreamBuffer& Prepared() {
        ResetForFill(buffer);
        return buffer;
    }

    std::vector<WrittenEvent> Events() const {
        std::vector<WrittenEvent> out;
        for (uint32_t at = 0; at + 12 <= buffer.used; at += 12) {
            out.push_back({Word(at), Word(at + 4), Word(at + 8)});
        }
        return out;
    }

    StreamBuffer buffer{};

  private:
    uint32_t Word(uint32_t at) const {
        const uint8_t* p = block.data() + at;
        return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
               (uint32_t{p[3]} << 24);
    }

    Bytes block;
};
