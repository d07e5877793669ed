// midirender: plays a MIDI file through the music player's buffer filling into FluidSynth and
// writes the result as a 16-bit stereo WAV, with no audio device, to hear and measure a song.
//   midirender IN.mid OUT.wav [--passes N] [--soundfont FILE] [--rate HZ] [--gain G]
#include <fluidsynth.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music/midi_player.h"

namespace {

struct Options {
    const char* input = nullptr;
    const char* output = nullptr;
    int passes = 1;
    std::string soundFont;
    int rate = 44100;
    double gain = 0.5; // FluidSynth's master gain; its own default of 0.2 is very quiet
};

const char* const SoundFontPlaces[] = {
    "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/TimGM6mb.sf2",   "/usr/share/soundfonts/FluidR3_GM.sf2",
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--passes") == 0 && hasValue) {
            options.passes = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--soundfont") == 0 && hasValue) {
            options.soundFont = argv[++i];
        } else if (std::strcmp(argv[i], "--rate") == 0 && hasValue) {
            options.rate = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--gain") == 0 && hasValue) {
            options.gain = std::atof(argv[++i]);
        } else if (options.input == nullptr) {
            options.input = argv[i];
        } else if (options.output == nullptr) {
            options.output = argv[i];
        } else {
            return false;
        }
    }
    return options.input && options.output && options.passes > 0 && options.rate >= 8000;
}

std::string FindSoundFont(const std::string& asked) {
    if (!asked.empty()) {
        return asked;
    }
    for (const char* place : SoundFontPlaces) {
        if (std::ifstream(place).good()) {
            return place;
        }
    }
    return {};
}

// A player that tells how many passes of the song the filling has finished.
class RenderPlayer : public MidiPlayer {
  public:
    void SetLoop(bool loop) { loopFlag = loop; }
    bool ReachedEnd() const { return (fillFlags & EndOfSong) != 0; }
    bool Failed() const { return (fillFlags & FillFailed) != 0; }
    uint16_t Division() const { return division; }
};

void SendShortMessage(fluid_synth_t* synth, uint32_t word) {
    int status = word & 0xF0;
    int channel = word & 0x0F;
    int data1 = (word >> 8) & 0x7F;
    int data2 = (word >> 16) & 0x7F;
    switch (status) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        fluid_synth_noteon(synth, channel, data1, data2);
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

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// Renders the synthesizer's output up to `untilFrame`.
void RenderUntil(fluid_synth_t* synth, double untilFrame, std::vector<int16_t>& samples) {
    size_t target = static_cast<size_t>(untilFrame) * 2;
    if (target <= samples.size()) {
        return;
    }
    size_t from = samples.size();
    samples.resize(target);
    int frames = static_cast<int>((target - from) / 2);
    fluid_synth_write_s16(synth, frames, samples.data() + from, 0, 2, samples.data() + from, 1, 2);
}

// Plays the buffers the filling produces, each event at its own sample.
bool RenderSong(RenderPlayer& player, fluid_synth_t* synth, const Options& options,
                std::vector<int16_t>& samples) {
    std::vector<uint8_t> block(StreamBufferBytes);
    StreamBuffer buffer{};
    buffer.header.lpData = block.data();
    buffer.header.dwBufferLength = StreamBufferBytes;
    double tempo = 500000; // the stream's default: 120 beats per minute
    double frame = 0;
    int passes = 0;
    for (bool first = true; passes < options.passes; first = false) {
        ResetForFill(buffer);
        int32_t result = player.FillBuffer(first, buffer);
        if (result != 0) {
            return result == SongEnded;
        }
        for (uint32_t at = 0; at < buffer.used; at += StreamEventBytes) {
            uint32_t delta = LittleEndian32(block.data() + at);
            uint32_t word = LittleEndian32(block.data() + at + 8);
            frame += delta * tempo / 1e6 * options.rate / player.Division();
            RenderUntil(synth, frame, samples);
            if ((word >> 24) == MEVT_TEMPO) {
                tempo = word & 0xFFFFFF;
            } else {
                SendShortMessage(synth, word);
            }
        }
        passes += player.ReachedEnd() ? 1 : 0;
    }
    for (int channel = 0; channel < 16; ++channel) {
        fluid_synth_all_notes_off(synth, channel);
    }
    RenderUntil(synth, frame + 2.0 * options.rate, samples); // the release and reverb tail
    return true;
}

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

bool WriteWav(const char* path, const std::vector<int16_t>& samples, int rate) {
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    PutLittleEndian(header, 36 + dataBytes, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLittleEndian(header, 16, 4);
    PutLittleEndian(header, 1, 2); // PCM
    PutLittleEndian(header, 2, 2); // stereo
    PutLittleEndian(header, static_cast<uint32_t>(rate), 4);
    PutLittleEndian(header, static_cast<uint32_t>(rate) * 4, 4);
    PutLittleEndian(header, 4, 2);
    PutLittleEndian(header, 16, 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLittleEndian(header, dataBytes, 4);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()),
              static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: midirender IN.mid OUT.wav [--passes N] [--soundfont FILE] "
                             "[--rate HZ] [--gain G]\n");
        return 2;
    }
    std::ifstream in(options.input, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    RenderPlayer player;
    if (!player.ParseHeader(file.data(), static_cast<uint32_t>(file.size()))) {
        std::fprintf(stderr, "midirender: %s is not a MIDI file we can read\n", options.input);
        return 1;
    }
    player.SetLoop(options.passes > 1);
    std::string soundFont = FindSoundFont(options.soundFont);

    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", options.rate);
    fluid_settings_setnum(settings, "synth.gain", options.gain);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (soundFont.empty() || fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        std::fprintf(stderr, "midirender: no SoundFont found\n");
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return 1;
    }
    std::vector<int16_t> samples;
    bool played = RenderSong(player, synth, options, samples);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    if (!played) {
        std::fprintf(stderr, "midirender: the song has a read error\n");
        return 1;
    }
    if (!WriteWav(options.output, samples, options.rate)) {
        std::fprintf(stderr, "midirender: cannot write %s\n", options.output);
        return 1;
    }
    std::printf("midirender: %s, %.1f s with %s\n", options.output,
                samples.size() / 2.0 / options.rate, soundFont.c_str());
    return 0;
}
