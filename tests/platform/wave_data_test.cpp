// WAVE parsing: the embedded effects, and damaged images that must be refused safely.
#include "platform/wave_data.h"

#include "resources/embedded_resources.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

void PutFormat(std::vector<uint8_t>& out, uint32_t tag, uint32_t channels, uint32_t rate,
               uint32_t bits) {
    PutTag(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, tag, 2);
    PutLe(out, channels, 2);
    PutLe(out, rate, 4);
    PutLe(out, rate * channels * bits / 8, 4);
    PutLe(out, channels * bits / 8, 2);
    PutLe(out, bits, 2);
}

// A RIFF header followed by whatever chunks the case puts in.
std::vector<uint8_t> RiffHeader() {
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    PutLe(out, 0, 4); // the RIFF size is not relied on
    PutTag(out, "WAVE");
    return out;
}

void PutData(std::vector<uint8_t>& out, uint32_t declaredBytes, uint32_t actualBytes) {
    PutTag(out, "data");
    PutLe(out, declaredBytes, 4);
    for (uint32_t i = 0; i < actualBytes; ++i) {
        out.push_back(static_cast<uint8_t>(i));
    }
}

} // namespace

TEST(WaveData, EveryEffectIsMono16BitAtItsLength) {
    // The lengths the game's sound table gives its effects.
    const std::map<std::string, double> seconds = {{"fart1", 2.8},     {"fart2", 1.3},
                                                   {"fart3", 2.8},     {"rel", 1.6},
                                                   {"klatschen", 4.4}, {"flush", 4.3}};
    for (const SoundEffectEntry& effect : SoundEffects) {
        const EmbeddedResource* resource = FindEmbeddedResource("WAVE", effect.name);
        ASSERT_NE(resource, nullptr) << effect.name;
        WaveSamples sound;
        ASSERT_TRUE(ParseWave(resource->data, resource->size, &sound)) << effect.name;
        EXPECT_EQ(sound.sampleRate, 22050u);
        const auto length = seconds.find(effect.name);
        if (length != seconds.end()) {
            EXPECT_NEAR(sound.sampleCount / 22050.0, length->second, 0.05) << effect.name;
        }
        // The samples lie inside the image.
        EXPECT_LE(sound.samples + 2u * sound.sampleCount, resource->data + resource->size);
    }
}

TEST(WaveData, SkipsUnknownChunksWithTheirPaddingByte) {
    std::vector<uint8_t> image = RiffHeader();
    PutTag(image, "LIST");
    PutLe(image, 3, 4);
    image.insert(image.end(), {'a', 'b', 'c', 0}); // odd size plus its pad byte
    PutFormat(image, 1, 1, 22050, 16);
    PutTag(image, "fact");
    PutLe(image, 4, 4);
    PutLe(image, 5, 4);
    PutData(image, 10, 10);
    WaveSamples sound;
    ASSERT_TRUE(ParseWave(image.data(), image.size(), &sound));
    EXPECT_EQ(sound.sampleCount, 5u);
    EXPECT_EQ(sound.samples, image.data() + image.size() - 10);
}

TEST(WaveData, ADataChunkLongerThanTheImageIsCutToWhatIsThere) {
    std::vector<uint8_t> image = RiffHeader();
    PutFormat(image, 1, 1, 22050, 16);
    PutData(image, 0xFFFFFFF0u, 7);
    WaveSamples sound;
    ASSERT_TRUE(ParseWave(image.data(), image.size(), &sound));
    EXPECT_EQ(sound.sampleCount, 3u);
}

TEST(WaveData, RefusesFormatsTheVoiceCannotPlay) {
    const struct {
        uint32_t tag, channels, rate, bits;
    } formats[] = {{0x55, 1, 22050, 16},
                   {1, 2, 22050, 16},
                   {1, 1, 22050, 8},
                   {1, 1, 0, 16},
                   {1, 1, 4000000, 16}};
    for (const auto& f : formats) {
        std::vector<uint8_t> image = RiffHeader();
        PutFormat(image, f.tag, f.channels, f.rate, f.bits);
        PutData(image, 8, 8);
        WaveSamples sound;
        EXPECT_FALSE(ParseWave(image.data(), image.size(), &sound))
            << f.tag << " " << f.channels << " " << f.rate << " " << f.bits;
    }
}

TEST(WaveData, RefusesDamagedImagesWithoutReadingPastThem) {
    std::vector<uint8_t> good = RiffHeader();
    PutFormat(good, 1, 1, 22050, 16);
    PutData(good, 8, 8);
    WaveSamples sound;
    // Every truncation of a good image is either refused or parsed within its bounds; the
    // sanitizer build catches a read past the copy.
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
        if (ParseWave(cut.data(), cut.size(), &sound)) {
            EXPECT_LE(sound.samples + 2u * sound.sampleCount, cut.data() + cut.size());
        }
    }
    std::vector<uint8_t> noFormat = RiffHeader();
    PutData(noFormat, 8, 8);
    EXPECT_FALSE(ParseWave(noFormat.data(), noFormat.size(), &sound));

    std::vector<uint8_t> hugeChunk = RiffHeader();
    PutTag(hugeChunk, "junk");
    PutLe(hugeChunk, 0xFFFFFFFFu, 4);
    PutFormat(hugeChunk, 1, 1, 22050, 16);
    PutData(hugeChunk, 8, 8);
    EXPECT_FALSE(ParseWave(hugeChunk.data(), hugeChunk.size(), &sound));

    std::vector<uint8_t> notRiff = good;
    std::memcpy(notRiff.data(), "RIFX", 4);
    EXPECT_FALSE(ParseWave(notRiff.data(), notRiff.size(), &sound));

    std::vector<uint8_t> emptyData = RiffHeader();
    PutFormat(emptyData, 1, 1, 22050, 16);
    PutData(emptyData, 0, 0);
    EXPECT_FALSE(ParseWave(emptyData.data(), emptyData.size(), &sound));
    EXPECT_FALSE(ParseWave(nullptr, 100, &sound));
}
