// Fuzz target for the MIDI reader and the buffer filling: arbitrary bytes are loaded and filled
// many times with looping on, as the game plays them, then rewound and filled without loop.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music/midi_player.h"

namespace {

class FuzzPlayer : public MidiPlayer {
  public:
    void SetLoop(bool loop) { loopFlag = loop; }
    void SetInsertTempo() { insertTempo = true; }
    uint32_t HeldBlocks() const { return heldDataBlocks; }
};

// Invariants every fill must keep, whatever the input.
void CheckFill(const FuzzPlayer& player, const StreamBuffer& buffer) {
    if (buffer.used > buffer.capacity || buffer.used % StreamEventBytes != 0 ||
        player.HeldBlocks() > 1) {
        __builtin_trap();
    }
}

void FillMany(FuzzPlayer& player, StreamBuffer& buffer, int fills, bool first) {
    for (int i = 0; i < fills; ++i) {
        if (i == 2) {
            player.SetInsertTempo(); // as the first Play does after the two prefills
        }
        ResetForFill(buffer);
        player.FillBuffer(first && i == 0, buffer);
        CheckFill(player, buffer);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFF) {
        return 0;
    }
    // A copy of exactly `size` bytes, so that any read past the end is caught.
    std::vector<uint8_t> file(data, data + size);
    FuzzPlayer player;
    if (!player.ParseHeader(file.data(), static_cast<uint32_t>(size))) {
        return 0;
    }
    std::vector<uint8_t> block(StreamBufferBytes);
    StreamBuffer buffer{};
    buffer.header.lpData = block.data();
    buffer.header.dwBufferLength = StreamBufferBytes;

    player.SetLoop(true);
    FillMany(player, buffer, 48, true);
    player.SetLoop(false);
    player.RewindTracks();
    FillMany(player, buffer, 16, true);
    return 0;
}
