// PlaySoundEffect on a real SDL audio device (SDL's disk driver writes the mixed output to a
// file): names, the drop rule, and the callback's order of music first, effect on top.
#include "game/platform_calls.h"
#include "platform/sdl/audio_output.h"
#include "platform/sdl/effect_voice.h"
#include "platform/wave_data.h"
#include "resources/embedded_resources.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int16_t MusicLevel = 1000;

void ConstantMusic(int16_t* frames, int frameCount, void* ctx) {
    ++*static_cast<int*>(ctx);
    for (int i = 0; i < 2 * frameCount; ++i) {
        frames[i] = MusicLevel;
    }
}

// Waits (with a generous deadline) until the voice has finished its sound.
bool WaitForVoiceToEnd() {
    for (int waited = 0; waited < 30000; waited += 10) {
        if (!SoundEffectVoice.playing.load()) {
            return true;
        }
        SDL_Delay(10);
    }
    return false;
}

// Waits until the disk driver has written `bytes` more to the capture file: the driver keeps
// real-time pace, which a busy machine stretches, so a fixed delay is not enough.
bool WaitForCaptureToGrow(const std::string& path, uintmax_t bytes) {
    std::error_code error;
    const uintmax_t start = std::filesystem::file_size(path, error);
    for (int waited = 0; waited < 30000; waited += 10) {
        if (std::filesystem::file_size(path, error) >= start + bytes) {
            return true;
        }
        SDL_Delay(10);
    }
    return false;
}

std::vector<int16_t> ReadCapture(const std::string& path) {
    std::vector<int16_t> samples;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return samples;
    }
    int16_t buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, sizeof(int16_t), 4096, file)) > 0) {
        samples.insert(samples.end(), buffer, buffer + got);
    }
    std::fclose(file);
    return samples;
}

// The index of the first left-channel sample that is neither silence nor the music alone.
// Until it is unpaused the device writes silence, which a busy machine lets reach the file
// before the first mixed block.
size_t FirstSampleAfterTheMusicAlone(const std::vector<int16_t>& captured) {
    size_t at = 0;
    while (at < captured.size() && captured[at] == 0) {
        at += 2;
    }
    while (at < captured.size() && captured[at] == MusicLevel) {
        at += 2;
    }
    return at;
}

class SoundEffectsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // ctest runs the cases of this file as parallel processes: one capture file each.
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        capturePath = ::testing::TempDir() + "kf_capture_" + info->name() + "_" +
                      std::to_string(getpid()) + ".raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capturePath.c_str(), 1);
    }
    void TearDown() override {
        CloseAudioOutput();
        std::remove(capturePath.c_str());
    }
    std::string capturePath;
};

} // namespace

TEST_F(SoundEffectsTest, WithoutAnAudioDeviceEveryRequestIsSilent) {
    ASSERT_FALSE(AudioOutputIsOpen());
    EXPECT_EQ(AudioOutputSampleRate(), 0);
    EXPECT_FALSE(PlaySoundEffect("flush"));
    EXPECT_FALSE(SoundEffectVoice.playing.load());
}

TEST_F(SoundEffectsTest, NamesAreFoundWithoutRegardToCaseAndUnknownNamesFail) {
    ASSERT_TRUE(OpenAudioOutput());
    EXPECT_GT(AudioOutputSampleRate(), 0);
    EXPECT_FALSE(PlaySoundEffect("nosuchsound"));
    EXPECT_FALSE(PlaySoundEffect(""));
    EXPECT_FALSE(PlaySoundEffect(nullptr));
    EXPECT_TRUE(PlaySoundEffect("FaRt2"));
}

TEST_F(SoundEffectsTest, ARequestWhileAnEffectPlaysIsDroppedUntilItEnds) {
    ASSERT_TRUE(OpenAudioOutput());
    ASSERT_TRUE(PlaySoundEffect("fart2")); // 1.3 s
    EXPECT_FALSE(PlaySoundEffect("flush"));
    EXPECT_FALSE(PlaySoundEffect("fart2"));
    ASSERT_TRUE(WaitForVoiceToEnd());
    EXPECT_TRUE(PlaySoundEffect("klatschen"));
}

TEST_F(SoundEffectsTest, TheCallbackMixesTheEffectOnTopOfTheMusic) {
    int musicCalls = 0;
    SetMusicRenderer(ConstantMusic, &musicCalls); // registered before the device opens
    ASSERT_TRUE(OpenAudioOutput());
    const int rate = AudioOutputSampleRate();
    ASSERT_TRUE(PlaySoundEffect("rel"));
    ASSERT_TRUE(WaitForVoiceToEnd());
    // A few more blocks of music alone (the check below reads 8192 samples past the effect).
    ASSERT_TRUE(WaitForCaptureToGrow(capturePath, 4 * 8192 * sizeof(int16_t)));
    SetMusicRenderer(nullptr, nullptr);
    CloseAudioOutput();
    EXPECT_GT(musicCalls, 0);

    // What the voice alone makes of "rel" at this rate, for comparison.
    const EmbeddedResource* rel = FindEmbeddedResource("WAVE", "rel");
    WaveSamples sound;
    ASSERT_TRUE(ParseWave(rel->data, rel->size, &sound));
    EffectVoice alone;
    ASSERT_TRUE(StartEffect(alone, sound));
    const int effectFrames =
        static_cast<int>(sound.sampleCount * static_cast<int64_t>(rate) / sound.sampleRate);
    std::vector<int16_t> expected(2 * static_cast<size_t>(effectFrames + 16), 0);
    MixEffect(alone, expected.data(), effectFrames + 16, rate);

    const std::vector<int16_t> captured = ReadCapture(capturePath);
    // The sound may begin with zero samples: align on the first audible one.
    size_t firstAudible = 0;
    while (firstAudible < expected.size() && expected[firstAudible] == 0) {
        firstAudible += 2;
    }
    const size_t heard = FirstSampleAfterTheMusicAlone(captured);
    ASSERT_GE(heard, firstAudible);
    const size_t onset = heard - firstAudible;
    ASSERT_LT(onset + expected.size() + 8192, captured.size()) << "the effect is not captured";
    for (size_t i = 0; i < expected.size(); ++i) {
        const int sum = MusicLevel + expected[i];
        const int clipped = sum > 32767 ? 32767 : (sum < -32768 ? -32768 : sum);
        ASSERT_EQ(captured[onset + i], clipped) << "sample " << i;
    }
    // After the effect the music goes on alone.
    for (size_t i = onset + expected.size(); i < onset + expected.size() + 8192; ++i) {
        ASSERT_EQ(captured[i], MusicLevel) << "sample " << i;
    }
}
