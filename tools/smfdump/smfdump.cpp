// smfdump: shows what the music player's buffer filling makes of a MIDI file, fill by fill,
// one line per 12-byte stream event. Other tools compare its output line by line.
//   smfdump FILE [--fills N] [--loop] [--game]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "music/midi_player.h"

namespace {

struct Options {
    const char* path = nullptr;
    long fills = 20;
    bool loop = false;
    bool game = false;
};

// A player that prints parse errors the moment the reader reports them, and that lets the
// tool set the loop and insert-tempo flags as Play would.
class DumpPlayer : public MidiPlayer {
  public:
    void OnParseError(uint32_t track, const char* message) override {
        std::printf("parse error track %u: %s\n", track, message);
    }

    void SetLoop(bool loop) { loopFlag = loop; }

    // The fill state after Play(true): the insert-tempo flag follows the previous loop flag.
    void StartPlaying() {
        if (!loopFlag) {
            insertTempo = true;
        }
        loopFlag = true;
    }
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fills") == 0 && i + 1 < argc) {
            char* end = nullptr;
            options.fills = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || options.fills < 0) {
                return false;
            }
        } else if (std::strcmp(argv[i], "--loop") == 0) {
            options.loop = true;
        } else if (std::strcmp(argv[i], "--game") == 0) {
            options.game = true;
        } else if (argv[i][0] == '-' || options.path != nullptr) {
            return false;
        } else {
            options.path = argv[i];
        }
    }
    return options.path != nullptr;
}

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void PrintFill(long index, int32_t result, const StreamBuffer& buffer) {
    std::printf("fill %ld result %d used %u\n", index, result, buffer.used);
    const uint8_t* events = buffer.header.lpData + buffer.fillOffset;
    for (uint32_t at = 0; at + StreamEventBytes <= buffer.used; at += StreamEventBytes) {
        std::printf("  %u %u 0x%08X\n", LittleEndian32(events + at),
                    LittleEndian32(events + at + 4), LittleEndian32(events + at + 8));
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: smfdump FILE [--fills N] [--loop] [--game]\n");
        return 2;
    }
    std::ifstream in(options.path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "smfdump: cannot open %s\n", options.path);
        return 2;
    }
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());

    DumpPlayer player;
    if (!player.ParseHeader(file.data(), static_cast<uint32_t>(file.size()))) {
        std::printf("load failed\n");
        return 1;
    }
    player.SetLoop(options.loop);

    std::vector<uint8_t> block(StreamBufferBytes);
    StreamBuffer buffer{};
    buffer.header.lpData = block.data();
    buffer.header.dwBufferLength = StreamBufferBytes;
    for (long i = 0; i < options.fills; ++i) {
        // The game prefills two buffers at load with the loop flag clear, then plays.
        if (options.game && i == 2) {
            player.StartPlaying();
        }
        ResetForFill(buffer);
        int32_t result = player.FillBuffer(i == 0, buffer);
        PrintFill(i, result, buffer);
    }
    return 0;
}
