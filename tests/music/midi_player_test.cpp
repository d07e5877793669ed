// MidiPlayer on the virtual stream: load and prefill, play with and without loop, the end of
// a song, play while playing, volume tracking, failing streams, and clean stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/music/smf_test_support.h"
#include "tests/music/thread_gate.h"
#include "tests/support/virtual_midi_stream.h"

namespace {

// A player that records its hooks (from any thread) and shows its stream state.
class RecordingPlayer : public MidiPlayer {
  public:
    using MidiPlayer::MidiPlayer;
    ~RecordingPlayer() override { Stop(false); }

    void OnError(uint32_t code) override {
        std::lock_guard<std::mutex> guard(hookLock);
        errors.push_back(code);
    }
    void OnOpen() override { ++opens; }
    void OnClose() override { ++closes; }

    std::vector<uint32_t> Errors() {
        std::lock_guard<std::mutex> guard(hookLock);
        return errors;
    }
    bool Playing() {
        std::lock_guard<std::mutex> guard(stateMutex);
        return playing;
    }
    bool StreamOpen() {
        std::lock_guard<std::mutex> guard(stateMutex);
        return stream != nullptr;
    }
    uint32_t StopTimeouts() {
        std::lock_guard<std::mutex> guard(stateMutex);
        return stopTimeouts;
    }
    int32_t ReturnedCount() {
        std::lock_guard<std::mutex> guard(stateMutex);
        return returnedCount;
    }

    std::atomic<int> opens{0};
    std::atomic<int> closes{0};

  private:
    std::mutex hookLock;
    std::vector<uint32_t> errors;
};

// Records the volume messages posted to it; `accept` decides what IsWindow says.
class RecordingWindow : public NotifyWindow {
  public:
    struct Post {
        uintptr_t handle;
        uint32_t message;
        uintptr_t wParam;
        uintptr_t lParam;
    };

    uintptr_t WindowHandle() override { return 0x1234; }
    bool IsWindow(uintptr_t handle) override { return accept && handle == 0x1234; }
    void PostMessage(uintptr_t handle, uint32_t message, uintptr_t wParam,
                     uintptr_t lParam) override {
        {
            std::lock_guard<std::mutex> guard(lock);
            posts.push_back({handle, message, wParam, lParam});
        }
        gate.Pass();
    }
    std::vector<Post> Posts() {
        std::lock_guard<std::mutex> guard(lock);
        return posts;
    }

    std::atomic<bool> accept{true};
    ThreadGate gate; // holds the notification thread in PostMessage while the test wants

  private:
    std::mutex lock;
    std::vector<Post> posts;
};

std::vector<uint64_t> NoteOnTimesMs(VirtualMidiStream& stream) {
    std::vector<uint64_t> times;
    for (const auto& event : stream.Played()) {
        if ((event.message & 0xF0) == 0x90) {
            times.push_back((event.timeUs + 500) / 1000);
        }
    }
    return times;
}

std::vector<std::string> CallsFrom(VirtualMidiStream& stream, size_t from) {
    std::vector<std::string> calls = stream.Calls();
    return std::vector<std::string>(calls.begin() + static_cast<long>(from), calls.end());
}

// A recording player on a virtual stream, with a window to report to.
class PlayerOnStream : public ::testing::Test {
  protected:
    // Loads `file`, kept for the player's whole life, as LoadFromMemory does.
    bool Load(Bytes file, NotifyWindow* notify = nullptr) {
        files.push_back(std::move(file));
        const Bytes& kept = files.back();
        return player.LoadFromMemory(kept.data(), static_cast<uint32_t>(kept.size()), notify);
    }

