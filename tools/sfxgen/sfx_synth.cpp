// The generator's synthesis kit: noise, cookbook filters, envelopes and the WAV writer.
#include "sfx_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

SfxRandom::SfxRandom(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}

double SfxRandom::Unit() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    const uint64_t value = state * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(value >> 11) * (1.0 / 9007199254740992.0);
}

double SfxRandom::Range(double low, double high) {
    return low + (high - low) * Unit();
}

double SfxRandom::Noise() {
    return 2.0 * Unit() - 1.0;
}

namespace {

struct CookbookTerms {
    double cosW;
    double alpha;
};

CookbookTerms TermsFor(double frequencyHz, double q) {
    const double nyquistSafe = std::min(frequencyHz, 0.45 * SfxSampleRate);
    const double w = 2.0 * SfxPi * nyquistSafe / SfxSampleRate;
    return {std::cos(w), std::sin(w) / (2.0 * q)};
}

} // namespace

void Biquad::SetLowPass(double cutoffHz, double q) {
    const CookbookTerms t = TermsFor(cutoffHz, q);
    const double a0 = 1.0 + t.alpha;
    b0 = (1.0 - t.cosW) / 2.0 / a0;
    b1 = (1.0 - t.cosW) / a0;
    b2 = b0;
    a1 = -2.0 * t.cosW / a0;
    a2 = (1.0 - t.alpha) / a0;
}

void Biquad::SetHighPass(double cutoffHz, double q) {
    const CookbookTerms t = TermsFor(cutoffHz, q);
    const double a0 = 1.0 + t.alpha;
    b0 = (1.0 + t.cosW) / 2.0 / a0;
    b1 = -(1.0 + t.cosW) / a0;
    b2 = b0;
    a1 = -2.0 * t.cosW / a0;
    a2 = (1.0 - t.alpha) / a0;
}

void Biquad::SetBandPass(double centreHz, double q) {
    const CookbookTerms t = TermsFor(centreHz, q);
    const double a0 = 1.0 + t.alpha;
    b0 = t.alpha / a0;
    b1 = 0.0;
    b2 = -t.alpha / a0;
    a1 = -2.0 * t.cosW / a0;
    a2 = (1.0 - t.alpha) / a0;
}

double Biquad::Process(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

SmoothWander::SmoothWander(uint64_t seed, double periodSec)
    : random(seed), periodSamples(std::max(1, static_cast<int>(periodSec * SfxSampleRate))) {
    from = random.Noise();
    to = random.Noise();
}

double SmoothWander::Next() {
    if (position >= periodSamples) {
        position = 0;
        from = to;
        to = random.Noise();
    }
    const double x = static_cast<double>(position) / periodSamples;
    ++position;
    const double s = x * x * (3.0 - 2.0 * x);
    return from + (to - from) * s;
}

double SmoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double EnvelopeAt(double t, double start, double attack, double end, double release) {
    if (t < start || t >= end) {
        return 0.0;
    }
    const double rise = attack > 0.0 ? std::min(1.0, (t - start) / attack) : 1.0;
    const double fall = release > 0.0 ? std::min(1.0, (end - t) / release) : 1.0;
    return std::min(rise, fall);
}

void Normalize(std::vector<double>& samples, double peak) {
    double loudest = 0.0;
    for (double s : samples) {
        loudest = std::max(loudest, std::fabs(s));
    }
    if (loudest <= 0.0) {
        return;
    }
    const double gain = peak / loudest;
    for (double& s : samples) {
        s *= gain;
    }
}

namespace {

void PutLe16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

int16_t SfxPcmSample(double sample) {
    return static_cast<int16_t>(std::round(std::clamp(sample, -1.0, 1.0) * 32767.0));
}

bool WriteWave(const std::string& path, const std::vector<double>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> file;
    PutTag(file, "RIFF");
    PutLe32(file, 36 + dataBytes);
    PutTag(file, "WAVE");
    PutTag(file, "fmt ");
    PutLe32(file, 16);
    PutLe16(file, 1); // PCM
    PutLe16(file, 1); // mono
    PutLe32(file, SfxSampleRate);
    PutLe32(file, SfxSampleRate * 2);
    PutLe16(file, 2);
    PutLe16(file, 16);
    PutTag(file, "data");
    PutLe32(file, dataBytes);
    for (double s : samples) {
        PutLe16(file, static_cast<uint16_t>(SfxPcmSample(s)));
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
