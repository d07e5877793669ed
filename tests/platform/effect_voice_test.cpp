// The one effect voice: requests while it plays are dropped, it mixes onto what is already in
// the buffer on both channels with clipping, and it resamples 22050 Hz to the device rate.
#include "platform/sdl/effect_voice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Little-endian 16-bit samples as a WAVE data chunk holds them.
std::vector<uint8_t> Pcm(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        const uint16_t u = static_cast<uint16_t>(s);
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

WaveSamples Sound(const std::vector<uint8_t>& pcm, uint32_t rate) {
    return {pcm.data(), static_cast<uint32_t>(pcm.size() / 2), rate};
}

} // namespace

TEST(EffectVoice, ARequestWhileAnEffectPlaysIsDroppedNotQueued) {
    EffectVoice voice;
    const std::vector<uint8_t> first = Pcm({100, 100, 100, 100});
    const std::vector<uint8_t> second = Pcm({-7, -7, -7, -7, -7, -7});
    ASSERT_TRUE(StartEffect(voice, Sound(first, 22050)));
    EXPECT_FALSE(StartEffect(voice, Sound(second, 22050)));

    std::vector<int16_t> frames(2 * 16, 0);
    MixEffect(voice, frames.data(), 16, 22050);
    // Only the first sound was heard, and after it silence: the second was never queued.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(frames[2 * i], 100);
    }
    for (int i = 4; i < 16; ++i) {
        EXPECT_EQ(frames[2 * i], 0) << "frame " << i;
    }
    EXPECT_FALSE(voice.playing.load());
    EXPECT_TRUE(StartEffect(voice, Sound(second, 22050)));
}

TEST(EffectVoice, AddsToTheMusicOnBothChannelsAndClips) {
    EffectVoice voice;
    const std::vector<uint8_t> pcm = Pcm({30000, -30000, 1000});
    ASSERT_TRUE(StartEffect(voice, Sound(pcm, 22050)));
    std::vector<int16_t> frames = {10000, -5000, -10000, 5000, 7, 8};
    MixEffect(voice, frames.data(), 3, 22050);
    EXPECT_EQ(frames, (std::vector<int16_t>{32767, 25000, -32768, -25000, 1007, 1008}));
}

TEST(EffectVoice, ResamplesToTheDeviceRateByInterpolation) {
    EffectVoice voice;
    const std::vector<uint8_t> pcm = Pcm({0, 1000, 3000, -1000});
    ASSERT_TRUE(StartEffect(voice, Sound(pcm, 22050)));
    // At 44100 Hz each source sample lasts two frames; the last one fades towards silence.
    std::vector<int16_t> frames(2 * 10, 0);
    MixEffect(voice, frames.data(), 10, 44100);
    const int16_t expected[] = {0, 500, 1000, 2000, 3000, 1000, -1000, -500, 0, 0};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(frames[2 * i], expected[i]) << "frame " << i;
        EXPECT_EQ(frames[2 * i + 1], expected[i]) << "frame " << i;
    }
    EXPECT_FALSE(voice.playing.load());
}

TEST(EffectVoice, AnEffectSpanningManyCallbacksLastsItsLengthAtTheDeviceRate) {
    EffectVoice voice;
    const std::vector<uint8_t> pcm = Pcm(std::vector<int16_t>(22050, 1)); // one second
    ASSERT_TRUE(StartEffect(voice, Sound(pcm, 22050)));
    int framesHeard = 0;
    std::vector<int16_t> frames(2 * 512);
    for (int callback = 0; callback < 200 && voice.playing.load(); ++callback) {
        std::fill(frames.begin(), frames.end(), 0);
        MixEffect(voice, frames.data(), 512, 48000);
        for (int i = 0; i < 512; ++i) {
            framesHeard += frames[2 * i] != 0 ? 1 : 0;
        }
    }
    EXPECT_FALSE(voice.playing.load());
    EXPECT_NEAR(framesHeard, 48000, 2);
}

TEST(EffectVoice, EmptySoundsDoNotStart) {
    EffectVoice voice;
    EXPECT_FALSE(StartEffect(voice, WaveSamples{}));
    EXPECT_FALSE(voice.playing.load());
}
