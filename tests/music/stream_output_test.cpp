// The stream output contract the player relies on, on the virtual stream: buffers play in
// order and come back with MOM_DONE, tempo events change the clock, flagged events are
// reported with their offset, Stop and Reset return everything, and every notification
// arrives on the stream's own thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "tests/music/thread_gate.h"
#include "tests/support/virtual_midi_stream.h"

namespace {

struct Notice {
    uint32_t message;
    MidiHeader* header;
    uint32_t offset;
    std::thread::id thread;
};

// Collects notifications; touched only on the notification thread until WaitForNotifications.
// Each callback passes `gate` first, so a test can hold the thread as a slow owner does.
struct Listener {
    std::vector<Notice> notices;
    ThreadGate gate;

    static void Callback(MidiStreamOut*, uint32_t message, uintptr_t instance, uintptr_t param1,
                         uintptr_t) {
        auto* self = reinterpret_cast<Listener*>(instance);
        auto* header = reinterpret_cast<MidiHeader*>(param1);
        self->gate.Pass();
        self->notices.push_back(
            {message, header, header ? header->dwOffset : 0, std::this_thread::get_id()});
    }
};

struct Buffer {
    std::vector<MidiEvent> events;
    MidiHeader header{};

    explicit Buffer(std::vector<MidiEvent> list) : events(std::move(list)) {
        header.lpData = reinterpret_cast<uint8_t*>(events.data());
        header.dwBufferLength = static_cast<uint32_t>(events.size() * sizeof(MidiEvent));
        header.dwBytesRecorded = header.dwBufferLength;
    }
};

class StreamOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(stream.Open(&Listener::Callback, reinterpret_cast<uintptr_t>(&listener)), 0u);
        ASSERT_EQ(stream.SetTimeDivision(480), 0u);
    }

    void Queue(Buffer& buffer) {
        ASSERT_EQ(stream.PrepareHeader(&buffer.header), 0u);
        ASSERT_EQ(stream.Out(&buffer.header), 0u);
    }

    std::vector<uint32_t> Messages() {
        stream.WaitForNotifications();
        std::vector<uint32_t> out;
        for (const Notice& notice : listener.notices) {
            out.push_back(notice.message);
        }
        return out;
    }

    VirtualMidiStream stream;
    Listener listener;
};

TEST_F(StreamOutput, BuffersPlayInOrderAtTheirTempoOnlyAfterRestart) {
    // 480 ticks at the default 500000 us per quarter is 500 ms; then the tempo halves.
    Buffer first({{480, 0, 0x00403C90}, {0, 0, 0x01000000 | 250000}});
    Buffer second({{480, 0, 0x00403E90}});
    Queue(first);
    Queue(second);
    stream.Advance(1000);
    EXPECT_TRUE(stream.Played().empty()); // opened paused
    ASSERT_EQ(stream.Restart(), 0u);
    stream.Advance(800);
    std::vector<VirtualMidiStream::PlayedEvent> played = stream.Played();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].message, 0x403C90u);
    EXPECT_NEAR(double(played[0].timeUs), 1500000.0, 2.0);
    EXPECT_NEAR(double(played[1].timeUs), 1750000.0, 2.0);
    std::vector<uint32_t> expected = {MOM_OPEN, MOM_DONE, MOM_DONE};
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(listener.notices[1].header, &first.header);
    EXPECT_EQ(listener.notices[2].header, &second.header);
    for (const Notice& notice : listener.notices) {
        EXPECT_NE(notice.thread, std::this_thread::get_id());
    }
}

TEST_F(StreamOutput, FlaggedEventsAreReportedWithTheirOffset) {
    Buffer buffer({{0, 0, 0x00403C90}, {10, 0, 0x406407B3}, {10, 0, 0x00003C80}});
    Queue(buffer);
    stream.Restart();
    stream.Advance(100);
    std::vector<uint32_t> expected = {MOM_OPEN, MOM_POSITIONCB, MOM_DONE};
    ASSERT_EQ(Messages(), expected);
    EXPECT_EQ(listener.notices[1].offset, 12u);
}

