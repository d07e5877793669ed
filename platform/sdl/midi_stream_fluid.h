// The game's sounding MIDI stream output: FluidSynth with a General MIDI SoundFont, rendered
// in the audio output's callback with every event placed at its own sample.
#pragma once

#include <cstdint>

#include "music/queued_midi_stream.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

class FluidMidiStream : public QueuedMidiStream {
  public:
    FluidMidiStream();
    ~FluidMidiStream() override;

    // Makes the synthesizer at the audio output's sample rate with the first SoundFont found
    // (default-GM, TimGM6mb or FluidR3_GM under /usr/share/sounds/sf2 or /usr/share/soundfonts)
    // and has the audio output call RenderFrames. False without an audio device or SoundFont;
    // Open then fails and the game runs without music. Main thread, at start-up.
    bool Start();

    // The same without the audio output, for rendering to a file: the caller calls
    // RenderFrames itself. `soundFont` null: search the usual places.
    bool StartOffline(int sampleRate, const char* soundFont);

    // Takes the renderer off the audio output, ends the notification thread and frees the
    // synthesizer. Main thread, after the player has stopped.
    void Shutdown();

    // Fills `frameCount` interleaved stereo 16-bit frames: the synthesizer rendered up to each
    // due event's sample, the event sent, and so on to the end. Runs in the audio callback:
    // it never allocates or waits (if the stream is busy, its events wait for the next call).
    void RenderFrames(int16_t* frames, int frameCount);

  protected:
    uint32_t OpenError() const override;

  private:
    bool CreateSynth(int rate, const char* soundFont);
    static void RenderCallback(int16_t* frames, int frameCount, void* context);

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool registered = false;
    int sampleRate = 0;
    double owedFrames = 0; // rendered while the stream was busy; its events come late
};
