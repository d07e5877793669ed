// songgen: writes the game's background song, "Kesselfass-Polka", as a Standard MIDI File
// (format 1, division 480): a tempo track and tuba, accordion, clarinet and drums, 40 bars of
// a cheerful polka in F major (A A' trio trio' A) whose last bar turns back to the first.
//   songgen OUTPUT.mid
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t Division = 480;
constexpr uint32_t Eighth = Division / 2;
constexpr uint32_t Beat = Division;
constexpr uint32_t Bar = 4 * Beat;
constexpr int BarCount = 40;
constexpr uint32_t SongEnd = BarCount * Bar;

constexpr uint8_t BassChannel = 0;
constexpr uint8_t HarmonyChannel = 1;
constexpr uint8_t LeadChannel = 2;
constexpr uint8_t DrumChannel = 9; // MIDI channel 10

// General MIDI programs (0-based) and drum keys.
constexpr uint8_t Tuba = 58;
constexpr uint8_t Accordion = 21;
constexpr uint8_t Clarinet = 71;
constexpr uint8_t Kick = 36;
constexpr uint8_t Snare = 38;
constexpr uint8_t ClosedHat = 42;
constexpr uint8_t OpenHat = 46;
constexpr uint8_t Ride = 51;
constexpr uint8_t Crash = 49;
constexpr uint8_t HighTom = 50;
constexpr uint8_t LowTom = 45;
constexpr uint8_t Tambourine = 54;

// One timed event of a track; `order` sorts events of one tick (meta, controls, offs, ons).
struct TimedEvent {
    uint32_t tick;
    int order;
    std::vector<uint8_t> bytes;
};

class TrackBuilder {
  public:
    void Meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> bytes = {0xFF, type};
        AppendVarLen(bytes, static_cast<uint32_t>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
        events.push_back({tick, 0, bytes});
    }

    void Name(const std::string& name) { Meta(0, 0x03, {name.begin(), name.end()}); }

    void Tempo(uint32_t tick, double beatsPerMinute) {
        uint32_t us = static_cast<uint32_t>(60000000.0 / beatsPerMinute + 0.5);
        Meta(tick, 0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
    }

    void Program(uint8_t channel, uint8_t program) {
        events.push_back({0, 1, {uint8_t(0xC0 | channel), program}});
    }

    void Control(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value) {
        events.push_back({tick, 1, {uint8_t(0xB0 | channel), controller, value}});
    }

    // A note of `length` ticks sounding for `gate` of it (legato near 1, staccato lower).
    void Note(uint32_t tick, uint32_t length, double gate, uint8_t channel, int key, int velocity) {
        uint32_t sounding = std::max<uint32_t>(static_cast<uint32_t>(length * gate), 30);
        events.push_back({tick, 3, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)}});
        events.push_back({tick + sounding, 2, {uint8_t(0x80 | channel), uint8_t(key), 0x40}});
    }

    // The chunk's data: events in time order with running status, End of Track at `end`.
    std::vector<uint8_t> Encode(uint32_t end) {
        std::stable_sort(events.begin(), events.end(),
                         [](const TimedEvent& a, const TimedEvent& b) {
                             return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
                         });
        std::vector<uint8_t> out;
        uint32_t now = 0;
        uint8_t runningStatus = 0;
        for (const TimedEvent& e : events) {
            AppendVarLen(out, e.tick - now);
            now = e.tick;
            size_t from = (e.bytes[0] == runningStatus) ? 1 : 0;
            runningStatus = e.bytes[0] < 0xF0 ? e.bytes[0] : runningStatus;
            out.insert(out.end(), e.bytes.begin() + from, e.bytes.end());
        }
        AppendVarLen(out, end - now);
        out.insert(out.end(), {0xFF, 0x2F, 0x00});
        return out;
    }

  private:
    static void AppendVarLen(std::vector<uint8_t>& out, uint32_t value) {
        uint8_t groups[5];
        int count = 0;
        do {
            groups[count++] = value & 0x7F;
            value >>= 7;
        } while (value != 0);
        while (count > 1) {
            out.push_back(groups[--count] | 0x80);
        }
        out.push_back(groups[0]);
    }

    std::vector<TimedEvent> events;
};