TEST_F(StreamOutput, EventsOfOtherTypesAreSkippedWithTheirParameters) {
    // A long event (MEVT_F_LONG) whose 12 parameter bytes look like a note on, a no-op and a
    // type with the callback flag that the output does not play either.
    constexpr uint32_t LongEvent = 0x80000000 | 12;
    constexpr uint32_t NopEvent = 0x02000000;
    constexpr uint32_t FlaggedUnknown = MEVT_F_CALLBACK | 0x84000000;
    Buffer buffer({{0, 0, 0x00403C90},
                   {10, 0, LongEvent},
                   {0, 0, 0x00407F99},
                   {10, 0, NopEvent},
                   {10, 0, FlaggedUnknown},
                   {10, 0, 0x00003C80}});
    Queue(buffer);
    stream.Restart();
    stream.Advance(100);
    std::vector<VirtualMidiStream::PlayedEvent> played = stream.Played();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].message, 0x403C90u);
    EXPECT_EQ(played[1].message, 0x3C80u);
    // The skipped events keep their time: the note off is due 40 ticks after the note on.
    EXPECT_NEAR(double(played[1].timeUs - played[0].timeUs), 40 * 500000.0 / 480, 2.0);
    // The flag still asks for a report, at the event's own offset.
    std::vector<uint32_t> expected = {MOM_OPEN, MOM_POSITIONCB, MOM_DONE};
    ASSERT_EQ(Messages(), expected);
    EXPECT_EQ(listener.notices[1].offset, 48u);
}

TEST_F(StreamOutput, StopAndResetReturnEveryBufferAndSilence) {
    Buffer first({{4800, 0, 0x00403C90}});
    Buffer second({{4800, 0, 0x00403C90}});
    Queue(first);
    Queue(second);
    stream.Restart();
    stream.Advance(10);
    EXPECT_EQ(stream.Close(), MIDIERR_STILLPLAYING);
    EXPECT_EQ(stream.UnprepareHeader(&first.header), MIDIERR_STILLPLAYING);
    EXPECT_EQ(stream.Stop(), 0u);
    EXPECT_EQ(stream.Reset(), 0u);
    std::vector<uint32_t> expected = {MOM_OPEN, MOM_DONE, MOM_DONE};
    EXPECT_EQ(Messages(), expected);
    stream.Advance(10);
    EXPECT_GE(stream.Silences(), 1);
    EXPECT_TRUE(stream.Played().empty());
    EXPECT_EQ(stream.UnprepareHeader(&first.header), 0u);
    EXPECT_EQ(stream.Close(), 0u);
    EXPECT_EQ(Messages().back(), MOM_CLOSE);
}

TEST_F(StreamOutput, EveryAcceptedBufferComesBackWhileNotificationsPileUp) {
    // Nobody takes notifications while a buffer is queued and stopped again and again: each
    // stop posts a MOM_DONE. A call that cannot have its notification delivered is refused;
    // one that is accepted gets it.
    Buffer buffer({{0, 0, 0x00403C90}});
    ASSERT_EQ(stream.PrepareHeader(&buffer.header), 0u);
    stream.WaitForNotifications(); // MOM_OPEN is in
    listener.gate.Hold();
    int accepted = 0;
    for (int round = 0; round < 400; ++round) {
        if (stream.Out(&buffer.header) == MMSYSERR_NOERROR) {
            ++accepted;
        }
        ASSERT_EQ(stream.Stop(), 0u);
    }
    listener.gate.Release();
    std::vector<uint32_t> messages = Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), MOM_DONE), accepted);
    EXPECT_GT(accepted, 8);
    // Delivered, they make room again: the stream plays on.
    ASSERT_EQ(stream.Out(&buffer.header), 0u);
    ASSERT_EQ(stream.Restart(), 0u);
    stream.Advance(10);
    EXPECT_EQ(stream.Played().size(), 1u);
}

TEST_F(StreamOutput, MisuseIsRefused) {
    Buffer buffer({{0, 0, 0x00403C90}});
    EXPECT_EQ(stream.Out(&buffer.header), MIDIERR_UNPREPARED);
    EXPECT_EQ(stream.Open(&Listener::Callback, 0), MMSYSERR_ALLOCATED);
    EXPECT_EQ(stream.SetTimeDivision(0), MMSYSERR_INVALPARAM);
    ASSERT_EQ(stream.Close(), 0u);
    EXPECT_EQ(stream.Restart(), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(stream.Stop(), MMSYSERR_INVALHANDLE);
}

} // namespace
