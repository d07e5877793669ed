// The MIDI file reader: header and chunk rules, reads that stop at the end of the data,
// running status, variable-length quantities, the merge of tracks and the data blocks.
#include <gtest/gtest.h>

#include "tests/music/smf_test_support.h"

namespace {

const Bytes EndOfTrack = {0xFF, 0x2F, 0x00};

Bytes NoteTrack() {
    return {0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
}

// Reads events from `track` until a read fails; returns how many succeeded.
int ReadAll(TestPlayer& player, uint32_t track) {
    SmfEvent event{};
    int count = 0;
    while (player.ReadEvent(track, event)) {
        ++count;
    }
    player.ReleaseEventData(event);
    return count;
}

TEST(SmfHeader, LoadsHeaderFieldsAndTracks) {
    TestPlayer player;
    Bytes file = Concat({SmfHeader(1, 2, 0x81E0), Track(NoteTrack()), Track(NoteTrack())});
    ASSERT_TRUE(player.Load(file));
    EXPECT_NE(player.fileData, nullptr);
    EXPECT_EQ(player.format, 1);
    EXPECT_EQ(player.trackCount, 2);
    EXPECT_EQ(player.division, 0x81E0); // bit 15 is no time-code flag here
    ASSERT_EQ(player.tracks.size(), 2u);
    EXPECT_EQ(player.tracks[1].length, NoteTrack().size());
    EXPECT_EQ(player.tracks[1].start, player.fileData + 14 + 8 + NoteTrack().size() + 8);
    EXPECT_EQ(player.tracks[0].nextTime, 0u);
}

TEST(SmfHeader, RejectsWrongMagicHeaderLengthAndChunkType) {
    Bytes good = SmfFile({NoteTrack()});
    Bytes badMagic = good;
    badMagic[3] = 'x';
    Bytes longHeader =
        Concat({{'M', 'T', 'h', 'd', 0, 0, 0, 8, 0, 1, 0, 1, 1, 0xE0, 0, 0}, Track(NoteTrack())});
    Bytes otherChunk =
        Concat({SmfHeader(1, 2, 480), Chunk("XFIH", 4, {1, 2, 3, 4}), Track(NoteTrack())});
    for (const Bytes* file : {&badMagic, &longHeader, &otherChunk}) {
        TestPlayer player;
        EXPECT_FALSE(player.Load(*file));
        EXPECT_EQ(player.fileData, nullptr);
        EXPECT_TRUE(player.parseErrors.empty());
    }
    TestPlayer player;
    EXPECT_TRUE(player.Load(good));
}

TEST(SmfHeader, FailsWhenHeadersOrFirstDeltaLieBeyondTheData) {
    Bytes good = SmfFile({NoteTrack(), NoteTrack()});
    Bytes shortHeader(good.begin(), good.begin() + 13);
    Bytes missingChunk = Concat({SmfHeader(1, 3, 480), Track(NoteTrack()), Track(NoteTrack())});
    Bytes cutChunkHeader = Concat({SmfHeader(1, 2, 480), Track(NoteTrack()), {'M', 'T', 'r', 'k'}});
    Bytes noFirstDelta = Concat({SmfHeader(1, 1, 480), Chunk("MTrk", 4, {})});
    Bytes cutFirstDelta = Concat({SmfHeader(1, 1, 480), Chunk("MTrk", 4, {0x81})});
    for (const Bytes* file :
         {&shortHeader, &missingChunk, &cutChunkHeader, &noFirstDelta, &cutFirstDelta}) {
        TestPlayer player;
        EXPECT_FALSE(player.Load(*file));
        EXPECT_EQ(player.fileData, nullptr);
    }
}

TEST(SmfHeader, LastChunkLongerThanTheDataLoadsAndItsReadsStopAtTheEnd) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(
        Concat({SmfHeader(1, 1, 480), Chunk("MTrk", 1000, {0x00, 0x90, 0x3C, 0x40, 0x00})})));
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.status, 0x90);
    EXPECT_FALSE(player.ReadEvent(0, event)); // the next status byte lies beyond the data
    uint8_t byte = 0;
    EXPECT_FALSE(player.ReadByte(0, byte));
    EXPECT_TRUE(player.parseErrors.empty());

    // A SysEx there claims more than is left: it reads what there is and fails as truncated.
    TestPlayer sysex;
    ASSERT_TRUE(sysex.Load(
        Concat({SmfHeader(1, 1, 480), Chunk("MTrk", 500, {0x00, 0xF0, 0x64, 1, 2, 3})})));
    EXPECT_FALSE(sysex.ReadEvent(0, event));
    ASSERT_NE(event.data, nullptr);
    EXPECT_EQ(event.data[2], 3);
    EXPECT_EQ(sysex.heldDataBlocks, 1u);
    ASSERT_EQ(sysex.parseErrors.size(), 1u);
    EXPECT_EQ(sysex.parseErrors[0].second, "SysEx event truncated");
    sysex.ReleaseEventData(event);
}

