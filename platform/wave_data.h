// Reading the embedded sound effects: a RIFF WAVE image in memory to a view of its samples.
#pragma once

#include <cstddef>
#include <cstdint>

// The playable part of a WAVE image: mono signed 16-bit little-endian samples. `samples`
// points into the image (no copy), and may be unaligned.
struct WaveSamples {
    const uint8_t* samples = nullptr;
    uint32_t sampleCount = 0;
    uint32_t sampleRate = 0; // samples per second
};

// Finds the "fmt " and "data" chunks of the image at `data` (`size` bytes). Accepts PCM,
// one channel, 16 bits, 8000 to 96000 Hz. A data chunk that claims more bytes than the image
// holds is cut to what is there. False for anything else, without reading outside the buffer.
// Called by PlaySoundEffect for each request.
bool ParseWave(const uint8_t* data, size_t size, WaveSamples* out);
