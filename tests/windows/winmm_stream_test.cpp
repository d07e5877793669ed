// The Windows MIDI output's own code over a scripted WinMM whose driver calls back from a thread
// of its own, as WinMM's does: the player's headers handed to the system's and mapped back in
// MOM_DONE and MOM_POSITIONCB, misuse refused, the player's whole run (refills, the end of a
// song, stops) on top of it, and a driver that keeps its buffers past a stop. On the driver's
// thread nothing may call the stream or allocate.
#include "platform/win32/winmm_midi_stream.h"

#include "music/midi_player.h"
#include "smf_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

thread_local bool onDriverThread = false;
std::atomic<int> driverThreadAllocations{0};

} // namespace

// Every allocation of the program passes here, so that one on the driver's thread is counted.
// These replacements are not inlined: GCC would take a block from malloc given to operator
// delete, or one from operator new given to free, for a mismatch.
[[gnu::noinline]] void* operator new(std::size_t bytes) {
    if (onDriverThread) {
        ++driverThreadAllocations;
    }
    void* block = std::malloc(bytes != 0 ? bytes : 1);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}

[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

constexpr uint32_t MMSYSERR_ALLOCATED = 4;

// What the scripted prepare writes into a native header, as midiOutPrepareHeader's MIDIHDR
// names its block; the driver reads the events through it.
struct NativeFields {
    uint8_t* data;
    uint32_t length;
};

// A buffer the driver holds, with the events as they were when it was queued.
struct HeldBuffer {
    NativeMidiHeader* header;
    NativeFields fields;
    std::vector<uint8_t> given;
};

// The scripted driver. Its thread makes every callback; the stream calls only ask it.
struct Driver {
    const NativeMidiTarget* target = nullptr;
    uint32_t openResult = MMSYSERR_NOERROR;
    bool open = false;
    bool playing = false;      // plays the queued buffers, reporting their flagged events
    bool keepBuffers = false;  // a hung driver: gives nothing back, not even on a reset
    bool returnAll = false;    // a reset (or the test) wants every buffer back
    uint32_t announce = 0;     // MOM_OPEN or MOM_CLOSE to send
    int reportIndex = -1;      // the test asks for a position report of this queued buffer
    uint32_t reportOffset = 0; // at this offset
    bool busy = false;         // the thread is calling back
    bool quit = false;
    int opens = 0;
    int closes = 0;
    int prepared = 0;
    int outs = 0;
    uint32_t division = 0;
    std::deque<HeldBuffer> queue;
    uint32_t lastLength = 0;
    uint32_t lastRecorded = 0;
    int callsOnItsThread = 0; // stream calls made from inside a callback
    int damagedReturns = 0;   // buffers whose header or events changed while the driver held them
    std::thread thread;
};
std::mutex driverLock;
std::condition_variable driverChanged;
Driver driver;

void NoteCall() {
    if (onDriverThread) {
        const std::lock_guard<std::mutex> hold(driverLock);
        ++driver.callsOnItsThread;
    }
}

// Under driverLock: waits (a minute at most; only a broken test takes long) until `done`.
template <typename Condition> bool AwaitLocked(std::unique_lock<std::mutex>& hold, Condition done) {
    return driverChanged.wait_for(hold, std::chrono::minutes(1), done);
}

template <typename Condition> bool AwaitDriver(Condition done) {
    std::unique_lock<std::mutex> hold(driverLock);
    return AwaitLocked(hold, done);
}

// Has the driver's thread send `message`, and waits until it is sent (but on that thread).
void Announce(std::unique_lock<std::mutex>& hold, uint32_t message) {
    driver.announce = message;
    driverChanged.notify_all();
    if (!onDriverThread) {
        AwaitLocked(hold, [] { return driver.announce == 0 && !driver.busy; });
    }
}

bool Queued(const NativeMidiHeader* header) {
    for (const HeldBuffer& buffer : driver.queue) {
        if (buffer.header == header) {
            return true;
        }
    }
    return false;
}

enum class Step { None, Announce, Report, Return, Play };

// Under driverLock: what the driver's thread does next.
Step NextStep() {
    if (driver.announce != 0) {
        return Step::Announce;
    }
    if (driver.keepBuffers) {
        return Step::None;
    }
    if (driver.reportIndex >= 0) {
        return Step::Report;
    }
    if (driver.queue.empty()) {
        return Step::None;
    }
    if (driver.returnAll) {
        return Step::Return;
    }
    return driver.playing ? Step::Play : Step::None;
}

void Notify(const NativeMidiTarget* target, uint32_t message, NativeMidiHeader* header,
            uint32_t offset = 0) {
    target->callback(target->instance, message, header, offset);
}

uint32_t Word(const uint8_t* at) {
    uint32_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Gives a buffer back: its flagged events first if it was played. Checks that what the driver
// read all along, the native header and the events it names, is still what it was given.
void GiveBack(const NativeMidiTarget* target, HeldBuffer& buffer, bool played) {
    NativeFields now{};
    std::memcpy(&now, buffer.header->bytes, sizeof now);
    const bool intact = now.data == buffer.fields.data && now.length == buffer.fields.length &&
                        std::memcmp(now.data, buffer.given.data(), buffer.given.size()) == 0;
    for (uint32_t at = 0; played && at + StreamEventBytes <= buffer.given.size();
         at += StreamEventBytes) {
        if (Word(buffer.given.data() + at + 8) & MEVT_F_CALLBACK) {
            Notify(target, MOM_POSITIONCB, buffer.header, at);
        }
    }
    Notify(target, MOM_DONE, buffer.header);
    if (!intact) {
        const std::lock_guard<std::mutex> hold(driverLock);
        ++driver.damagedReturns;
    }
}

// Takes one step with driverLock released, as a driver calls back without its own locks.
void TakeStep(std::unique_lock<std::mutex>& hold, Step step) {
    const NativeMidiTarget* target = driver.target;
    driver.busy = true;
    if (step == Step::Announce) {
        const uint32_t message = driver.announce;
        driver.announce = 0;
        hold.unlock();
        Notify(target, message, nullptr);
    } else if (step == Step::Report) {
        const size_t index = static_cast<size_t>(driver.reportIndex);
        const uint32_t offset = driver.reportOffset;
        driver.reportIndex = -1;
        NativeMidiHeader* header =
            index < driver.queue.size() ? driver.queue[index].header : nullptr;
        hold.unlock();
        if (header != nullptr) {
            Notify(target, MOM_POSITIONCB, header, offset);
        }
    } else {
        HeldBuffer buffer = std::move(driver.queue.front());
        driver.queue.pop_front();
        driver.returnAll = driver.returnAll && !driver.queue.empty();
        hold.unlock();
        GiveBack(target, buffer, step == Step::Play);
    }
    hold.lock();
    driver.busy = false;
    driverChanged.notify_all();
}

void RunDriver() {
    onDriverThread = true;
    std::unique_lock<std::mutex> hold(driverLock);
    for (;;) {
        Step step = Step::None;
        while (!driver.quit && (step = NextStep()) == Step::None) {
            driverChanged.wait(hold);
        }
        if (driver.quit) {
            return;
        }
        TakeStep(hold, step);
    }
}

} // namespace

uint32_t NativeStreamOpen(uintptr_t* stream, const NativeMidiTarget* target) {
    NoteCall();
    std::unique_lock<std::mutex> hold(driverLock);
    if (driver.openResult != MMSYSERR_NOERROR) {
        return driver.openResult;
    }
    if (driver.open) {
        return MMSYSERR_ALLOCATED;
    }
    driver.target = target;
    driver.open = true;
    driver.playing = false;
    ++driver.opens;
    *stream = 0x5EED;
    Announce(hold, MOM_OPEN);
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamTimeDivision(uintptr_t, uint32_t division) {
    NoteCall();
    const std::lock_guard<std::mutex> hold(driverLock);
    driver.division = division;
    return MMSYSERR_NOERROR;
}

uint32_t NativeHeaderPrepare(uintptr_t, NativeMidiHeader* header, uint8_t* data, uint32_t length) {
    NoteCall();
    const std::lock_guard<std::mutex> hold(driverLock);
    const NativeFields fields{data, length};
    std::memcpy(header->bytes, &fields, sizeof fields);
    ++driver.prepared;
    driver.lastLength = length;
    return MMSYSERR_NOERROR;
}

uint32_t NativeHeaderUnprepare(uintptr_t, NativeMidiHeader* header) {
    NoteCall();
    const std::lock_guard<std::mutex> hold(driverLock);
    if (Queued(header)) {
        return MIDIERR_STILLPLAYING;
    }
    --driver.prepared;
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamOut(uintptr_t, NativeMidiHeader* header, uint32_t bytesRecorded) {
    NoteCall();
    const std::lock_guard<std::mutex> hold(driverLock);
    NativeFields fields{};
    std::memcpy(&fields, header->bytes, sizeof fields);
    ++driver.outs;
    driver.lastRecorded = bytesRecorded;
    driver.queue.push_back({header, fields, {fields.data, fields.data + bytesRecorded}});
    driverChanged.notify_all();
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamRestart(uintptr_t) {
    NoteCall();
    const std::lock_guard<std::mutex> hold(driverLock);
    driver.playing = true;
    driverChanged.notify_all();
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamStop(uintptr_t) {
    NoteCall();
    const std::lock_guard<std::mutex> hold(driverLock);
    driver.playing = false;
    return MMSYSERR_NOERROR;
}

// midiOutReset returns once every buffer has come back; called from inside a callback it cannot
// wait, the driver's thread being the one to give them back.
uint32_t NativeStreamReset(uintptr_t) {
    NoteCall();
    std::unique_lock<std::mutex> hold(driverLock);
    driver.playing = false;
    if (driver.keepBuffers || driver.queue.empty()) {
        return MMSYSERR_NOERROR;
    }
    driver.returnAll = true;
    driverChanged.notify_all();
    if (!onDriverThread) {
        AwaitLocked(hold, [] { return driver.queue.empty() && !driver.busy; });
    }
    return MMSYSERR_NOERROR;
}

uint32_t NativeStreamClose(uintptr_t) {
    NoteCall();
    std::unique_lock<std::mutex> hold(driverLock);
    if (!driver.queue.empty()) {
        return MIDIERR_STILLPLAYING;
    }
    driver.open = false;
    ++driver.closes;
    Announce(hold, MOM_CLOSE);
    return MMSYSERR_NOERROR;
}

namespace {

struct Received {
    uint32_t message;
    MidiHeader* header;
    uint32_t offset;
};
std::mutex receivedLock;
std::vector<Received> received;

void Record(MidiStreamOut*, uint32_t message, uintptr_t, uintptr_t param1, uintptr_t) {
    auto* header = reinterpret_cast<MidiHeader*>(param1);
    const std::lock_guard<std::mutex> hold(receivedLock);
    received.push_back({message, header, header != nullptr ? header->dwOffset : 0});
}

std::vector<Received> AllReceived() {
    const std::lock_guard<std::mutex> hold(receivedLock);
    return received;
}

// Waits (a minute at most) until `count` notifications have reached Record.
bool AwaitReceived(size_t count) {
    for (int ms = 0; ms < 60000; ms += 2) {
        if (AllReceived().size() >= count) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void ReturnAllBuffers() {
    std::unique_lock<std::mutex> hold(driverLock);
    driver.returnAll = !driver.queue.empty();
    driverChanged.notify_all();
    AwaitLocked(hold, [] { return driver.queue.empty() && !driver.busy; });
}

void ReportPosition(int index, uint32_t offset) {
    std::unique_lock<std::mutex> hold(driverLock);
    driver.reportIndex = index;
    driver.reportOffset = offset;
    driverChanged.notify_all();
    AwaitLocked(hold, [] { return driver.reportIndex < 0 && !driver.busy; });
}

void KeepBuffers(bool keep) {
    const std::lock_guard<std::mutex> hold(driverLock);
    driver.keepBuffers = keep;
    driverChanged.notify_all();
}

template <typename Value> Value Read(const Value& field) {
    const std::lock_guard<std::mutex> hold(driverLock);
    return field;
}

// Every case runs with the driver's thread, and ends by checking what happened on it.
class WinmmStream : public ::testing::Test {
  protected:
    void SetUp() override {
        driver = Driver{};
        received.clear();
        driverThreadAllocations = 0;
        driver.thread = std::thread(RunDriver);
    }

    void TearDown() override {
        {
            const std::lock_guard<std::mutex> hold(driverLock);
            driver.quit = true;
        }
        driverChanged.notify_all();
        driver.thread.join();
        EXPECT_EQ(driver.callsOnItsThread, 0) << "stream calls made on the driver's thread";
        EXPECT_EQ(driverThreadAllocations, 0) << "allocations on the driver's thread";
        EXPECT_EQ(driver.damagedReturns, 0) << "buffers changed while the driver held them";
    }
};

MidiHeader MakeHeader(uint8_t* data, uint32_t length) {
    MidiHeader header{};
    header.lpData = data;
    header.dwBufferLength = length;
    return header;
}

bool Load(MidiPlayer& player, const Bytes& song) {
    return player.LoadFromMemory(song.data(), static_cast<uint32_t>(song.size()), nullptr);
}

} // namespace

TEST_F(WinmmStream, HeadersAreHandedOverAndComeBackAsThePlayersOwn) {
    WinmmMidiStream stream;
    ASSERT_EQ(stream.Open(Record, 7), MMSYSERR_NOERROR);
    EXPECT_EQ(stream.SetTimeDivision(480), MMSYSERR_NOERROR);
    EXPECT_EQ(Read(driver.division), 480u);
    uint8_t first[48] = {};
    uint8_t second[96] = {};
    for (uint8_t at = 0; at < sizeof second; ++at) {
        second[at] = static_cast<uint8_t>(at + 1);
    }
    MidiHeader a = MakeHeader(first, sizeof first);
    MidiHeader b = MakeHeader(second, sizeof second);
    ASSERT_EQ(stream.PrepareHeader(&a), MMSYSERR_NOERROR);
    ASSERT_EQ(stream.PrepareHeader(&b), MMSYSERR_NOERROR);
    EXPECT_EQ(Read(driver.lastLength), 96u);
    a.dwBytesRecorded = 36;
    b.dwBytesRecorded = 24;
    ASSERT_EQ(stream.Out(&a), MMSYSERR_NOERROR);
    ASSERT_EQ(stream.Out(&b), MMSYSERR_NOERROR);
    EXPECT_EQ(Read(driver.lastRecorded), 24u);
    EXPECT_EQ(Read(driver.queue).back().given, std::vector<uint8_t>(second, second + 24));
    EXPECT_EQ(stream.Out(&b), MIDIERR_STILLPLAYING) << "queued twice while the driver holds it";

    // The flagged event at offset 12 of the second buffer plays, then both buffers return.
    ReportPosition(1, 12);
    ReturnAllBuffers();
    ASSERT_TRUE(AwaitReceived(4));
    std::vector<Received> got = AllReceived();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].message, MOM_OPEN);
    EXPECT_EQ(got[1].message, MOM_POSITIONCB);
    EXPECT_EQ(got[1].header, &b);
    EXPECT_EQ(got[1].offset, 12u);
    EXPECT_EQ(got[2].message, MOM_DONE);
    EXPECT_EQ(got[2].header, &a);
    EXPECT_EQ(got[3].header, &b);

    EXPECT_EQ(stream.UnprepareHeader(&a), MMSYSERR_NOERROR);
    EXPECT_EQ(stream.UnprepareHeader(&b), MMSYSERR_NOERROR);
    EXPECT_EQ(Read(driver.prepared), 0);
    EXPECT_EQ(stream.Close(), MMSYSERR_NOERROR);
    EXPECT_FALSE(Read(driver.open));
    // What the driver reported before the close has arrived when Close returns.
    got = AllReceived();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[4].message, MOM_CLOSE);
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
    EXPECT_EQ(Read(driver.outs), 0);
}

TEST_F(WinmmStream, ThePlayerLoopsAndStopsOnIt) {
    const Bytes song = ReadSong();
    ASSERT_FALSE(song.empty());
    WinmmMidiStream stream;
    {
        MidiPlayer player(&stream);
        ASSERT_TRUE(Load(player, song));
        EXPECT_EQ(Read(driver.queue).size(), 2u);
        ASSERT_TRUE(player.Play(true));
        // The driver plays the buffers; each one back is refilled and queued again.
        ASSERT_TRUE(AwaitDriver([] { return driver.outs >= 40; }));
        // The reset gives back what is queued.
        EXPECT_TRUE(player.Stop(false));
        EXPECT_FALSE(Read(driver.open));
        EXPECT_EQ(Read(driver.prepared), 0);
    }
    EXPECT_TRUE(Read(driver.queue).empty());
}

TEST_F(WinmmStream, TheSongEndsAndIsReopenedOffTheDriversThread) {
    // Without loop the player stops, closes and reopens the stream (two empty buffers, paused)
    // once the song is over, from a notification; then plays again from the start. The driver
    // starts only once Play has returned: the player leaves the end of a song to a control call
    // under way, and Play is not one that takes it over.
    const Bytes song = ShortSong();
    WinmmMidiStream stream;
    MidiPlayer player(&stream);
    ASSERT_TRUE(Load(player, song));
    for (int opens = 2; opens <= 3; ++opens) {
        KeepBuffers(true);
        ASSERT_TRUE(player.Play(false));
        KeepBuffers(false);
        ASSERT_TRUE(AwaitDriver(
            [opens] { return driver.opens == opens && driver.queue.size() == 2 && !driver.busy; }));
    }
    EXPECT_EQ(Read(driver.closes), 2);
    EXPECT_FALSE(Read(driver.playing));
}

TEST_F(WinmmStream, AStopThatGivesUpKeepsWhatTheDriverHoldsUntilItCanClose) {
    const Bytes song = ReadSong();
    WinmmMidiStream stream;
    MidiPlayer first(&stream);
    KeepBuffers(true); // a hung driver: nothing comes back, not even on the reset
    ASSERT_TRUE(Load(first, song));
    ASSERT_TRUE(first.Play(true));
    EXPECT_TRUE(first.Stop(false)); // gives up after its wait
    EXPECT_TRUE(Read(driver.open));
    EXPECT_EQ(Read(driver.queue).size(), 2u);

    // Memory the player gave up is used again; what the driver reads must not be part of it.
    std::vector<std::vector<uint8_t>> reused;
    for (int block = 0; block < 8; ++block) {
        reused.emplace_back(StreamBufferBytes, 0xEE);
    }
    // The old handle cannot close while the driver holds its buffers: no new stream yet.
    EXPECT_EQ(stream.Open(Record, 0), MMSYSERR_ALLOCATED);

    // The driver comes back and returns its buffers, checked as they come. Then a new stream
    // opens on the same output, the old handle closed first.
    KeepBuffers(false);
    ReturnAllBuffers();
    EXPECT_EQ(Read(driver.damagedReturns), 0);
    MidiPlayer later(&stream);
    ASSERT_TRUE(Load(later, song));
    EXPECT_EQ(Read(driver.closes), 1);
    EXPECT_EQ(Read(driver.opens), 2);
    ASSERT_TRUE(later.Play(true));
    ASSERT_TRUE(AwaitDriver([] { return driver.outs >= 12; }));
    EXPECT_TRUE(later.Stop(false));
    EXPECT_FALSE(Read(driver.open));
}