TEST(SmfHeader, HugeChunkLengthDoesNotWrapBackIntoTheFile) {
    // 22 + 0xFFFFFFF8 wraps to 14 in 32 bits, where the first chunk would be read again.
    Bytes file = Concat({SmfHeader(1, 2, 480), Chunk("MTrk", 0xFFFFFFF8, NoteTrack())});
    TestPlayer player;
    EXPECT_FALSE(player.Load(file));
}

TEST(SmfHeader, SecondLoadFailsAndChangesNothing) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({NoteTrack()})));
    const uint8_t* first = player.fileData;
    Bytes other = SmfFile({NoteTrack(), NoteTrack()}, 96);
    EXPECT_FALSE(player.ParseHeader(other.data(), static_cast<uint32_t>(other.size())));
    EXPECT_EQ(player.fileData, first);
    EXPECT_EQ(player.trackCount, 1);
    EXPECT_EQ(player.division, 480);
}

TEST(SmfTracks, EmptyTrackIsEndedFromTheStartAndNeverPicked) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{}, NoteTrack()})));
    EXPECT_EQ(player.tracks[0].flags, TrackEnded);
    EXPECT_EQ(player.PickNextTrack(), 1);
    SmfEvent event{};
    EXPECT_FALSE(player.ReadEvent(0, event));
    uint32_t value = 0;
    EXPECT_FALSE(player.ReadVarLen(0, value));

    TestPlayer none;
    ASSERT_TRUE(none.Load(SmfHeader(0, 0, 480)));
    EXPECT_EQ(none.PickNextTrack(), -1);
}

TEST(SmfEvents, ChannelMessagesAndRunningStatus) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x00, 0x90, 0x3C, 0x40, 0x10, 0x3E, 0x41, 0x20, 0xC2, 0x05,
                                      0x05, 0x06, 0x00, 0xFF, 0x2F, 0x00}})));
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.time, 0u);
    EXPECT_EQ(event.length, 3u);
    ASSERT_TRUE(player.ReadEvent(0, event)); // running status 0x90
    EXPECT_EQ(event.status, 0x90);
    EXPECT_EQ(event.data1, 0x3E);
    EXPECT_EQ(event.data2, 0x41);
    EXPECT_EQ(event.time, 0x10u);
    ASSERT_TRUE(player.ReadEvent(0, event)); // program change: one data byte
    EXPECT_EQ(event.status, 0xC2);
    EXPECT_EQ(event.data1, 0x05);
    EXPECT_EQ(event.data2, 0);
    EXPECT_EQ(event.length, 2u);
    EXPECT_EQ(event.time, 0x30u);
    ASSERT_TRUE(player.ReadEvent(0, event)); // running program change takes one byte too
    EXPECT_EQ(event.status, 0xC2);
    EXPECT_EQ(event.data1, 0x06);
    EXPECT_EQ(event.length, 2u);
    EXPECT_EQ(event.time, 0x35u);
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.data1, MetaEndOfTrack);
    EXPECT_EQ(player.tracks[0].flags, TrackEnded);
}

