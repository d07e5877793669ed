// The FluidSynth stream output, rendered offline: events sound at their own sample, and
// without a synthesizer the output does not open, so the player stays silent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/sdl/midi_stream_fluid.h"
#include "tests/music/smf_test_support.h"

namespace {

constexpr int Rate = 44100;

// A piano note on at tick 480 (0.5 s at 120 beats per minute), off at 960.
Bytes LateNote() {
    return SmfFile({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00, 0x83, 0x60,
                     0x90, 0x3C, 0x7F, 0x83, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
}

std::vector<int16_t> Render(FluidMidiStream& output, int frames) {
    std::vector<int16_t> samples(2 * frames);
    for (int at = 0; at < frames; at += 1024) {
        output.RenderFrames(samples.data() + 2 * at, std::min(1024, frames - at));
        output.WaitForNotifications();
    }
    return samples;
}

TEST(FluidOutput, EventsSoundAtTheirSample) {
    FluidMidiStream output;
    if (!output.StartOffline(Rate, nullptr)) {
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
    Bytes song = LateNote();
    std::vector<int16_t> samples;
    {
        MidiPlayer player(&output);
        ASSERT_TRUE(
            player.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr));
        ASSERT_TRUE(player.Play(false));
        samples = Render(output, Rate);
    }
    output.Shutdown();
    int onset = -1;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > 300) {
            onset = static_cast<int>(i / 2);
            break;
        }
    }
    // The note is due at frame 22050; the piano's attack needs a few milliseconds to rise.
    EXPECT_GE(onset, Rate / 2);
    EXPECT_LT(onset, Rate / 2 + Rate / 100);
}

TEST(FluidOutput, WithoutSynthesizerTheStreamDoesNotOpen) {
    FluidMidiStream output; // never started: no audio device or no SoundFont
    EXPECT_EQ(output.Open(nullptr, 0), MMSYSERR_NODRIVER);
    Bytes song = LateNote();
    MidiPlayer player(&output);
    EXPECT_FALSE(player.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr));
    EXPECT_FALSE(player.Play(true));
    std::vector<int16_t> samples(2 * 512, 1);
    output.RenderFrames(samples.data(), 512);
    EXPECT_EQ(samples, std::vector<int16_t>(2 * 512, 0));
}

} // namespace
