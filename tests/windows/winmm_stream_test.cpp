// The Windows MIDI output's own code over a scripted WinMM: the player's headers handed to the
// system's and mapped back in MOM_DONE and MOM_POSITIONCB, misuse refused, and the player's
// whole run (load, play with refills from the driver's thread, stop with the buffers returned
// from inside midiOutReset) on top of it.
#include "platform/win32/winmm_midi_stream.h"

#include "music/midi_player.h"
#include "smf_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// The scripted driver: what the output handed it, and the buffers it holds.
struct Driver {
    std::mutex lock;
    const NativeMidiTarget* target = nullptr;
    uint32_t openResult = MMSYSERR_NOERROR;
    bool open = false;
    std::atomic<bool> playing{false};
    int prepared = 0;
    int outs = 0;
    uint32_t division = 0;
    std::deque<NativeMidiHeader*> queue;
    uint8_t* lastData = nullptr;
    uint32_t lastLength = 0;
    uint32_t lastRecorded = 0;
};
Driver driver;

void Notify(uint32_t message, NativeMidiHeader* header, uint32_t offset = 0) {
    driver.target->callback(driver.target->instance, message, header, offset);
}

// Returns every queued buffer, in order, on the calling thread, as a reset does.
void ReturnAll() {
    for (;;) {
        NativeMidiHeader* header = nullptr;
        {
            const std::lock_guard<std::mutex> hold(driver.lock);
            if (driver.queue.empty()) {
                return;
            }
            header = driver.queue.front();
            driver.queue.pop_front();
        }
        Notify(MOM_DONE, header);
    }
}

} // namespace