TEST(SmfEvents, RunningStatusCarriesAcrossMetaAndSysEx) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(
        SmfFile({{0x00, 0xB1, 0x07, 0x64, 0x00, 0xFF, 0x01, 0x02, 'h',  'i',  0x00, 0x07,
                  0x50, 0x00, 0xF0, 0x01, 0xF7, 0x00, 0x07, 0x40, 0x00, 0xFF, 0x2F, 0x00}})));
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(0, event));
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.status, 0xFF);
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.status, 0xB1);
    EXPECT_EQ(event.data2, 0x50);
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.status, 0xF0);
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(event.status, 0xB1);
    EXPECT_EQ(event.data2, 0x40);
    player.ReleaseEventData(event);
}

TEST(SmfEvents, DataByteWithoutRunningStatusIsReportedWithItsTrack) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({NoteTrack(), {0x00, 0xFF, 0x01, 0x00, 0x00, 0x3C, 0x40}})));
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(1, event)); // the meta event before it is fine
    EXPECT_FALSE(player.ReadEvent(1, event));
    ASSERT_EQ(player.parseErrors.size(), 1u);
    EXPECT_EQ(player.parseErrors[0].first, 1u);
    EXPECT_EQ(player.parseErrors[0].second, "Reference to missing running status.");
}

struct TruncationCase {
    Bytes track;
    const char* message; // nullptr: nothing reported
};

TEST(SmfEvents, CutOffEventsFailWithTheirMessages) {
    const TruncationCase cases[] = {
        {{0x00, 0xF0, 0x83}, "SysEx event truncated (length)"},
        {{0x00, 0xF7, 0x03, 0x01}, "SysEx event truncated"},
        {{0x00, 0xFF, 0x01, 0x82}, "Meta event truncated (length)"},
        {{0x00, 0xFF, 0x03, 0x04, 'a', 'b'}, "Meta event truncated"},
        {{0x00, 0xFF}, nullptr},                         // meta type missing
        {{0x00, 0x90, 0x3C}, nullptr},                   // channel message cut off
        {{0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E}, nullptr}, // cut off under running status
        {{0x00, 0xF1, 0x00}, nullptr},                   // not a status a file may hold
        {{0x00, 0x90, 0x3C, 0x40}, nullptr},             // no delta after the last event
    };
    for (const TruncationCase& c : cases) {
        TestPlayer player;
        ASSERT_TRUE(player.Load(SmfFile({NoteTrack(), c.track})));
        ReadAll(player, 1);
        if (c.message == nullptr) {
            EXPECT_TRUE(player.parseErrors.empty());
        } else {
            ASSERT_EQ(player.parseErrors.size(), 1u) << c.message;
            EXPECT_EQ(player.parseErrors[0].first, 1u);
            EXPECT_EQ(player.parseErrors[0].second, c.message);
        }
        EXPECT_EQ(player.heldDataBlocks, 0u);
    }
}

TEST(SmfEvents, EndOfTrackEndsTheTrackAtOnce) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x00, 0xFF, 0x2F, 0x00, 0xF1, 0xF1, 0xF1}})));
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(player.tracks[0].flags, TrackEnded);
    const uint8_t* position = player.tracks[0].position;
    EXPECT_FALSE(player.ReadEvent(0, event));
    EXPECT_EQ(player.tracks[0].position, position);
    EXPECT_EQ(player.PickNextTrack(), -1);
}

TEST(SmfVarLen, LongQuantitiesKeepTheLow32Bits) {
    // 0x8F FF FF FF 7F folds to exactly 0xFFFFFFFF; 0x81 80 80 80 80 00 is 2^35, low bits 0.
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x81, 0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x40, 0x8F,
                                      0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00}})));
    EXPECT_EQ(player.tracks[0].nextTime, 0u);
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_EQ(player.tracks[0].nextTime, 0xFFFFFFFFu);
    // A next time of 0xFFFFFFFF is never picked.
    EXPECT_EQ(player.PickNextTrack(), -1);
}

