// The flush: the handle's clunk and the valve lifting, a rush of water swirling in the bowl
// with rising gurgles, the siphon's gulp, and the quiet hiss of the cistern refilling.
#include "sfx_recipes.h"

#include <cmath>

namespace {

// A gurgle: a bubble whose pitch climbs as it rises and bursts.
struct Bubble {
    double startSec = -1.0;
    double pitchHz = 0.0;
    double level = 0.0;
    double decaySec = 0.02;
};

double BubbleSample(const Bubble& b, double t) {
    const double age = t - b.startSec;
    if (b.startSec < 0.0 || age < 0.0 || age > 6.0 * b.decaySec) {
        return 0.0;
    }
    const double pitch = b.pitchHz * (1.0 + 8.0 * age);
    return b.level * std::exp(-age / b.decaySec) * std::sin(2.0 * SfxPi * pitch * age);
}

double Knock(double t, double at, double pitchHz, double decaySec) {
    const double age = t - at;
    if (age < 0.0 || age > 8.0 * decaySec) {
        return 0.0;
    }
    return std::exp(-age / decaySec) * std::sin(2.0 * SfxPi * pitchHz * age);
}

// Loudness of the water over time: the rush, the siphon's gulp, the refill.
double WaterLevel(double t, double seconds) {
    const double rush = SmoothStep(0.08, 0.55, t) * (1.0 - SmoothStep(2.5, 3.3, t));
    const double refill =
        0.22 * SmoothStep(2.9, 3.4, t) * (1.0 - SmoothStep(seconds - 0.6, seconds, t));
    return rush + refill;
}

// Gurgles per second: few at first, a burst while the bowl empties, a trickle after.
double BubbleRate(double t) {
    if (t < 0.3) {
        return 0.0;
    }
    if (t < 3.3) {
        return 4.0 + 22.0 * SmoothStep(1.2, 2.8, t);
    }
    return 2.0;
}

} // namespace

std::vector<double> MakeFlush() {
    const double seconds = 4.3;
    const int count = static_cast<int>(std::lround(seconds * SfxSampleRate));
    std::vector<double> out(count);
    SfxRandom random(606);
    SmoothWander turbulence(607, 0.07);
    SmoothWander swirlWobble(608, 0.3);
    Biquad rushTone, swirl, refillHiss, click;
    refillHiss.SetBandPass(3200.0, 1.4);
    click.SetHighPass(2500.0, 0.7);
    Bubble bubbles[4];
    int nextBubble = 0;
    double swirlPhase = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SfxSampleRate;
        const double noise = random.Noise();
        double x = 0.0;

        // The handle: a click, a clunk, and the valve lifting a moment later.
        x += 0.6 * Knock(t, 0.0, 150.0, 0.035) + 0.4 * Knock(t, 0.09, 230.0, 0.03);
        x += t < 0.01 ? click.Process(noise) * (1.0 - t / 0.01) : 0.0;

        // Rushing water, its brightness falling as the gulp takes over.
        const double water = WaterLevel(t, seconds);
        const double gulp = SmoothStep(2.4, 3.0, t) * (1.0 - SmoothStep(3.0, 3.4, t));
        rushTone.SetLowPass(1900.0 - 900.0 * gulp, 0.8);
        const double rush = rushTone.Process(noise) * (0.75 + 0.25 * turbulence.Next());
        // The vortex: a resonance circling between ~300 and ~650 Hz.
        swirlPhase += (1.5 + 0.4 * swirlWobble.Next()) / SfxSampleRate;
        swirl.SetBandPass(470.0 + 180.0 * std::sin(2.0 * SfxPi * swirlPhase), 3.0);
        const double vortex = swirl.Process(noise) * 2.2;
        const double refill = refillHiss.Process(noise) * SmoothStep(3.0, 3.6, t) * 1.4;
        x += water * (rush + vortex + refill);

        if (random.Unit() < BubbleRate(t) / SfxSampleRate) {
            const bool deep = gulp > 0.3;
            bubbles[nextBubble] = {t, deep ? random.Range(90.0, 160.0) : random.Range(200.0, 650.0),
                                   random.Range(0.25, 0.6) * (deep ? 1.6 : 1.0) *
                                       (t > 3.3 ? 0.4 : 1.0),
                                   deep ? 0.045 : random.Range(0.012, 0.03)};
            nextBubble = (nextBubble + 1) % 4;
        }
        for (const Bubble& b : bubbles) {
            x += BubbleSample(b, t);
        }
        out[i] = x * EnvelopeAt(t, 0.0, 0.0, seconds, 0.05);
    }
    Normalize(out, 0.9);
    return out;
}
