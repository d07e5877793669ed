// Buffer filling: the event words, the buffer closed by the time limit or by its size, the
// pending event, tempo insertion, looping and the end of the song, failed reads.
#include <gtest/gtest.h>

#include "tests/music/smf_test_support.h"

namespace {

constexpr uint32_t NoteOnWord = 0x00403C90;

// A tempo at tick 0, then `count` notes `gap` ticks apart, then End of Track.
Bytes EvenNotes(uint32_t tempo, int count, uint8_t gap) {
    Bytes track = SetTempoEvent(0, tempo);
    for (int i = 0; i < count; ++i) {
        Bytes note = {gap, 0x90, 0x3C, 0x40};
        track.insert(track.end(), note.begin(), note.end());
    }
    Bytes end = {0x00, 0xFF, 0x2F, 0x00};
    track.insert(track.end(), end.begin(), end.end());
    return track;
}

TEST(FillWords, ChannelTempoAndVolumeEventWords) {
    TestPlayer player;
    Bytes track = SetTempoEvent(0, 500000);
    Bytes rest = {0x00, 0xB3, 0x07, 0x64, 0x00, 0x90, 0x3C, 0x40, 0x00, 0xC5,
                  0x10, 0x00, 0xB0, 0x0A, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    track.insert(track.end(), rest.begin(), rest.end());
    ASSERT_TRUE(player.Load(SmfFile({track})));
    TestBuffer buffer;
    EXPECT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    std::vector<WrittenEvent> expected = {{0, 0, TempoWord500000},
                                          {0, 0, 0x406407B3}, // volume: reported when played
                                          {0, 0, NoteOnWord},
                                          {0, 0, 0x000010C5}, // one data byte: data2 is 0
                                          {0, 0, 0x00400AB0}};
    EXPECT_EQ(buffer.Events(), expected);
    EXPECT_EQ(player.tempo, 500000u);
    EXPECT_EQ(player.timeLimit, 57u); // 57.6 ticks in 60 ms at 480 per quarter
    EXPECT_EQ(player.fillFlags, EndOfSong);
}

TEST(FillLimits, BufferClosesOneEventAfterSpanningTheTimeLimit) {
    // 600000 us per quarter at 480 ticks: a limit of 48 ticks, events 10 ticks apart.
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({EvenNotes(600000, 20, 10)})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(player.timeLimit, 48u);
    std::vector<WrittenEvent> events = buffer.Events();
    ASSERT_EQ(events.size(), 7u); // the tempo, then the notes at 10 .. 60
    EXPECT_EQ(player.lastWrittenTime, 60u);
    EXPECT_EQ(player.fillFlags, EventPending);

    // The next buffer starts at T = 60, takes T + 10 .. T + 60 and stops before T + 70.
    ASSERT_EQ(player.FillBuffer(false, buffer.Prepared()), 0);
    events = buffer.Events();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(buffer.buffer.startTime, 60u);
    EXPECT_EQ(events[0], (WrittenEvent{10, 0, NoteOnWord}));
    EXPECT_EQ(player.lastWrittenTime, 120u);
}

TEST(FillLimits, WithoutATempoTheLimitIsZero) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x00, 0x90, 0x3C, 0x40, 0x0A, 0x3C, 0x40, 0x0A, 0x3C, 0x40,
                                      0x0A, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.Events().size(), 3u); // 0 and 10 span nothing, 20 is the one more
}

TEST(FillLimits, EightyFiveEventsFillABufferAndTheNextIsPending) {
    // 10000 us per quarter: a limit of 2880 ticks, so only the size closes the buffer.
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({EvenNotes(10000, 100, 1)})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.buffer.used, 1020u);
    EXPECT_EQ(player.fillFlags, EventPending);
    EXPECT_EQ(player.lastWrittenTime, 84u);
    ASSERT_EQ(player.FillBuffer(false, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.Events().front(), (WrittenEvent{1, 0, NoteOnWord})); // delta unchanged
    EXPECT_EQ(buffer.buffer.used, 16u * 12);
}

