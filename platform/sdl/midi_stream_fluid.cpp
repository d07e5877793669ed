// The FluidSynth stream output: the stream clock runs in samples of the audio device, and the
// synthesizer is rendered between the events inside the audio callback.
#include "platform/sdl/midi_stream_fluid.h"

#include <fluidsynth.h>

#include <algorithm>
#include <string>

#include "platform/sdl/audio_output.h"

namespace {

const char* const SoundFontFolders[] = {"/usr/share/sounds/sf2", "/usr/share/soundfonts"};
const char* const SoundFontNames[] = {"default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2"};

// FluidSynth's own default (0.2) is very quiet; 0.5 keeps the music under the effects.
constexpr double MasterGain = 0.5;
constexpr int MidiChannels = 16;

bool FindSoundFont(std::string& path) {
    for (const char* folder : SoundFontFolders) {
        for (const char* name : SoundFontNames) {
            std::string candidate = std::string(folder) + "/" + name;
            if (fluid_is_soundfont(candidate.c_str())) {
                path = candidate;
                return true;
            }
        }
    }
    return false;
}

// The game has no log: FluidSynth's messages are dropped.
void SilenceFluidSynthLog() {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
}

void SendShortMessage(fluid_synth_t* synth, uint32_t message) {
    int channel = message & 0x0F;
    int data1 = (message >> 8) & 0x7F;
    int data2 = (message >> 16) & 0x7F;
    switch (message & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        fluid_synth_noteon(synth, channel, data1, data2); // velocity 0 is a note off
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
        break;
    default:
        break;
    }
}

// Renders the synthesizer into one block of frames, event by event.
class BlockRenderer : public StreamEventSink {
  public:
    BlockRenderer(fluid_synth_t* synth, int16_t* frames, int frameCount, double owed)
        : synth(synth), frames(frames), frameCount(frameCount), owed(owed) {}

    void ShortMessage(uint32_t message, double offset) override {
        // Events that fell due while the stream was busy sound at the start of this block.
        int at = static_cast<int>(std::clamp(offset - owed, 0.0, double(frameCount)));
        RenderTo(at);
        SendShortMessage(synth, message);
    }

    void Silence() override {
        for (int channel = 0; channel < MidiChannels; ++channel) {
            fluid_synth_all_notes_off(synth, channel);
        }
    }

    void RenderTo(int frame) {
        if (frame > rendered) {
            int16_t* from = frames + 2 * rendered;
            fluid_synth_write_s16(synth, frame - rendered, from, 0, 2, from, 1, 2);
            rendered = frame;
        }
    }

  private:
    fluid_synth_t* synth;
    int16_t* frames;
    int frameCount;
    double owed;
    int rendered = 0;
};

} // namespace

FluidMidiStream::FluidMidiStream() : QueuedMidiStream(44100) {}

FluidMidiStream::~FluidMidiStream() {
    Shutdown();
}

bool FluidMidiStream::CreateSynth(int rate, const char* soundFont) {
    if (synth != nullptr) {
        return true;
    }
    // Before the search: FluidSynth reports every SoundFont that is not there on stderr.
    SilenceFluidSynthLog();
    std::string path = soundFont != nullptr ? soundFont : "";
    if (rate <= 0 || (path.empty() && !FindSoundFont(path))) {
        return false;
    }
    sampleRate = rate;
    settings = new_fluid_settings();
    if (settings == nullptr) {
        return false;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", rate);
    fluid_settings_setnum(settings, "synth.gain", MasterGain);
    // Only the audio thread touches the synthesizer once it runs, under the stream's lock.
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_synth_t* made = new_fluid_synth(settings);
    if (made == nullptr || fluid_synth_sfload(made, path.c_str(), 1) == FLUID_FAILED) {
        if (made != nullptr) {
            delete_fluid_synth(made);
        }
        delete_fluid_settings(settings);
        settings = nullptr;
        return false;
    }
    SetClockRate(rate);
    std::lock_guard<std::mutex> guard(lock);
    synth = made;
    return true;
}

bool FluidMidiStream::Start() {
    if (!AudioOutputIsOpen() || !CreateSynth(AudioOutputSampleRate(), nullptr)) {
        return false;
    }
    SetMusicRenderer(&FluidMidiStream::RenderCallback, this);
    registered = true;
    return true;
}

bool FluidMidiStream::StartOffline(int sampleRate, const char* soundFont) {
    return CreateSynth(sampleRate, soundFont);
}

void FluidMidiStream::Shutdown() {
    if (registered) {
        // Once this returns the audio callback no longer calls us.
        SetMusicRenderer(nullptr, nullptr);
        registered = false;
    }
    StopNotificationThread();
    fluid_synth_t* old = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        old = synth;
        synth = nullptr;
    }
    if (old != nullptr) {
        delete_fluid_synth(old);
    }
    if (settings != nullptr) {
        delete_fluid_settings(settings);
        settings = nullptr;
    }
}

uint32_t FluidMidiStream::OpenError() const {
    return synth != nullptr ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
}

void FluidMidiStream::RenderCallback(int16_t* frames, int frameCount, void* context) {
    static_cast<FluidMidiStream*>(context)->RenderFrames(frames, frameCount);
}

void FluidMidiStream::RenderFrames(int16_t* frames, int frameCount) {
    // The synthesizer pointer only changes while no renderer is registered.
    if (synth == nullptr) {
        std::fill(frames, frames + 2 * frameCount, int16_t{0});
        return;
    }
    BlockRenderer renderer(synth, frames, frameCount, owedFrames);
    // Never wait in the audio callback: if a stream call holds the lock, the clock catches up
    // in the next block, with the events that fell due in between at its start.
    if (lock.try_lock()) {
        AdvanceLocked(owedFrames + frameCount, renderer);
        lock.unlock();
        owedFrames = 0;
    } else {
        owedFrames = std::min(owedFrames + frameCount, double(sampleRate)); // at most 1 s late
    }
    renderer.RenderTo(frameCount);
}
