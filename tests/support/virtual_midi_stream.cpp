// The virtual stream output of the music tests.
#include "tests/support/virtual_midi_stream.h"

#include <cstring>

// Keeps what the clock plays, with the stream time it plays at.
class VirtualMidiStream::Recorder : public StreamEventSink {
  public:
    explicit Recorder(VirtualMidiStream& stream) : stream(stream) {}

    void ShortMessage(uint32_t message, double offset) override {
        stream.played.push_back({stream.clockUs + static_cast<uint64_t>(offset), message});
    }

    void Silence() override { ++stream.silences; }

  private:
    VirtualMidiStream& stream;
};

VirtualMidiStream::VirtualMidiStream(NotificationDelivery delivery)
    : QueuedMidiStream(1e6, delivery) {}

VirtualMidiStream::~VirtualMidiStream() {
    StopNotificationThread();
}

uint32_t VirtualMidiStream::Record(const std::string& call) {
    std::lock_guard<std::mutex> guard(recordLock);
    calls.push_back(call);
    auto failure = failures.find(call.substr(0, call.find(' ')));
    if (failure == failures.end()) {
        return MMSYSERR_NOERROR;
    }
    uint32_t error = failure->second;
    failures.erase(failure);
    return error;
}

uint32_t VirtualMidiStream::Open(MidiStreamCallback callback, uintptr_t instance) {
    uint32_t error = Record("Open");
    return error ? error : QueuedMidiStream::Open(callback, instance);
}

uint32_t VirtualMidiStream::SetTimeDivision(uint32_t division) {
    uint32_t error = Record("SetTimeDivision " + std::to_string(division));
    return error ? error : QueuedMidiStream::SetTimeDivision(division);
}

uint32_t VirtualMidiStream::PrepareHeader(MidiHeader* header) {
    uint32_t error = Record("Prepare");
    return error ? error : QueuedMidiStream::PrepareHeader(header);
}

uint32_t VirtualMidiStream::UnprepareHeader(MidiHeader* header) {
    uint32_t error = Record("Unprepare");
    return error ? error : QueuedMidiStream::UnprepareHeader(header);
}

uint32_t VirtualMidiStream::Out(MidiHeader* header) {
    uint32_t error = Record("Out " + std::to_string(header ? header->dwBytesRecorded : 0));
    if (error || header == nullptr || header->dwBytesRecorded > header->dwBufferLength) {
        return error ? error : QueuedMidiStream::Out(header);
    }
    std::vector<MidiEvent> events(header->dwBytesRecorded / StreamEventBytes);
    if (!events.empty()) {
        std::memcpy(events.data(), header->lpData, events.size() * sizeof(MidiEvent));
    }
    {
        std::lock_guard<std::mutex> guard(recordLock);
        outBuffers.push_back(events);
    }
    return QueuedMidiStream::Out(header);
}

uint32_t VirtualMidiStream::Restart() {
    uint32_t error = Record("Restart");
    return error ? error : QueuedMidiStream::Restart();
}

uint32_t VirtualMidiStream::Stop() {
    uint32_t error = Record("Stop");
    return error ? error : QueuedMidiStream::Stop();
}

uint32_t VirtualMidiStream::Reset() {
    uint32_t error = Record("Reset");
    return error ? error : QueuedMidiStream::Reset();
}

uint32_t VirtualMidiStream::Close() {
    uint32_t error = Record("Close");
    return error ? error : QueuedMidiStream::Close();
}

void VirtualMidiStream::Advance(uint32_t milliseconds) {
    Recorder recorder(*this);
    for (uint32_t step = 0; step < milliseconds; ++step) {
        {
            std::lock_guard<std::mutex> guard(lock);
            AdvanceLocked(1000, recorder);
            clockUs += 1000;
        }
        WaitForNotifications();
    }
}

void VirtualMidiStream::FailNext(const std::string& call, uint32_t error) {
    std::lock_guard<std::mutex> guard(recordLock);
    failures[call] = error;
}

std::vector<std::string> VirtualMidiStream::Calls() {
    std::lock_guard<std::mutex> guard(recordLock);
    return calls;
}

std::vector<std::vector<MidiEvent>> VirtualMidiStream::QueuedBuffers() {
    std::lock_guard<std::mutex> guard(recordLock);
    return outBuffers;
}

std::vector<VirtualMidiStream::PlayedEvent> VirtualMidiStream::Played() {
    std::lock_guard<std::mutex> guard(lock);
    return played;
}

int VirtualMidiStream::Silences() {
    std::lock_guard<std::mutex> guard(lock);
    return silences;
}
