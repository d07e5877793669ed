// midirender: plays a MIDI file the way the game does (MidiPlayer on the FluidSynth stream
// output) but offline, into a 16-bit stereo WAV file, to hear and measure a song.
//   midirender IN.mid OUT.wav [--passes N] [--soundfont FILE] [--rate HZ]
// With N > 1 the song loops (Play(true)) and N passes are rendered; with 1 it plays once
// (Play(false)). Three seconds of tail follow. Prints the length of one pass.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "music/midi_player.h"
#include "platform/sdl/midi_stream_fluid.h"

namespace {

constexpr int BlockFrames = 1024; // what the audio device asks for at a time
constexpr double TailSeconds = 3.0;

struct Options {
    const char* input = nullptr;
    const char* output = nullptr;
    int passes = 1;
    const char* soundFont = nullptr;
    int rate = 44100;
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

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The length of one pass of the song in seconds, as the filling times it (tempo events
// included, the time after the last written event left out, as when looping).
double PassSeconds(const std::vector<uint8_t>& file) {
    MidiPlayer reader;
    if (!reader.ParseHeader(file.data(), static_cast<uint32_t>(file.size()))) {
        return 0;
    }
    std::vector<uint8_t> block(StreamBufferBytes);
    StreamBuffer buffer{};
    buffer.header.lpData = block.data();
    buffer.header.dwBufferLength = StreamBufferBytes;
    double seconds = 0;
    double tempo = 500000;
    uint32_t division = file.size() >= 14 ? (file[12] << 8 | file[13]) : 0;
    for (bool first = true; division != 0; first = false) {
        ResetForFill(buffer);
        if (reader.FillBuffer(first, buffer) != 0) {
            break;
        }
        for (uint32_t at = 0; at < buffer.used; at += StreamEventBytes) {
            seconds += LittleEndian32(block.data() + at) * tempo / 1e6 / division;
            uint32_t word = LittleEndian32(block.data() + at + 8);
            if ((word >> 24) == MEVT_TEMPO) {
                tempo = word & 0xFFFFFF;
            }
        }
    }
    return seconds;
}

bool WriteWav(const char* path, const std::vector<int16_t>& samples, int rate) {
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    uint8_t header[44] = {'R', 'I', 'F', 'F', 0,  0, 0, 0, 'W', 'A', 'V', 'E',
                          'f', 'm', 't', ' ', 16, 0, 0, 0, 1,   0,   2,   0};
    auto put = [&header](int at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            header[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    put(4, 36 + dataBytes, 4);
    put(24, static_cast<uint32_t>(rate), 4);
    put(28, static_cast<uint32_t>(rate) * 4, 4);
    put(32, 4, 2);
    put(34, 16, 2);
    std::memcpy(header + 36, "data", 4);
    put(40, dataBytes, 4);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof(header));
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: midirender IN.mid OUT.wav [--passes N] [--soundfont FILE] [--rate HZ]\n");
        return 2;
    }
    std::ifstream in(options.input, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    double pass = PassSeconds(file);

    FluidMidiStream output;
    if (!output.StartOffline(options.rate, options.soundFont)) {
        std::fprintf(stderr, "midirender: no SoundFont found\n");
        return 1;
    }
    std::vector<int16_t> samples;
    {
        MidiPlayer player(&output);
        if (!player.LoadFromMemory(file.data(), static_cast<uint32_t>(file.size()), nullptr) ||
            !player.Play(options.passes > 1)) {
            std::fprintf(stderr, "midirender: %s does not play\n", options.input);
            return 1;
        }
        size_t frames = static_cast<size_t>((pass * options.passes + TailSeconds) * options.rate);
        samples.resize(frames * 2);
        for (size_t at = 0; at < frames; at += BlockFrames) {
            int count = static_cast<int>(std::min<size_t>(BlockFrames, frames - at));
            output.RenderFrames(samples.data() + 2 * at, count);
            // As fast as a real device would be slow: the refills are in before the next block.
            output.WaitForNotifications();
        }
    }
    output.Shutdown();
    if (!WriteWav(options.output, samples, options.rate)) {
        std::fprintf(stderr, "midirender: cannot write %s\n", options.output);
        return 1;
    }
    std::printf("midirender: %s, %d pass(es) of %.3f s, %.1f s in all\n", options.output,
                options.passes, pass, samples.size() / 2.0 / options.rate);
    return 0;
}