// "C5", "Bb4", "F#3" to a MIDI key (C4 = 60).
int KeyOf(const std::string& name) {
    static const int semitone[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int key = semitone[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == 'b') {
        --key;
        ++at;
    } else if (name[at] == '#') {
        ++key;
        ++at;
    }
    return key + 12 * (std::stoi(name.substr(at)) + 1);
}

// The chords of the 40 bars; the last bar turns from F to C7 at its middle.
const char* const Chords[BarCount] = {
    "F",  "Bb", "C7", "F",  "F",  "Bb", "C7", "F",  // A
    "F",  "Dm", "Gm", "C7", "F",  "Bb", "C7", "F",  // A, answered
    "Bb", "Eb", "F7", "Bb", "Gm", "C7", "F",  "F7", // trio, back to its start
    "Bb", "Eb", "F7", "Bb", "Gm", "C7", "F",  "C7", // trio again, on to the reprise
    "F",  "Bb", "C7", "F",  "F",  "Bb", "C7", "F",  // A again, then back to the top
};

// Sections by bar (0-based): the trio and its repeat, and the closing reprise.
bool InTrio(int bar) {
    return bar >= 16 && bar < 32;
}

bool InFirstTrio(int bar) {
    return bar >= 16 && bar < 24;
}

bool InReprise(int bar) {
    return bar >= 32;
}

struct ChordShape {
    const char* name;
    int bassRoot;           // the tuba's downbeat
    int bassOther;          // its third beat: the fifth
    int voicing[4];         // accordion, close position around A3..G4
    std::vector<int> tones; // pitch classes, for the harmony voice of the reprise
};

const ChordShape Shapes[] = {
    {"F", 41, 36, {57, 60, 65, 69}, {5, 9, 0}},      {"Bb", 46, 41, {58, 62, 65, 70}, {10, 2, 5}},
    {"C7", 48, 43, {58, 60, 64, 67}, {0, 4, 7, 10}}, {"Dm", 50, 45, {57, 62, 65, 69}, {2, 5, 9}},
    {"Gm", 43, 38, {58, 62, 67, 70}, {7, 10, 2}},    {"Eb", 39, 46, {58, 63, 67, 70}, {3, 7, 10}},
    {"F7", 41, 36, {57, 60, 63, 69}, {5, 9, 0, 3}},
};

const ChordShape& ShapeOf(const char* name) {
    for (const ChordShape& shape : Shapes) {
        if (std::string(shape.name) == name) {
            return shape;
        }
    }
    return Shapes[0];
}

// The clarinet's tune, bar by bar: note and length in eighths; "r" is a rest.
const char* const Melody[BarCount] = {
    "C5 1 F5 1 A5 2 A5 1 G5 1 F5 2", // 1
    "D5 1 F5 1 Bb5 2 Bb5 1 A5 1 G5 2",
    "E5 1 G5 1 C6 2 Bb5 1 A5 1 G5 1 E5 1",
    "F5 2 A5 2 F5 4",
    "C5 1 F5 1 A5 2 C6 1 A5 1 F5 2", // 5
    "D6 2 C6 1 Bb5 1 A5 2 G5 2",
    "E5 1 F5 1 G5 1 A5 1 Bb5 2 G5 2",
    "F5 4 r 2 C5 2",
    "A5 2 G5 1 F5 1 C6 2 A5 2", // 9
    "D6 2 C6 1 A5 1 F5 2 D5 2",
    "G5 1 A5 1 Bb5 2 D6 2 Bb5 2",
    "C6 2 Bb5 1 A5 1 G5 1 E5 1 C5 2",
    "F5 1 G5 1 A5 1 Bb5 1 C6 2 A5 2", // 13
    "Bb5 1 C6 1 D6 2 C6 1 Bb5 1 G5 2",
    "A5 1 Bb5 1 G5 2 E5 2 C5 2",
    "F5 4 r 1 F5 1 G5 1 A5 1",
    "Bb5 3 C6 1 D6 2 Bb5 2", // 17: trio
    "G5 3 Bb5 1 Eb6 4",
    "C6 2 A5 2 Eb6 2 C6 2",
    "D6 4 Bb5 2 F5 2",
    "G5 1 A5 1 Bb5 1 D6 1 G6 2 D6 2", // 21
    "E6 2 C6 2 Bb5 2 G5 2",
    "A5 2 C6 2 F6 2 C6 2",
    "A5 1 C6 1 Eb6 1 C6 1 A5 2 F5 2", // 24: up to the trio's start
    "Bb5 3 C6 1 D6 2 Bb5 2",          // 25: trio again
    "G5 3 Bb5 1 Eb6 4",
    "C6 2 A5 2 Eb6 2 C6 2",
    "D6 4 Bb5 2 F5 2",
    "G5 1 A5 1 Bb5 1 D6 1 G6 2 D6 2", // 29
    "E6 2 C6 2 Bb5 2 G5 2",
    "A5 2 C6 2 F6 2 C6 2",
    "Bb5 1 A5 1 G5 1 F5 1 E5 2 C5 2",
    "C5 1 F5 1 A5 2 A5 1 G5 1 F5 2", // 33: reprise
    "D5 1 F5 1 Bb5 2 Bb5 1 A5 1 G5 2",
    "E5 1 G5 1 C6 2 Bb5 1 A5 1 G5 1 E5 1",
    "F5 2 A5 2 F5 4",
    "C5 1 F5 1 A5 2 C6 1 A5 1 F5 2", // 37
    "D6 2 C6 1 Bb5 1 A5 2 G5 2",
    "E5 1 F5 1 G5 1 A5 1 Bb5 2 G5 2",
    "F5 2 A5 2 G5 2 E5 2", // 40: leads back to bar 1
};

uint32_t BarStart(int bar) {
    return static_cast<uint32_t>(bar) * Bar;
}

// The highest chord tone at least a minor third below `key`: the second voice of the reprise.
int HarmonyBelow(int key, const ChordShape& shape) {
    for (int below = key - 3; below > key - 12; --below) {
        for (int tone : shape.tones) {
            if (below % 12 == tone) {
                return below;
            }
        }
    }
    return key - 12;
}

void TempoTrack(TrackBuilder& track) {
    track.Name("Kesselfass-Polka");
    track.Meta(0, 0x58, {4, 2, 24, 8}); // 4/4
    track.Meta(0, 0x59, {0xFF, 0x00});  // F major
    track.Tempo(0, 120);
    track.Tempo(BarStart(16), 116); // the trio a little broader
    track.Tempo(BarStart(32), 120);
    track.Tempo(BarStart(BarCount - 1) + 2 * Beat, 110); // a breath before the top
}

// The opening of a melodic track: its name, GM program, and volume, pan and reverb at tick 0.
void StartInstrument(TrackBuilder& track, const char* name, uint8_t channel, uint8_t program,
                     uint8_t volume, uint8_t pan, uint8_t reverb) {
    track.Name(name);
    track.Program(channel, program);
    track.Control(0, channel, 7, volume);
    track.Control(0, channel, 10, pan);
    track.Control(0, channel, 91, reverb);
}

void BassTrack(TrackBuilder& track) {
    StartInstrument(track, "Tuba", BassChannel, Tuba, 100, 64, 30);
    for (int bar = 0; bar < BarCount; ++bar) {
        const ChordShape& shape = ShapeOf(Chords[bar]);
        uint32_t at = BarStart(bar);
        std::vector<int> line = {shape.bassRoot, 0, shape.bassOther, 0}; // 0: the accordion's beat
        if (bar == 15) {
            line = {41, 43, 45, 48}; // F G A C, walking up to the trio's Bb
        } else if (bar == 23) {
            line = {41, 45, 48, 51}; // F A C Eb, up the F7 to Bb
        } else if (bar == 31) {
            line = {48, 46, 43, 40}; // C Bb G E, down the C7 to F
        } else if (bar == BarCount - 1) {
            line = {41, 0, 36, 40}; // F, then C E leading back to F
        }
        for (int beat = 0; beat < 4; ++beat) {
            if (line[beat] != 0) {
                track.Note(at + beat * Beat, Beat, 0.7, BassChannel, line[beat],
                           beat == 0 ? 100 : 88);
            }
        }
    }
    track.Control(SongEnd, BassChannel, 7, 100); // lands the loop exactly on the bar line
}

void HarmonyTrack(TrackBuilder& track) {
    StartInstrument(track, "Accordion", HarmonyChannel, Accordion, 82, 44, 45);
    for (int bar = 0; bar < BarCount; ++bar) {
        const ChordShape& shape = ShapeOf(Chords[bar]);
        uint32_t at = BarStart(bar);
        if (InFirstTrio(bar)) {
            // Held chords on 1 and 3 under a swelling volume.
            for (int half = 0; half < 2; ++half) {
                for (int key : shape.voicing) {
                    track.Note(at + half * 2 * Beat, 2 * Beat, 0.95, HarmonyChannel, key, 64);
                }
            }
            continue;
        }
        // The "pah" of oom-pah: short chords on 2 and 4.
        const ChordShape& second = (bar == BarCount - 1) ? ShapeOf("C7") : shape;
        for (int beat = 1; beat < 4; beat += 2) {
            const ChordShape& now = beat == 3 ? second : shape;
            for (int key : now.voicing) {
                track.Note(at + beat * Beat, Beat, 0.45, HarmonyChannel, key, 72);
            }
        }
    }
    // Volume moves: the trio swells in two waves, the reprise comes back at the start level.
    const uint8_t swell[] = {70, 76, 82, 88, 94, 100, 104, 108};
    for (int wave = 0; wave < 2; ++wave) {
        for (int step = 0; step < 8; ++step) {
            track.Control(BarStart(16 + 4 * wave) + step * 2 * Beat, HarmonyChannel, 7,
                          swell[step]);
        }
    }
    track.Control(BarStart(24), HarmonyChannel, 7, 82);
}

void LeadTrack(TrackBuilder& track) {
    StartInstrument(track, "Clarinet", LeadChannel, Clarinet, 96, 84, 50);
    for (int bar = 0; bar < BarCount; ++bar) {
        const ChordShape& shape = ShapeOf(Chords[bar]);
        bool twoVoices = InReprise(bar) || (InTrio(bar) && !InFirstTrio(bar));
        std::istringstream notes(Melody[bar]);
        std::string name;
        int eighths = 0;
        uint32_t at = BarStart(bar);
        while (notes >> name >> eighths) {
            uint32_t length = eighths * Eighth;
            if (name != "r") {
                int key = KeyOf(name);
                int velocity = (at % Beat == 0) ? 96 : 84;
                track.Note(at, length, 0.9, LeadChannel, key, velocity);
                if (twoVoices) {
                    track.Note(at, length, 0.9, LeadChannel, HarmonyBelow(key, shape),
                               velocity - 14);
                }
            }
            at += length;
        }
    }
    track.Control(BarStart(32), LeadChannel, 7, 104); // the reprise a little louder
    track.Control(BarStart(31) + 2 * Beat, LeadChannel, 7, 96);
}

void DrumBar(TrackBuilder& track, int bar) {
    uint32_t at = BarStart(bar);
    bool trio = InTrio(bar);
    bool fill = bar % 8 == 7;
    if (bar % 8 == 0) {
        track.Note(at, Beat, 1.0, DrumChannel, Crash, 92);
    }
    for (int eighth = 0; eighth < 8; ++eighth) {
        uint32_t t = at + eighth * Eighth;
        bool onBeat = eighth % 2 == 0;
        if (fill && eighth >= 4) {
            // Snare pickup into the next phrase; the last bar ends on the toms.
            bool toms = bar == BarCount - 1 && eighth >= 6;
            uint8_t key = toms ? (eighth == 6 ? HighTom : LowTom) : Snare;
            track.Note(t, Eighth, 0.5, DrumChannel, key, 64 + 8 * eighth);
            continue;
        }
        uint8_t cymbal = trio ? Ride : (eighth == 7 && bar % 2 == 1 ? OpenHat : ClosedHat);
        track.Note(t, Eighth, 0.5, DrumChannel, cymbal, onBeat ? 62 : 44);
        if (eighth == 0 || eighth == 4) {
            track.Note(t, Eighth, 0.5, DrumChannel, Kick, eighth == 0 ? 104 : 92);
        }
        if (eighth == 2 || eighth == 6) {
            track.Note(t, Eighth, 0.5, DrumChannel, Snare, 58);
        }
        if (!onBeat && (InReprise(bar) || (trio && !InFirstTrio(bar)))) {
            track.Note(t, Eighth, 0.5, DrumChannel, Tambourine, 50);
        }
    }
}

void DrumTrack(TrackBuilder& track) {
    track.Name("Drums");
    track.Control(0, DrumChannel, 7, 90);
    track.Control(0, DrumChannel, 91, 35);
    for (int bar = 0; bar < BarCount; ++bar) {
        DrumBar(track, bar);
    }
}

void AppendChunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
    file.insert(file.end(), type, type + 4);
    uint32_t length = static_cast<uint32_t>(data.size());
    file.insert(file.end(), {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8),
                             uint8_t(length)});
    file.insert(file.end(), data.begin(), data.end());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: songgen OUTPUT.mid\n");
        return 2;
    }
    TrackBuilder tracks[5];
    TempoTrack(tracks[0]);
    BassTrack(tracks[1]);
    HarmonyTrack(tracks[2]);
    LeadTrack(tracks[3]);
    DrumTrack(tracks[4]);

    std::vector<uint8_t> file;
    AppendChunk(file, "MThd", {0, 1, 0, 5, uint8_t(Division >> 8), uint8_t(Division)});
    for (TrackBuilder& track : tracks) {
        AppendChunk(file, "MTrk", track.Encode(SongEnd));
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "songgen: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("songgen: wrote %s, %zu bytes\n", argv[1], file.size());
    return 0;
}
