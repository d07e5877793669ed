// The embedded resources: look-up by type and name without regard to case, by number, and
// bytes identical to the files they were built from.
#include "resources/embedded_resources.h"
#include "resources/resource_ids.h"
#include "tests/support/file_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(EmbeddedResources, NamesAndTypesMatchWithoutRegardToCase) {
    const EmbeddedResource* upper = FindEmbeddedResource("WAVE", "KLATSCHEN");
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(FindEmbeddedResource("wave", "klatschen"), upper);
    EXPECT_EQ(FindEmbeddedResource("Wave", "KlAtScHeN"), upper);
    EXPECT_EQ(FindEmbeddedResource("WAVE", "klatsche"), nullptr);
    EXPECT_EQ(FindEmbeddedResource("WAVE", "klatschenx"), nullptr);
    EXPECT_EQ(FindEmbeddedResource("MIDI", "klatschen"), nullptr);
    EXPECT_EQ(FindEmbeddedResource(nullptr, "flush"), nullptr);
    EXPECT_EQ(FindEmbeddedResource("WAVE", nullptr), nullptr);
    EXPECT_NE(FindEmbeddedResource("ICON", "kesselfass"), nullptr);
}

TEST(EmbeddedResources, EachEmbeddedFileHasTheBytesOfItsSource) {
    struct Entry {
        const char* type;
        const char* name;
        const char* file;
    };
    std::vector<Entry> entries = {{"ICON", "KESSELFASS", "icon.bmp"}};
    for (const SoundEffectEntry& effect : SoundEffects) {
        entries.push_back({"WAVE", effect.resourceName, effect.fileName});
    }
    for (const Entry& entry : entries) {
        const EmbeddedResource* resource = FindEmbeddedResource(entry.type, entry.name);
        ASSERT_NE(resource, nullptr) << entry.name;
        const std::vector<uint8_t> file =
            ReadFileBytes(std::string(KF_RESOURCE_DIR) + "/" + entry.file);
        ASSERT_FALSE(file.empty()) << entry.file;
        ASSERT_EQ(resource->size, file.size()) << entry.file;
        EXPECT_EQ(std::vector<uint8_t>(resource->data, resource->data + resource->size), file)
            << entry.file;
    }
}

TEST(EmbeddedResources, TheSongIsFoundByItsNumberWhenItIsBuiltIn) {
    const std::vector<uint8_t> song = ReadFileBytes(std::string(KF_RESOURCE_DIR) + "/song.mid");
    const EmbeddedResource* resource = FindEmbeddedResourceById("midi", SongResourceId);
    if (song.empty()) {
        EXPECT_EQ(resource, nullptr);
        GTEST_SKIP() << "resources/song.mid is not there yet";
    }
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(resource->data, resource->data + resource->size), song);
    EXPECT_EQ(FindEmbeddedResourceById("WAVE", SongResourceId), nullptr);
    EXPECT_EQ(FindEmbeddedResourceById("MIDI", SongResourceId + 1), nullptr);
    EXPECT_EQ(FindEmbeddedResourceById("MIDI", 0), nullptr);
}