// 84 notes at tick 0 after a first tempo, then a second Set Tempo that does not fit.
Bytes TempoAtTheBufferEnd() {
    Bytes track = SetTempoEvent(0, 10000);
    for (int i = 0; i < 84; ++i) {
        track.insert(track.end(), {0x00, 0x90, 0x3C, 0x40});
    }
    Bytes tail = SetTempoEvent(0x10, 500000);
    track.insert(track.end(), tail.begin(), tail.end());
    track.insert(track.end(), {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    return track;
}

TEST(FillPending, SetTempoThatDoesNotFitKeepsItsBlockForTheNextBuffer) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({TempoAtTheBufferEnd()})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(player.fillFlags, EventPending);
    EXPECT_EQ(player.heldDataBlocks, 1u);
    EXPECT_EQ(player.tempo, 10000u);
    ASSERT_EQ(player.FillBuffer(false, buffer.Prepared()), 0);
    std::vector<WrittenEvent> expected = {{0x10, 0, TempoWord500000}, {0, 0, NoteOnWord}};
    EXPECT_EQ(buffer.Events(), expected);
    EXPECT_EQ(player.heldDataBlocks, 0u);
    EXPECT_EQ(player.timeLimit, 57u);
}

TEST(FillPending, FirstFillForgetsThePendingEventAndFreesItsBlock) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({TempoAtTheBufferEnd()})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    ASSERT_EQ(player.heldDataBlocks, 1u);
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(player.heldDataBlocks, 0u);
    // The tempo is gone; the note after it keeps its delta from the last written event.
    EXPECT_EQ(buffer.Events().front(), (WrittenEvent{0x10, 0, NoteOnWord}));
    EXPECT_EQ(player.tempo, 10000u);
}

TEST(FillTempoInsertion, NothingIsInsertedWhileTheTempoIsUnknown) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({{0x05, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}})));
    player.insertTempo = true;
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    std::vector<WrittenEvent> expected = {{5, 0, NoteOnWord}};
    EXPECT_EQ(buffer.Events(), expected);
    EXPECT_FALSE(player.insertTempo);
}

TEST(FillTempoInsertion, KnownTempoPrecedesTheNextEventWithDeltaZero) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({EvenNotes(500000, 20, 10)})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    player.insertTempo = true;
    ASSERT_EQ(player.FillBuffer(false, buffer.Prepared()), 0);
    std::vector<WrittenEvent> events = buffer.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], (WrittenEvent{0, 0, TempoWord500000})); // byte 0
    EXPECT_EQ(events[1], (WrittenEvent{10, 0, NoteOnWord}));     // byte 12
    EXPECT_FALSE(player.insertTempo);
}

TEST(FillTempoInsertion, InsertionWithoutRoomIsDroppedAndClosesTheBuffer) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(SmfFile({EvenNotes(500000, 2, 10)})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    player.insertTempo = true;
    StreamBuffer& full = buffer.Prepared();
    full.used = 1020;
    full.startTime = player.lastWrittenTime;
    SmfEvent note{30, 0x90, 0x3C, 0x40, 3, nullptr};
    EXPECT_EQ(player.WriteEvent(note, full), BufferFull);
    EXPECT_FALSE(player.insertTempo);
    EXPECT_EQ(full.used, 1020u);
}

