// The game's song: the reader takes it, the filling runs it to the end and around the loop,
// and it is what the music asks for (five tracks, GM programs, volume moves, a minute long).
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/music/smf_test_support.h"

namespace {

// Fills until the song ends once (EndOfSong); false on any failed fill.
bool FillOnePass(TestPlayer& player, bool first, std::vector<WrittenEvent>& events) {
    TestBuffer buffer;
    for (int fills = 0; fills < 10000; ++fills) {
        int32_t result = player.FillBuffer(first && fills == 0, buffer.Prepared());
        if (result != 0) {
            return false;
        }
        std::vector<WrittenEvent> written = buffer.Events();
        events.insert(events.end(), written.begin(), written.end());
        if (player.fillFlags & EndOfSong) {
            return true;
        }
    }
    return false;
}

// The time of the last End of Track, read straight from the tracks.
uint32_t SongEndTicks(const Bytes& song) {
    TestPlayer reader;
    EXPECT_TRUE(reader.Load(song));
    uint32_t end = 0;
    SmfEvent event{};
    for (int32_t track = reader.PickNextTrack(); track >= 0; track = reader.PickNextTrack()) {
        EXPECT_TRUE(reader.ReadEvent(static_cast<uint32_t>(track), event));
        end = event.time;
    }
    reader.ReleaseEventData(event);
    return end;
}

TEST(Song, IsAFormatOneFileWithFiveTracksAt480) {
    Bytes song = ReadSong();
    EXPECT_GT(song.size(), 8000u);
    EXPECT_LT(song.size(), 12000u);
    TestPlayer player;
    ASSERT_TRUE(player.Load(song));
    EXPECT_EQ(player.format, 1);
    EXPECT_EQ(player.trackCount, 5);
    EXPECT_EQ(player.division, 480);
}

TEST(Song, PlaysToTheEndWithWhatTheMusicNeeds) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(ReadSong()));
    std::vector<WrittenEvent> events;
    ASSERT_TRUE(FillOnePass(player, true, events));
    TestBuffer buffer;
    EXPECT_EQ(player.FillBuffer(false, buffer.Prepared()), SongEnded);
    EXPECT_TRUE(player.parseErrors.empty());
    EXPECT_EQ(player.heldDataBlocks, 0u);

    double microseconds = 0;
    uint32_t tempo = 500000;
    int tempoEvents = 0;
    std::set<int> programChannels, volumeChannels, noteChannels;
    std::map<int, int> sounding; // channel * 128 + key -> notes on
    for (const WrittenEvent& e : events) {
        microseconds += double(e.delta) * tempo / 480;
        int channel = e.word & 0x0F;
        int status = e.word & 0xF0;
        int key = (e.word >> 8) & 0x7F;
        if ((e.word >> 24) == MEVT_TEMPO) {
            tempo = e.word & 0xFFFFFF;
            ++tempoEvents;
        } else if (status == 0xC0) {
            programChannels.insert(channel);
        } else if (status == 0xB0 && key == 7) {
            EXPECT_EQ(e.word & MEVT_F_CALLBACK, MEVT_F_CALLBACK);
            volumeChannels.insert(channel);
        } else if (status == 0x90 && (e.word >> 16 & 0x7F) != 0) {
            noteChannels.insert(channel);
            ++sounding[channel * 128 + key];
        } else if (status == 0x80 || status == 0x90) {
            --sounding[channel * 128 + key];
        }
    }
    EXPECT_GE(tempoEvents, 1);
    EXPECT_GE(microseconds, 60e6);
    EXPECT_EQ(programChannels, (std::set<int>{0, 1, 2}));
    EXPECT_EQ(volumeChannels, (std::set<int>{0, 1, 2, 9}));
    EXPECT_EQ(noteChannels, (std::set<int>{0, 1, 2, 9})); // drums on MIDI channel 10
    for (const auto& [note, count] : sounding) {
        EXPECT_EQ(count, 0) << "note left sounding: channel " << note / 128 << " key "
                            << note % 128;
    }
}

TEST(Song, LoopsOnTheBarLineAndRepeatsExactly) {
    Bytes song = ReadSong();
    TestPlayer player;
    ASSERT_TRUE(player.Load(song));
    player.loopFlag = true;
    std::vector<WrittenEvent> first, second;
    ASSERT_TRUE(FillOnePass(player, true, first));
    // The last event written lies on the final bar line, so no time is lost at the loop.
    EXPECT_EQ(player.lastWrittenTime, SongEndTicks(song));
    EXPECT_EQ(player.lastWrittenTime % (4 * 480), 0u);
    ASSERT_TRUE(FillOnePass(player, false, second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(player.heldDataBlocks, 0u);
}

} // namespace