    // Declared before the player, which goes first and stops the stream on its way.
    std::vector<Bytes> files;
    VirtualMidiStream stream;
    RecordingWindow window;
    RecordingPlayer player{&stream};
};

using PlayerLoad = PlayerOnStream;
using PlayerPlay = PlayerOnStream;
using PlayerVolumes = PlayerOnStream;
using PlayerFailures = PlayerOnStream;
using PlayerStop = PlayerOnStream;

TEST_F(PlayerLoad, QueuesTwoBuffersPausedUntilPlay) {
    ASSERT_TRUE(Load(ReadSong()));
    std::vector<std::string> calls = stream.Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0], "Open");
    EXPECT_EQ(calls[1], "SetTimeDivision 480");
    EXPECT_EQ(calls[2], "Prepare");
    EXPECT_EQ(calls[3].rfind("Out ", 0), 0u);
    EXPECT_NE(calls[3], "Out 0");
    EXPECT_EQ(calls[5].rfind("Out ", 0), 0u);
    stream.Advance(500);
    EXPECT_TRUE(stream.Played().empty());
    EXPECT_EQ(player.opens, 1);
    EXPECT_EQ(player.ChannelVolumes(), std::vector<uint32_t>(16, 100));

    // A second load fails and changes nothing.
    EXPECT_FALSE(Load(ReadSong()));
    EXPECT_EQ(stream.Calls().size(), 6u);
}

TEST_F(PlayerLoad, EmbeddedSongIsFoundByItsNumber) {
    EXPECT_TRUE(player.LoadFromResource(114, nullptr));
    EXPECT_EQ(stream.Calls()[1], "SetTimeDivision 480");

    VirtualMidiStream other;
    RecordingPlayer byName(&other);
    EXPECT_FALSE(byName.LoadFromResourceName("#115", nullptr));
    EXPECT_FALSE(byName.LoadFromResourceName("FLUSH", nullptr)); // a WAVE, not a MIDI resource
    EXPECT_TRUE(byName.LoadFromResourceName("#114", nullptr));
}

TEST_F(PlayerPlay, FirstPlayInsertsTheTempoIntoTheFirstRefill) {
    ASSERT_TRUE(Load(ReadSong()));
    ASSERT_TRUE(player.Play(true));
    for (int ms = 0; ms < 2000 && stream.QueuedBuffers().size() < 3; ms += 10) {
        stream.Advance(10);
    }
    std::vector<std::vector<MidiEvent>> buffers = stream.QueuedBuffers();
    ASSERT_GE(buffers.size(), 3u);
    EXPECT_EQ(buffers[2][0].dwDeltaTime, 0u);
    EXPECT_EQ(buffers[2][0].dwEvent, TempoWord500000);
    EXPECT_FALSE(stream.Played().empty());
}

TEST_F(PlayerPlay, LoopStartsAgainRightAfterTheLastWrittenEvent) {
    ASSERT_TRUE(Load(ShortSong()));
    // The song ends within the first buffer: the second is queued empty.
    EXPECT_EQ(stream.Calls()[5], "Out 0");
    ASSERT_TRUE(player.Play(true));
    stream.Advance(1600);
    // Each pass is 500 ms: the time from the last note off to End of Track is not played.
    std::vector<uint64_t> expected = {250, 750, 1250};
    EXPECT_EQ(NoteOnTimesMs(stream), expected);
    EXPECT_TRUE(player.Playing());
}

TEST_F(PlayerPlay, WithoutLoopTheSongEndsStoppedRewoundAndPlaysAgainFromTheStart) {
    ASSERT_TRUE(Load(ShortSong()));
    ASSERT_TRUE(player.Play(false));
    size_t before = stream.Calls().size();
    stream.Advance(1000);
    EXPECT_EQ(NoteOnTimesMs(stream), std::vector<uint64_t>{250});
    EXPECT_FALSE(player.Playing());
    std::vector<std::string> expected = {
        "Stop",    "Reset", "Unprepare", "Unprepare", "Close", "Open", "SetTimeDivision 480",
        "Prepare", "Out 0", "Prepare",   "Out 0"};
    EXPECT_EQ(CallsFrom(stream, before), expected);
    // Handled on the notification thread without waiting out the 2 s time-out.
    EXPECT_EQ(player.StopTimeouts(), 0u);
    EXPECT_EQ(player.closes, 1);

    stream.Advance(1000); // stopped: nothing plays
    ASSERT_TRUE(player.Play(false));
    stream.Advance(600);
    expected = {"Restart"};
    std::vector<uint64_t> times = NoteOnTimesMs(stream);
    ASSERT_EQ(times.size(), 2u);
    EXPECT_EQ(times[1], 2000u + 250u);
}

