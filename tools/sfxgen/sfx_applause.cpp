// Applause: a crowd of clappers, each with a tempo, hand shape and distance of its own,
// joining in over the first half second and dropping out one by one at the end.
#include "sfx_recipes.h"

#include <cmath>

namespace {

constexpr int ClapperCount = 60;

struct Clapper {
    double rateHz;   // claps per second
    double startSec; // first clap
    double stopSec;  // no clap after this
    double level;    // loudness (distance)
    double nextClapSec;
    double lastClapSec = -1.0;
    double decaySec = 0.008;
    Biquad hands;    // the cupped or flat hands' colour
    Biquad distance; // far clappers are duller
};

Clapper MakeClapper(SfxRandom& random, double seconds) {
    Clapper c;
    c.rateHz = random.Range(3.2, 5.2);
    const double join = random.Unit();
    c.startSec = 0.55 * join * join;
    c.stopSec = seconds - random.Range(0.25, 1.9);
    c.level = random.Range(0.35, 1.0);
    c.nextClapSec = c.startSec;
    // Drawn one after the other: the order of a call's arguments is the compiler's choice, and
    // the page's compiler chooses another one than the one that made the files.
    const double handsQ = random.Range(0.8, 1.7);
    const double handsHz = random.Range(750.0, 2300.0);
    c.hands.SetBandPass(handsHz, handsQ);
    c.distance.SetLowPass(2500.0 + 5000.0 * c.level, 0.7);
    return c;
}

double ClapperSample(Clapper& c, SfxRandom& random, double t) {
    if (t >= c.nextClapSec && c.nextClapSec < c.stopSec) {
        c.lastClapSec = t;
        c.decaySec = random.Range(0.004, 0.011);
        c.nextClapSec = t + random.Range(0.9, 1.1) / c.rateHz;
    }
    double burst = 0.0;
    const double age = t - c.lastClapSec;
    if (c.lastClapSec >= 0.0 && age < 6.0 * c.decaySec) {
        burst = random.Noise() * std::exp(-age / c.decaySec);
    }
    const double coloured = c.hands.Process(burst) * 2.0 + 0.25 * burst;
    return c.level * c.distance.Process(coloured);
}

} // namespace

std::vector<double> MakeApplause() {
    const double seconds = 4.4;
    const int count = static_cast<int>(std::lround(seconds * SfxSampleRate));
    std::vector<double> out(count);
    SfxRandom random(505);
    std::vector<Clapper> crowd;
    for (int i = 0; i < ClapperCount; ++i) {
        crowd.push_back(MakeClapper(random, seconds));
    }
    Biquad murmurTone, reverbTone;
    murmurTone.SetLowPass(900.0, 0.7);
    reverbTone.SetBandPass(1400.0, 0.8);
    double clapEnergy = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SfxSampleRate;
        double sum = 0.0;
        for (Clapper& c : crowd) {
            sum += ClapperSample(c, random, t);
        }
        // The hall's echo: noise following the claps' loudness over ~80 ms fills the gaps
        // between claps as a room does.
        clapEnergy += (std::fabs(sum) - clapEnergy) * (1.0 / (0.08 * SfxSampleRate));
        const double reverb = reverbTone.Process(random.Noise()) * clapEnergy * 1.6;
        // A low murmur of the room under the claps, following the crowd.
        const double murmur =
            murmurTone.Process(random.Noise()) * 0.15 * EnvelopeAt(t, 0.0, 0.5, seconds, 1.8);
        out[i] = sum + reverb + murmur;
    }
    Normalize(out, 0.85);
    return out;
}