TEST(FillDropped, SysExAndTextDoNotMoveTheTime) {
    TestPlayer player;
    ASSERT_TRUE(
        player.Load(SmfFile({{0x00, 0x90, 0x3C, 0x40, 0x0A, 0xF0, 0x02, 0x01, 0xF7, 0x0A, 0xFF,
                              0x01, 0x01, 'x',  0x0A, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    std::vector<WrittenEvent> expected = {{0, 0, NoteOnWord}, {30, 0, 0x00003C80}};
    EXPECT_EQ(buffer.Events(), expected);
    EXPECT_EQ(player.heldDataBlocks, 0u);
}

TEST(FillDropped, ShortOrZeroTempoIsSkippedLikeAnyMetaEvent) {
    TestPlayer player;
    Bytes track = SetTempoEvent(0, 500000);
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x00, 0xFF, 0x51, 0x03, 0x00,
                               0x00, 0x00, 0x05, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    ASSERT_TRUE(player.Load(SmfFile({track})));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    std::vector<WrittenEvent> expected = {{0, 0, TempoWord500000}, {5, 0, NoteOnWord}};
    EXPECT_EQ(buffer.Events(), expected);
    EXPECT_EQ(player.tempo, 500000u);
    EXPECT_EQ(player.timeLimit, 57u);
    EXPECT_EQ(player.heldDataBlocks, 0u);

    // It is dropped before the room check...
    uint8_t zero[3] = {0, 0, 0};
    SmfEvent zeroTempo{40, 0xFF, MetaSetTempo, 0, 3, zero};
    StreamBuffer& full = buffer.Prepared();
    full.used = 1020;
    full.startTime = player.lastWrittenTime;
    EXPECT_EQ(player.WriteEvent(zeroTempo, full), MetaSkipped);
    // ...and after the tempo insertion, which it consumes like any event.
    zeroTempo.data = zero;
    StreamBuffer& empty = buffer.Prepared();
    empty.used = 0;
    player.insertTempo = true;
    EXPECT_EQ(player.WriteEvent(zeroTempo, empty), MetaSkipped);
    EXPECT_FALSE(player.insertTempo);
    std::vector<WrittenEvent> inserted = {{0, 0, TempoWord500000}};
    EXPECT_EQ(buffer.Events(), inserted);
    EXPECT_EQ(player.lastWrittenTime, 5u);
}

TEST(FillEnd, LoopRestartsRightAfterTheLastWrittenEvent) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(ShortSong()));
    player.loopFlag = true;
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    std::vector<WrittenEvent> pass = {
        {0, 0, TempoWord500000}, {240, 0, NoteOnWord}, {240, 0, 0x00003C80}};
    EXPECT_EQ(buffer.Events(), pass);
    EXPECT_EQ(player.fillFlags, EndOfSong);
    // The 1440 ticks up to End of Track are not played: the new pass follows at once.
    ASSERT_EQ(player.FillBuffer(false, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.Events(), pass);
    ASSERT_EQ(player.FillBuffer(false, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.Events(), pass);
}

TEST(FillEnd, WithoutLoopTheSongEndsAndStaysEnded) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(ShortSong()));
    TestBuffer buffer;
    ASSERT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.buffer.used, 36u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(player.FillBuffer(false, buffer.Prepared()), SongEnded);
        EXPECT_EQ(buffer.buffer.used, 0u);
    }
    // A first fill clears the flags, but the tracks stay at their end.
    EXPECT_EQ(player.FillBuffer(true, buffer.Prepared()), 0);
    EXPECT_EQ(buffer.buffer.used, 0u);
}

TEST(FillFailure, FailedReadKeepsWhatWasWrittenAndLaterFillsFail) {
    TestPlayer player;
    ASSERT_TRUE(player.Load(
        SmfFile({{0x00, 0x90, 0x3C, 0x40, 0x00, 0x90, 0x3E, 0x40, 0x00, 0xF0, 0x05, 0x01}})));
    TestBuffer buffer;
    EXPECT_EQ(player.FillBuffer(true, buffer.Prepared()), ReadFailed);
    EXPECT_EQ(buffer.buffer.used, 24u);
    EXPECT_EQ(player.fillFlags, FillFailed);
    EXPECT_EQ(player.heldDataBlocks, 1u); // the cut SysEx keeps its block until released
    EXPECT_EQ(player.FillBuffer(false, buffer.Prepared()), AlreadyFailed);
    EXPECT_EQ(buffer.buffer.used, 0u);
    player.loopFlag = true;
    EXPECT_EQ(player.FillBuffer(false, buffer.Prepared()), AlreadyFailed);
    // A rewind and cleared flags, as a stop does, bring the song back; the old block goes.
    ASSERT_TRUE(player.RewindTracks());
    player.fillFlags = 0;
    player.lastWrittenTime = 0;
    EXPECT_EQ(player.FillBuffer(false, buffer.Prepared()), ReadFailed);
    EXPECT_EQ(buffer.buffer.used, 24u);
    EXPECT_EQ(player.heldDataBlocks, 1u);
}

} // namespace