uint32_t NativeStreamOpen(uintptr_t* stream, const NativeMidiTarget* target) {
    const std::lock_guard<std::mutex> hold(driver.lock);
    if (driver.openResult != MMSYSERR_NOERROR) {
        return driver.openResult;
    }
    driver.target = target;
    driver.open = true;
    *stream = 0x5EED;
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamTimeDivision(uintptr_t, uint32_t division) {
    driver.division = division;
    return MMSYSERR_NOERROR;
}

uint32_t NativeHeaderPrepare(uintptr_t, NativeMidiHeader*, uint8_t* data, uint32_t length) {
    const std::lock_guard<std::mutex> hold(driver.lock);
    ++driver.prepared;
    driver.lastData = data;
    driver.lastLength = length;
    return MMSYSERR_NOERROR;
}

uint32_t NativeHeaderUnprepare(uintptr_t, NativeMidiHeader*) {
    const std::lock_guard<std::mutex> hold(driver.lock);
    --driver.prepared;
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamOut(uintptr_t, NativeMidiHeader* header, uint32_t bytesRecorded) {
    const std::lock_guard<std::mutex> hold(driver.lock);
    ++driver.outs;
    driver.lastRecorded = bytesRecorded;
    driver.queue.push_back(header);
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamRestart(uintptr_t) {
    driver.playing = true;
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamStop(uintptr_t) {
    driver.playing = false;
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamReset(uintptr_t) {
    driver.playing = false;
    ReturnAll();
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamClose(uintptr_t) {
    const std::lock_guard<std::mutex> hold(driver.lock);
    driver.open = false;
    return MMSYSERR_NOERROR;
}

namespace {

struct Received {
    uint32_t message;
    MidiHeader* header;
    uint32_t offset;
};
std::vector<Received> received;

void Record(MidiStreamOut*, uint32_t message, uintptr_t, uintptr_t param1, uintptr_t) {
    auto* header = reinterpret_cast<MidiHeader*>(param1);
    received.push_back({message, header, header != nullptr ? header->dwOffset : 0});
}

class WinmmStream : public ::testing::Test {
  protected:
    void SetUp() override {
        driver.openResult = MMSYSERR_NOERROR;
        driver.queue.clear();
        driver.prepared = 0;
        driver.outs = 0;
        received.clear();
    }
};

MidiHeader MakeHeader(uint8_t* data, uint32_t length) {
    MidiHeader header{};
    header.lpData = data;
    header.dwBufferLength = length;
    return header;
}

} // namespace

TEST_F(WinmmStream, HeadersAreHandedOverAndComeBackAsThePlayersOwn) {
    WinmmMidiStream stream;
    ASSERT_EQ(stream.Open(Record, 7), MMSYSERR_NOERROR);
    EXPECT_EQ(stream.SetTimeDivision(480), MMSYSERR_NOERROR);
    EXPECT_EQ(driver.division, 480u);
    uint8_t first[48] = {};
    uint8_t second[96] = {};
    MidiHeader a = MakeHeader(first, sizeof first);
    MidiHeader b = MakeHeader(second, sizeof second);
    ASSERT_EQ(stream.PrepareHeader(&a), MMSYSERR_NOERROR);
    ASSERT_EQ(stream.PrepareHeader(&b), MMSYSERR_NOERROR);
    EXPECT_EQ(driver.lastData, second);
    EXPECT_EQ(driver.lastLength, 96u);
    a.dwBytesRecorded = 36;
    b.dwBytesRecorded = 24;
    ASSERT_EQ(stream.Out(&a), MMSYSERR_NOERROR);
    ASSERT_EQ(stream.Out(&b), MMSYSERR_NOERROR);
    EXPECT_EQ(driver.lastRecorded, 24u);

    // The flagged event at offset 12 of the second buffer plays, then both buffers return.
    Notify(MOM_POSITIONCB, driver.queue[1], 12);
    ReturnAll();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].message, MOM_POSITIONCB);
    EXPECT_EQ(received[0].header, &b);
    EXPECT_EQ(received[0].offset, 12u);
    EXPECT_EQ(received[1].message, MOM_DONE);
    EXPECT_EQ(received[1].header, &a);
    EXPECT_EQ(received[2].header, &b);

    EXPECT_EQ(stream.UnprepareHeader(&a), MMSYSERR_NOERROR);
    EXPECT_EQ(stream.UnprepareHeader(&b), MMSYSERR_NOERROR);
    EXPECT_EQ(driver.prepared, 0);
    EXPECT_EQ(stream.Close(), MMSYSERR_NOERROR);
    EXPECT_FALSE(driver.open);
}

TEST_F(WinmmStream, MisuseAndAMissingDeviceAreRefused) {
    WinmmMidiStream stream;
    uint8_t data[12] = {};
    MidiHeader header = MakeHeader(data, sizeof data);
    EXPECT_EQ(stream.PrepareHeader(&header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(stream.Restart(), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(stream.Close(), MMSYSERR_INVALHANDLE);

    driver.openResult = MMSYSERR_NODRIVER;
    EXPECT_EQ(stream.Open(Record, 0), MMSYSERR_NODRIVER);
    EXPECT_EQ(stream.Stop(), MMSYSERR_INVALHANDLE);

    driver.openResult = MMSYSERR_NOERROR;
    ASSERT_EQ(stream.Open(Record, 0), MMSYSERR_NOERROR);
    EXPECT_NE(stream.Open(Record, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(stream.Out(&header), MIDIERR_UNPREPARED);
    ASSERT_EQ(stream.PrepareHeader(&header), MMSYSERR_NOERROR);
    header.dwBytesRecorded = 24; // more than the buffer holds
    EXPECT_NE(stream.Out(&header), MMSYSERR_NOERROR);
    EXPECT_EQ(driver.outs, 0);
}

TEST_F(WinmmStream, ThePlayerLoopsAndStopsOnIt) {
    const Bytes song = ReadSong();
    ASSERT_FALSE(song.empty());
    WinmmMidiStream stream;
    {
        MidiPlayer player(&stream);
        ASSERT_TRUE(
            player.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr));
        EXPECT_EQ(driver.queue.size(), 2u);
        ASSERT_TRUE(player.Play(true));
        // The driver plays buffers on a thread of its own; each returned buffer is refilled.
        std::atomic<bool> stop{false};
        std::thread playing([&] {
            while (!stop) {
                NativeMidiHeader* header = nullptr;
                {
                    const std::lock_guard<std::mutex> hold(driver.lock);
                    if (driver.playing && !driver.queue.empty()) {
                        header = driver.queue.front();
                        driver.queue.pop_front();
                    }
                }
                if (header != nullptr) {
                    Notify(MOM_DONE, header);
                }
                std::this_thread::yield();
            }
        });
        while (driver.outs < 40) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        stop = true;
        playing.join();
        // Stop: the reset returns what is queued from inside the call.
        EXPECT_TRUE(player.Stop(false));
        EXPECT_FALSE(driver.open);
        EXPECT_EQ(driver.prepared, 0);
    }
    EXPECT_TRUE(driver.queue.empty());
}