TEST_F(PlayerPlay, PlayWhilePlayingReopensAndGoesOnWhereTheTracksStand) {
    ASSERT_TRUE(Load(ReadSong()));
    ASSERT_TRUE(player.Play(true));
    stream.Advance(3000);
    size_t buffersBefore = stream.QueuedBuffers().size();
    size_t callsBefore = stream.Calls().size();
    size_t playedBefore = stream.Played().size();
    ASSERT_TRUE(player.Play(true));
    std::vector<std::string> calls = CallsFrom(stream, callsBefore);
    ASSERT_GE(calls.size(), 7u);
    EXPECT_EQ(calls[0], "Stop");
    EXPECT_EQ(calls[4], "Close");
    EXPECT_EQ(calls[5], "Open");
    EXPECT_EQ(calls.back(), "Restart");
    stream.Advance(1000);
    EXPECT_GT(stream.Played().size(), playedBefore);
    // The loop flag was set, so no tempo is inserted; the song's next Set Tempo is far off.
    std::vector<std::vector<MidiEvent>> buffers = stream.QueuedBuffers();
    for (size_t i = buffersBefore; i < buffers.size(); ++i) {
        for (const MidiEvent& event : buffers[i]) {
            EXPECT_NE(event.dwEvent >> 24, MEVT_TEMPO);
        }
    }
    EXPECT_EQ(player.StopTimeouts(), 0u);
}

// Volume changes on channels 9, 0 and 1, 5 ms apart.
Bytes VolumeSong() {
    return SmfFile({Concat(
        {SetTempoEvent(0, 500000), {0x00, 0xB9, 0x07, 0x7F, 0x05, 0xB0, 0x07, 0x40, 0x05, 0xB1,
                                    0x07, 0x01, 0x05, 0xB2, 0x0A, 0x00, 0x00, 0xFF, 0x2F, 0x00}})});
}

TEST_F(PlayerVolumes, ControlChange7SetsTheChannelVolumeAndIsPosted) {
    ASSERT_TRUE(Load(VolumeSong(), &window));
    ASSERT_TRUE(player.Play(false));
    stream.Advance(100);
    std::vector<uint32_t> volumes = player.ChannelVolumes();
    EXPECT_EQ(volumes[9], 100u); // 127
    EXPECT_EQ(volumes[0], 50u);  // 64
    EXPECT_EQ(volumes[1], 0u);   // 1
    EXPECT_EQ(volumes[2], 100u); // controller 10 is no volume
    std::vector<RecordingWindow::Post> posts = window.Posts();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[0].handle, 0x1234u);
    EXPECT_EQ(posts[0].message, 0x417u);
    EXPECT_EQ(posts[0].wParam, reinterpret_cast<uintptr_t>(static_cast<MidiPlayer*>(&player)));
    EXPECT_EQ(posts[0].lParam, 0x00640009u);
    EXPECT_EQ(posts[1].lParam, 0x00320000u);
}

TEST_F(PlayerVolumes, RejectedWindowOnlyChangesTheTable) {
    window.accept = false;
    ASSERT_TRUE(Load(VolumeSong(), &window));
    ASSERT_TRUE(player.Play(false));
    stream.Advance(100);
    EXPECT_EQ(player.ChannelVolumes()[0], 50u);
    EXPECT_TRUE(window.Posts().empty());
}

TEST_F(PlayerFailures, StopWithoutAStreamFails) {
    RecordingPlayer noStream(nullptr);
    EXPECT_FALSE(noStream.Stop(false));
    EXPECT_EQ(noStream.Errors(), std::vector<uint32_t>{MMSYSERR_INVALHANDLE});
}

