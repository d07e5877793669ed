// The release: a soft valve "pff", then a hiss of escaping air whose pitch and loudness fall
// as the pressure runs out.
#include "sfx_recipes.h"

#include <cmath>

std::vector<double> MakeRelease() {
    const double seconds = 1.6;
    const int count = static_cast<int>(std::lround(seconds * SfxSampleRate));
    std::vector<double> out(count);
    SfxRandom random(404);
    SmoothWander flutter(405, 0.03);
    Biquad airBody, airEdge, thump;
    thump.SetBandPass(280.0, 1.5);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SfxSampleRate;
        // The jet narrows as the pressure drops, so its hiss sinks from ~5 kHz to ~2.2 kHz.
        const double pressure = std::exp(-t / 0.6);
        airBody.SetBandPass(2200.0 + 2800.0 * pressure, 0.9);
        airEdge.SetHighPass(1500.0, 0.7);
        const double noise = random.Noise();
        const double hiss = 0.7 * airBody.Process(noise) + 0.3 * airEdge.Process(noise);
        const double level = EnvelopeAt(t, 0.0, 0.015, seconds, 0.12) * (0.25 + 0.75 * pressure) *
                             (0.9 + 0.1 * flutter.Next());
        const double pff = t < 0.08 ? thump.Process(noise) * std::exp(-t / 0.02) * 2.5 : 0.0;
        out[i] = hiss * level + pff;
    }
    Normalize(out, 0.85);
    return out;
}
