// The three farts: a buzzing flap driven by a wandering pitch, breathy noise riding on each
// opening, a body resonance, and sputtering gaps that grow towards the end.
#include "sfx_recipes.h"

#include <algorithm>
#include <cmath>

namespace {

struct FartShape {
    double seconds;
    uint64_t seed;
    double basePitchHz;
    double endPitchRatio; // pitch at the end relative to the start
    double wanderDepth;   // fraction of the pitch the slow wander moves it
    double wanderPeriod;  // seconds between wander targets
    double openFraction;  // part of each cycle the flap is open: smaller is buzzier
    double brightnessHz;  // low-pass cutoff of the buzz
    double bodyHz;        // resonance of the cavity
    double breath;        // noise riding on the openings
    double steadyGaps;    // chance that a cycle is skipped, from the start
    double tailStart;     // fraction of the length where sputtering grows
    double tailGaps;      // chance of a skipped cycle at the very end
    double pops;          // wet pops per second (0: dry)
};

// A wet pop: a short bubble whose pitch climbs as it bursts.
struct Pop {
    double startSec = -1.0;
    double pitchHz = 0.0;
    double level = 0.0;
};

double PopSample(const Pop& pop, double t) {
    const double age = t - pop.startSec;
    if (pop.startSec < 0.0 || age < 0.0 || age > 0.06) {
        return 0.0;
    }
    const double pitch = pop.pitchHz * (1.0 + 6.0 * age);
    return pop.level * std::exp(-age / 0.012) * std::sin(2.0 * SfxPi * pitch * age);
}

std::vector<double> RenderFart(const FartShape& shape) {
    const int count = static_cast<int>(std::lround(shape.seconds * SfxSampleRate));
    std::vector<double> out(count);
    SfxRandom random(shape.seed);
    SmoothWander pitchWander(shape.seed + 1, shape.wanderPeriod);
    SmoothWander flutter(shape.seed + 2, 0.018);
    SmoothWander swell(shape.seed + 3, 0.21);
    Biquad dcBlock, buzzTone, body, breathTone;
    dcBlock.SetHighPass(45.0, 0.7);
    buzzTone.SetLowPass(shape.brightnessHz, 0.9);
    body.SetBandPass(shape.bodyHz, 2.2);
    breathTone.SetLowPass(shape.brightnessHz * 1.6, 0.7);

    double phase = 0.0;
    double cycleLevel = 1.0;
    double gateTarget = 1.0;
    double gate = 1.0;
    Pop pops[4];
    int nextPop = 0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SfxSampleRate;
        const double progress = t / shape.seconds;
        const double glide = 1.0 + (shape.endPitchRatio - 1.0) * progress;
        const double pitch = shape.basePitchHz * glide *
                             (1.0 + shape.wanderDepth * pitchWander.Next()) *
                             (1.0 + 0.05 * flutter.Next());
        phase += pitch / SfxSampleRate;
        if (phase >= 1.0) {
            // A new flap cycle: its own loudness, and perhaps a gap (a sputter).
            phase -= 1.0;
            cycleLevel = random.Range(0.7, 1.15);
            const double tail = SmoothStep(shape.tailStart, 1.0, progress);
            const double gapChance = shape.steadyGaps + (shape.tailGaps - shape.steadyGaps) * tail;
            gateTarget = random.Unit() < gapChance ? 0.0 : 1.0;
        }
        // Glide the gate over ~2 ms so gaps do not click.
        gate += (gateTarget - gate) * 0.02;
        const double open =
            phase < shape.openFraction ? std::sin(SfxPi * phase / shape.openFraction) : 0.0;
        const double flap = open * open * open * cycleLevel * gate;
        const double breathNoise = breathTone.Process(random.Noise() * open * gate);
        double x = buzzTone.Process(flap) + 0.8 * body.Process(flap) + shape.breath * breathNoise;

        if (shape.pops > 0.0 && random.Unit() < shape.pops / SfxSampleRate) {
            pops[nextPop] = {t, random.Range(140.0, 420.0), random.Range(0.3, 0.8)};
            nextPop = (nextPop + 1) % 4;
        }
        for (const Pop& pop : pops) {
            x += PopSample(pop, t);
        }

        const double level =
            EnvelopeAt(t, 0.0, 0.03, shape.seconds, 0.18) * (0.75 + 0.25 * swell.Next());
        out[i] = dcBlock.Process(x) * level;
    }
    Normalize(out, 0.9);
    return out;
}

} // namespace

std::vector<double> MakeFart1() {
    // Long and deep: a low rumble that sags in pitch and breaks up into sputters.
    return RenderFart({.seconds = 2.8,
                       .seed = 101,
                       .basePitchHz = 74.0,
                       .endPitchRatio = 0.8,
                       .wanderDepth = 0.22,
                       .wanderPeriod = 0.25,
                       .openFraction = 0.35,
                       .brightnessHz = 950.0,
                       .bodyHz = 170.0,
                       .breath = 0.35,
                       .steadyGaps = 0.0,
                       .tailStart = 0.6,
                       .tailGaps = 0.65,
                       .pops = 0.0});
}

std::vector<double> MakeFart2() {
    // Short and squeaky: a tight, high buzz that climbs as it runs out.
    return RenderFart({.seconds = 1.3,
                       .seed = 202,
                       .basePitchHz = 185.0,
                       .endPitchRatio = 1.4,
                       .wanderDepth = 0.08,
                       .wanderPeriod = 0.15,
                       .openFraction = 0.22,
                       .brightnessHz = 2400.0,
                       .bodyHz = 430.0,
                       .breath = 0.15,
                       .steadyGaps = 0.0,
                       .tailStart = 0.8,
                       .tailGaps = 0.5,
                       .pops = 0.0});
}

std::vector<double> MakeFart3() {
    // Wet: a loose, wobbling buzz that sputters throughout, with bubbling pops.
    return RenderFart({.seconds = 2.8,
                       .seed = 303,
                       .basePitchHz = 96.0,
                       .endPitchRatio = 0.9,
                       .wanderDepth = 0.35,
                       .wanderPeriod = 0.11,
                       .openFraction = 0.45,
                       .brightnessHz = 720.0,
                       .bodyHz = 230.0,
                       .breath = 1.2,
                       .steadyGaps = 0.3,
                       .tailStart = 0.5,
                       .tailGaps = 0.7,
                       .pops = 9.0});
}
