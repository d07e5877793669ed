// The page's MIDI stream output: the queued buffers played by the stream clock on the page's
// main thread, each event handed ahead of time to the synthesizer in the page's audio worklet
// with the audio frame it must sound at.
#pragma once

#include "music/queued_midi_stream.h"

// A page has no threads: notifications are delivered by Pump and by the stream calls
// themselves (NotificationDelivery::ByOwner), so MidiPlayer's stop never waits.
//
// The stream clock runs ahead of the audio output by up to LeadSeconds: each Pump hands the
// synthesizer every event that falls due until then, stamped with its audio frame, so a main
// thread held up for less than that (a slow frame, a window made anew) loses no note. Held up
// longer, the music takes up again from where it was, a little after the frame of the pump.
class WebMidiStream : public QueuedMidiStream {
  public:
    WebMidiStream();

    // The synthesizer runs at `sampleRate` frames a second; Open succeeds from now on.
    void UseSynthesizer(int sampleRate);

    // Advances the stream clock to LeadSeconds past `audioFrame` (the audio output's frame
    // now), delivering the notifications between steps so that the player's refills keep up,
    // and hands what played to the synthesizer. Main thread, once a frame.
    void Pump(double audioFrame);

    // For the tests of the song's end only: the next pump first runs the stream clock
    // `seconds` on without sounding a note (programs and controllers still take effect).
    void SkipAhead(double seconds);

  protected:
    uint32_t OpenError() const override;

  private:
    class Batch;
    void RunAhead(double frames, Batch& batch, bool sounding);

    int sampleRate = 0;
    double handedUntil = -1.0; // the audio frame up to which events have been handed
    double skipSeconds = 0.0;
};