TEST_F(PlayerFailures, StreamThatCannotOpenLeavesTheSongLoadedAndSilent) {
    stream.FailNext("Open", MMSYSERR_NODRIVER);
    EXPECT_FALSE(Load(ReadSong()));
    EXPECT_FALSE(Load(ReadSong()));
    EXPECT_FALSE(player.Play(true));
    std::vector<uint32_t> expected = {MMSYSERR_NODRIVER, MMSYSERR_INVALHANDLE};
    EXPECT_EQ(player.Errors(), expected);
    EXPECT_FALSE(player.Playing());
}

TEST_F(PlayerFailures, RefusedRequeueLeavesOneBufferGoing) {
    ASSERT_TRUE(Load(ReadSong()));
    ASSERT_TRUE(player.Play(true));
    stream.FailNext("Out", MMSYSERR_NOMEM);
    stream.Advance(500);
    size_t played = stream.Played().size();
    stream.Advance(2000);
    EXPECT_GT(stream.Played().size(), played); // the music goes on
    EXPECT_EQ(player.Errors(), std::vector<uint32_t>{MMSYSERR_NOMEM});
    EXPECT_TRUE(player.Stop(false));
    EXPECT_EQ(player.StopTimeouts(), 0u);
}

TEST_F(PlayerStop, StopClosesAndReopenPrefillsAgain) {
    ASSERT_TRUE(Load(ReadSong()));
    ASSERT_TRUE(player.Play(true));
    stream.Advance(700);
    ASSERT_TRUE(player.Stop(true));
    EXPECT_TRUE(player.StreamOpen());
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(player.ReturnedCount(), 0);
    ASSERT_TRUE(player.Stop(false));
    EXPECT_FALSE(player.StreamOpen());
    EXPECT_EQ(player.StopTimeouts(), 0u);
    EXPECT_EQ(player.closes, 2);
}

TEST_F(PlayerStop, DestructorStopsAndNothingReachesThePlayerAfterwards) {
    Bytes song = ReadSong();
    {
        MidiPlayer plain(&stream);
        ASSERT_TRUE(plain.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr));
        ASSERT_TRUE(plain.Play(true));
        stream.Advance(300);
    }
    std::vector<std::string> calls = stream.Calls();
    EXPECT_EQ(calls.back(), "Close");
    size_t played = stream.Played().size();
    stream.Advance(500);
    EXPECT_EQ(stream.Played().size(), played);
    EXPECT_EQ(stream.Calls().size(), calls.size());
}