TEST(SmfMerge, EarliestTrackFirstAndFileOrderBreaksTies) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({
        {0x0A, 0x90, 0x01, 0x01, 0x0A, 0x90, 0x02, 0x01, 0x00, 0xFF, 0x2F, 0x00},
        {0x00, 0x91, 0x03, 0x01, 0x0A, 0x91, 0x04, 0x01, 0x0A, 0x91, 0x05, 0x01, 0x00, 0xFF, 0x2F,
         0x00},
        {0x0A, 0x92, 0x06, 0x01, 0x00, 0xFF, 0x2F, 0x00},
    })));
    std::vector<std::pair<uint32_t, uint8_t>> order; // (time, key)
    SmfEvent event{};
    for (int32_t track = player.PickNextTrack(); track >= 0; track = player.PickNextTrack()) {
        ASSERT_TRUE(player.ReadEvent(static_cast<uint32_t>(track), event));
        if (event.status != 0xFF) {
            order.emplace_back(event.time, event.data1);
        }
    }
    std::vector<std::pair<uint32_t, uint8_t>> expected = {{0, 3},  {10, 1}, {10, 4},
                                                          {10, 6}, {20, 2}, {20, 5}};
    EXPECT_EQ(order, expected);

    // After a rewind the same sequence comes again.
    ASSERT_TRUE(player.RewindTracks());
    std::vector<std::pair<uint32_t, uint8_t>> again;
    for (int32_t track = player.PickNextTrack(); track >= 0; track = player.PickNextTrack()) {
        ASSERT_TRUE(player.ReadEvent(static_cast<uint32_t>(track), event));
        if (event.status != 0xFF) {
            again.emplace_back(event.time, event.data1);
        }
    }
    EXPECT_EQ(again, expected);
}

TEST(SmfMerge, RewindNeedsALoadedFile) {
    TestPlayer player;
    EXPECT_FALSE(player.RewindTracks());
    EXPECT_FALSE(player.Load(SmfHeader(1, 1, 480)));
    EXPECT_FALSE(player.RewindTracks());
}

TEST(SmfDataBlocks, SysExAndMetaBlocksAreCountedAndReleased) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x00, 0xF0, 0x00, 0x00, 0xFF, 0x01, 0x00, 0x00, 0xFF, 0x01,
                                      0x02, 'o', 'k', 0x00, 0xFF, 0x2F, 0x00}})));
    SmfEvent event{};
    ASSERT_TRUE(player.ReadEvent(0, event));
    EXPECT_NE(event.data, nullptr); // SysEx of length 0 still gets a block
    EXPECT_EQ(player.heldDataBlocks, 1u);
    ASSERT_TRUE(player.ReadEvent(0, event)); // the previous block goes with the old event
    EXPECT_EQ(event.data, nullptr);          // meta of length 0 gets none
    EXPECT_EQ(player.heldDataBlocks, 0u);
    ASSERT_TRUE(player.ReadEvent(0, event));
    ASSERT_NE(event.data, nullptr);
    EXPECT_EQ(event.data[1], 'k');
    EXPECT_EQ(player.heldDataBlocks, 1u);
    player.ReleaseEventData(event);
    EXPECT_EQ(player.heldDataBlocks, 0u);
    EXPECT_EQ(event.data, nullptr);
}

TEST(SmfDataBlocks, BlockOfAFailedReadStaysWithTheEventAndIsNotOversized) {
    // The SysEx claims 0x0FFFFFFF bytes with two present: a two-byte block, reported as cut.
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02}})));
    SmfEvent event{};
    EXPECT_FALSE(player.ReadEvent(0, event));
    EXPECT_EQ(event.length, 0x0FFFFFFFu);
    ASSERT_NE(event.data, nullptr);
    EXPECT_EQ(event.data[1], 0x02);
    EXPECT_EQ(player.heldDataBlocks, 1u);
    ASSERT_EQ(player.parseErrors.size(), 1u);
    EXPECT_EQ(player.parseErrors[0].second, "SysEx event truncated");
    EXPECT_EQ(player.tracks[0].position, player.tracks[0].start + player.tracks[0].length);
    player.ReleaseEventData(event);
}

} // namespace
