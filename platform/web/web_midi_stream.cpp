// The page's stream output: the stream clock advanced in short steps ahead of the audio
// output, with the notifications delivered between the steps, and the events of each pump
// handed to the page's synthesizer in one batch.
#include "platform/web/web_midi_stream.h"

#include "platform/web/web_shell.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// How far ahead of the audio output the events are handed. A window made anew after F1
// generates every texture again and holds the main thread for a good while on a slow machine.
constexpr double LeadSeconds = 2.0;
// Where the music takes up at the start or after a hold-up longer than the lead: the time a
// batch takes to reach the worklet.
constexpr double StartDelaySeconds = 0.1;
// One step of the clock between deliveries: well under the ~60 ms a stream buffer lasts, so
// the player refills each buffer before the clock reaches its end.
constexpr double StepSeconds = 0.02;

// Note messages; the rest (programs, controllers, pitch bend) set a channel up.
bool SoundsANote(uint32_t message) {
    const uint32_t kind = message & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

} // namespace

// Collects the events a pump plays as (audio frame, short message) pairs.
class WebMidiStream::Batch : public StreamEventSink {
  public:
    explicit Batch(double restartFrame) : restartFrame(restartFrame) {}

    void ShortMessage(uint32_t message, double offset) override {
        if (skipping && SoundsANote(message)) {
            return;
        }
        events.push_back(skipping ? from : from + offset);
        events.push_back(static_cast<double>(message));
    }

    // A stop: what was handed and has not sounded yet goes, and the next events follow at once.
    void Silence() override {
        Send();
        PageSilenceMusic();
        from = restartFrame;
    }

    void Send() {
        if (!events.empty()) {
            PageHandMusicEvents(events.data(), static_cast<int>(events.size() / 2));
            events.clear();
        }
    }

    double from = 0.0; // the audio frame at which the clock's current step begins
    bool skipping = false;

  private:
    double restartFrame;
    std::vector<double> events;
};

WebMidiStream::WebMidiStream() : QueuedMidiStream(44100, NotificationDelivery::ByOwner) {}

void WebMidiStream::UseSynthesizer(int rate) {
    sampleRate = rate;
    SetClockRate(rate);
}

uint32_t WebMidiStream::OpenError() const {
    return sampleRate > 0 ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}

void WebMidiStream::SkipAhead(double seconds) {
    skipSeconds = std::max(seconds, 0.0);
}

void WebMidiStream::Pump(double audioFrame) {
    if (sampleRate == 0) {
        return;
    }
    const double restartFrame = audioFrame + StartDelaySeconds * sampleRate;
    if (handedUntil < audioFrame) {
        handedUntil = restartFrame;
    }
    Batch batch(restartFrame);
    if (skipSeconds > 0.0) {
        batch.skipping = true;
        batch.from = handedUntil;
        RunAhead(skipSeconds * sampleRate, batch, false);
        batch.skipping = false;
        skipSeconds = 0.0;
    }
    const double target = audioFrame + LeadSeconds * sampleRate;
    if (target > handedUntil) {
        RunAhead(target - handedUntil, batch, true);
    }
    batch.Send();
}

// Runs the clock `frames` on in steps; `sounding`: the steps are the audio's frames from
// handedUntil on (otherwise they take no audio time, as a skip).
void WebMidiStream::RunAhead(double frames, Batch& batch, bool sounding) {
    for (double left = frames; left > 0.0;) {
        const double step = std::min(left, StepSeconds * sampleRate);
        if (sounding) {
            batch.from = handedUntil;
        }
        {
            std::lock_guard<std::mutex> guard(lock);
            AdvanceLocked(step, batch);
        }
        if (sounding) {
            handedUntil = batch.from + step;
        }
        left -= step;
        DeliverNotifications();
    }
}
