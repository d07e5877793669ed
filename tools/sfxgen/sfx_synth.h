// Small synthesis kit of the sound-effect generator: a seeded noise source, filters, envelopes
// and the WAV writer. Everything is plain double arithmetic so one seed gives the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The effects' format: mono, 16-bit PCM, this many samples per second.
inline constexpr int SfxSampleRate = 22050;
inline constexpr double SfxPi = 3.14159265358979323846;

// A small deterministic generator (xorshift64*); the standard distributions are left out on
// purpose since their results differ between library implementations.
class SfxRandom {
  public:
    explicit SfxRandom(uint64_t seed);
    // Uniform in [0, 1).
    double Unit();
    // Uniform in [low, high).
    double Range(double low, double high);
    // Uniform in [-1, 1): white noise.
    double Noise();

  private:
    uint64_t state;
};

// Two-pole resonant filter (the audio-cookbook biquad), its coefficients settable per sample
// so sweeps are smooth.
struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    void SetLowPass(double cutoffHz, double q);
    void SetHighPass(double cutoffHz, double q);
    // Band-pass with 0 dB peak gain at `centreHz`.
    void SetBandPass(double centreHz, double q);
    double Process(double x);
};

// Slowly wandering value in [-1, 1]: random targets every `periodSec`, joined smoothly.
class SmoothWander {
  public:
    SmoothWander(uint64_t seed, double periodSec);
    // Advances one sample and returns the current value.
    double Next();

  private:
    SfxRandom random;
    int periodSamples;
    int position = 0;
    double from = 0.0;
    double to = 0.0;
};

// 0 before `start`, rising to 1 over `attack` seconds, holding, falling to 0 over `release`
// seconds so that it reaches 0 at `end`. Times in seconds.
double EnvelopeAt(double t, double start, double attack, double end, double release);

// Smooth 0..1 step between edge0 and edge1.
double SmoothStep(double edge0, double edge1, double x);

// Scales the samples so that the loudest one reaches `peak` (0..1 of full scale).
void Normalize(std::vector<double>& samples, double peak);

// One sample (-1..1) as the 16-bit PCM value the effects carry: clamped, scaled by 32767 and
// rounded half away from zero.
int16_t SfxPcmSample(double sample);

// Writes the samples (-1..1) as a RIFF WAVE file: PCM, mono, 16-bit, SfxSampleRate.
bool WriteWave(const std::string& path, const std::vector<double>& samples);
