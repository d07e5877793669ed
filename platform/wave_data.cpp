// RIFF WAVE parsing for the sound effects, bounds-checked at every step.
#include "platform/wave_data.h"

#include <cstring>

namespace {

uint32_t ReadLe16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | (p[1] << 8));
}

uint32_t ReadLe32(const uint8_t* p) {
    return ReadLe16(p) | (ReadLe16(p + 2) << 16);
}

bool HasTag(const uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

struct Format {
    bool found = false;
    uint32_t tag = 0;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
};

bool FormatIsPlayable(const Format& format) {
    return format.found && format.tag == 1 && format.channels == 1 && format.bits == 16 &&
           format.rate >= 8000 && format.rate <= 96000;
}

} // namespace

bool ParseWave(const uint8_t* data, size_t size, WaveSamples* out) {
    if (data == nullptr || out == nullptr || size < 12 || !HasTag(data, "RIFF") ||
        !HasTag(data + 8, "WAVE")) {
        return false;
    }
    Format format;
    size_t offset = 12;
    // Chunks follow each other, each padded to an even length.
    while (size - offset >= 8) {
        const uint8_t* chunk = data + offset;
        const size_t bodySize = ReadLe32(chunk + 4);
        const size_t available = size - offset - 8;
        if (HasTag(chunk, "fmt ")) {
            if (bodySize < 16 || available < 16) {
                return false;
            }
            format = {true, ReadLe16(chunk + 8), ReadLe16(chunk + 10), ReadLe32(chunk + 12),
                      ReadLe16(chunk + 22)};
        } else if (HasTag(chunk, "data")) {
            if (!FormatIsPlayable(format)) {
                return false;
            }
            const size_t bytes = bodySize < available ? bodySize : available;
            out->samples = chunk + 8;
            out->sampleCount = static_cast<uint32_t>(bytes / 2);
            out->sampleRate = format.rate;
            return out->sampleCount > 0;
        }
        if (bodySize > available) {
            return false;
        }
        offset += 8 + bodySize + (bodySize & 1);
        if (offset > size) {
            return false;
        }
    }
    return false;
}