TEST_F(PlayerStop, TimedOutStopKeepsTheBuffersUntilTheQueuedReportsAreIn) {
    // Three volume changes at one tick: reported one after the other, the first held up in the
    // window, so the notification thread falls behind and the stop gives up on its buffers.
    ASSERT_TRUE(
        Load(SmfFile({Concat({SetTempoEvent(0, 500000),
                              {0x00, 0xB0, 0x07, 0x40, 0x00, 0xB1, 0x07, 0x40, 0x00, 0xB2, 0x07,
                               0x40, 0x83, 0x60, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}})}),
             &window));
    window.gate.Hold();
    ASSERT_TRUE(player.Play(true));
    std::thread clock([&] { stream.Advance(2); }); // returns once the reports are delivered
    ASSERT_TRUE(window.gate.AwaitArrival());
    // The reports still queued read their events from the buffers: the window lets go only
    // once the player closes the stream, after the stop has timed out.
    std::thread closer([&] {
        for (int ms = 0; ms < 60000; ms += 5) {
            std::vector<std::string> calls = stream.Calls();
            if (std::find(calls.begin(), calls.end(), "Close") != calls.end()) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        window.gate.Release();
    });
    EXPECT_TRUE(player.Stop(false));
    closer.join();
    clock.join();
    EXPECT_EQ(player.StopTimeouts(), 1u);
    EXPECT_EQ(window.Posts().size(), 3u);
    EXPECT_EQ(player.ChannelVolumes()[2], 50u);
}

// A stream whose Out, once armed, holds the calling thread at `gate` first.
class SlowOutStream : public VirtualMidiStream {
  public:
    uint32_t Out(MidiHeader* header) override {
        if (armed) {
            gate.Pass();
        }
        return VirtualMidiStream::Out(header);
    }

    std::atomic<bool> armed{false};
    ThreadGate gate;
};

TEST_F(PlayerStop, StopWaitsForARefillOnItsWayIntoTheStream) {
    Bytes song = ReadSong();
    SlowOutStream slow;
    RecordingPlayer slowPlayer(&slow);
    ASSERT_TRUE(
        slowPlayer.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr));
    ASSERT_TRUE(slowPlayer.Play(true));
    slow.gate.Hold();
    slow.armed = true;
    std::thread clock([&] { slow.Advance(500); });
    ASSERT_TRUE(slow.gate.AwaitArrival()); // the first refill is being queued
    std::thread stopper([&] { EXPECT_TRUE(slowPlayer.Stop(false)); });
    for (int ms = 0; ms < 60000 && slowPlayer.Playing(); ms += 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The stop has begun; it must not halt the stream before the refill is in, or that buffer
    // would never come back.
    std::vector<std::string> calls = slow.Calls();
    slow.gate.Release();
    stopper.join();
    clock.join();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Stop"), 0);
    calls = slow.Calls();
    auto halt = std::find(calls.begin(), calls.end(), "Stop");
    ASSERT_NE(halt, calls.end());
    EXPECT_EQ(std::count_if(calls.begin(), halt,
                            [](const std::string& call) { return call.rfind("Out ", 0) == 0; }),
              3);
    EXPECT_EQ(slowPlayer.StopTimeouts(), 0u);
    EXPECT_TRUE(slowPlayer.Errors().empty());
}

// Where there are no threads (the page), the notifications reach the player on the caller's
// thread: from the clock's advances, and from Stop and Close themselves, so that a stop finds
// its buffers back at once instead of waiting out its time-out for a thread that is not there.
TEST(PlayerWithoutThreads, LoopsAndStopsOnTheCallersThreadWithoutWaiting) {
    Bytes song = ShortSong();
    VirtualMidiStream stream(NotificationDelivery::ByOwner);
    RecordingPlayer player(&stream);
    ASSERT_TRUE(player.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr));
    EXPECT_EQ(player.opens, 1);
    ASSERT_TRUE(player.Play(true));
    stream.Advance(1600);
    std::vector<uint64_t> expected = {250, 750, 1250};
    EXPECT_EQ(NoteOnTimesMs(stream), expected);
    ASSERT_TRUE(player.Stop(true));
    EXPECT_EQ(player.ReturnedCount(), 0);
    ASSERT_TRUE(player.Stop(false));
    EXPECT_EQ(player.StopTimeouts(), 0u);
    EXPECT_EQ(player.closes, 2);
    EXPECT_FALSE(player.StreamOpen());
    EXPECT_TRUE(player.Errors().empty());
}

TEST_F(PlayerStop, StopsAndPlaysAgainstARunningClockStayConsistent) {
    ASSERT_TRUE(Load(ReadSong()));
    std::atomic<bool> running{true};
    std::thread clock([&] {
        while (running) {
            stream.Advance(1);
        }
    });
    for (int round = 0; round < 12; ++round) {
        EXPECT_TRUE(player.Play(round % 3 != 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4 * 5));
        if (round % 2 == 0) {
            EXPECT_TRUE(player.Stop(true));
        }
    }
    EXPECT_TRUE(player.Stop(false));
    running = false;
    clock.join();
    EXPECT_EQ(player.StopTimeouts(), 0u);
    EXPECT_TRUE(player.Errors().empty());
    EXPECT_FALSE(player.StreamOpen());
}

} // namespace
