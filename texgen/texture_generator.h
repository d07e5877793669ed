// The six-layer procedural texture generator: noise sources, filters and combiners that make
// every texture of the game at start-up. Standard library only; the GL upload is elsewhere.
#pragma once

#include <cstdint>

// One layer pixel, 4 bytes in memory order red, green, blue, spare. Operations compute
// channels 0..2 only; the spare byte becomes the alpha channel (255) on export.
struct TexturePixel {
    uint8_t c[4];
};

// The four pixels around a sample point: p00 at (x0, y0), p10 at (x1, y0), p01 at (x0, y1),
// p11 at (x1, y1), where x1 and y1 lie one column right and one row below (wrapped).
struct CornerBlock {
    TexturePixel p00;
    TexturePixel p10;
    TexturePixel p01;
    TexturePixel p11;
};

// Number of layers, and the two layers with a fixed role.
inline constexpr int LayerCount = 6;
inline constexpr uint8_t OutputLayer = 4;  // the only layer ExportRgba copies out
inline constexpr uint8_t ScratchLayer = 5; // working copy of the neighbourhood filters

// Holds six equally sized RGB layers and the seed of its own random sequence. Layer numbers
// are 0..5; sizes must be powers of two (reads outside a layer wrap around by masks). All
// operations run row by row from row 0, left to right, in single-precision arithmetic with
// double-precision cos, sin and sqrt, and truncate channel values toward zero after clamping.
class TextureGenerator {
  public:
    TextureGenerator() = default;
    TextureGenerator(const TextureGenerator&) = delete;
    TextureGenerator& operator=(const TextureGenerator&) = delete;
    // Frees the layers (the shared instance is never destroyed; tests make their own).
    ~TextureGenerator();

    // --- layers (called by the recipes before and after each texture) ---

    // Prepares a new texture: with allocateOutput, stores a new zeroed width x height x 4-byte
    // buffer (owned by the caller, freed with std::free) through outBuffer, or nullptr when
    // memory is short; then clears all six layers, reallocating them if the size changed.
    void ResetLayers(uint8_t** outBuffer, int32_t width, int32_t height, bool allocateOutput);
    // Allocates six zeroed layers of width x height pixels unless layers are already present.
    void AllocateLayers(int32_t width, int32_t height);
    // Frees the layers; afterwards width and height are -1 as after construction.
    void ReleaseLayers();
    // Sets every pixel of the layer to (r, g, b, 0); channels 0..255.
    void Fill(uint8_t layer, uint8_t r, uint8_t g, uint8_t b);
    // Copies the OutputLayer into outBuffer as GL_RGBA / GL_UNSIGNED_BYTE rows from row 0,
    // alpha 255. width and height are the generator's own size.
    void ExportRgba(uint8_t* outBuffer, int32_t width, int32_t height) const;

    // --- noise sources ---

    // Advances the seed (x 22695477 mod 2^32) and returns it shifted right by 16: -32768..32767.
    int32_t NextRandom();
    // Blends the four corners with cosine weights at fractions fx, fy (normally 0..1).
    // The spare byte of the result is 0.
    TexturePixel CosineBlend(const CornerBlock& block, float fx, float fy) const;
    // Reads the layer at the fractional position (x, y), wrapping around, with CosineBlend.
    TexturePixel SampleLayer(uint8_t layer, float x, float y) const;
    // One octave of lattice noise with spacing step (>= 1, a divisor of the size); a seed of 0
    // continues the sequence; lattice values are draws & (amplitude - 1) as an 8-bit mask.
    void ValueNoise(uint8_t layer, int32_t step, int32_t seed, int32_t amplitude, bool coloured);
    // Sum of value-noise octaves built in the ScratchLayer, each with half the step and the
    // amplitude scaled by persistence / 256, saturated at 255. The layer is not the ScratchLayer.
    void FractalNoise(uint8_t layer, int32_t step, int32_t seed, int32_t amplitude,
                      int32_t persistence, int32_t octaves, bool coloured);
    // Grey cone: white at the layer centre, falling linearly by scale x 180 per half-width.
    void RadialSpot(uint8_t layer, float scale);

    // --- per-pixel filters and combiners (destination may be a source) ---

    // dst.c = src.c x factor, clamped to 0..255.
    void ScaleChannels(uint8_t src, uint8_t dst, float fr, float fg, float fb);
    // Histogram equalisation of each channel on its own.
    void Equalize(uint8_t src, uint8_t dst);
    // dst = bitwise complement of src, spare byte included.
    void Invert(uint8_t src, uint8_t dst);
    // dst.c = clamp(a.c x wa + b.c x wb).
    void Mix(uint8_t a, uint8_t b, uint8_t dst, float wa, float wb);
    // dst.c = clamp(a.c x b.c x wa x wb / 255).
    void Multiply(uint8_t a, uint8_t b, uint8_t dst, float wa, float wb);
    // dst.c = max(a.c, b.c); the weights are ignored.
    void Maximum(uint8_t a, uint8_t b, uint8_t dst, float wa, float wb);
    // dst.c = min(a.c, b.c); the weights are ignored.
    void Minimum(uint8_t a, uint8_t b, uint8_t dst, float wa, float wb);

    // --- neighbourhood and geometric filters (read a ScratchLayer copy of src) ---

    // 3x3 convolution; kernel listed column by column (entries 0..2 weigh the left column from
    // top to bottom); with absolute the sums are made non-negative before clamping.
    void Convolve3x3(uint8_t src, uint8_t dst, bool absolute, const float kernel[9]);
    // Convolve3x3 with a sharpening kernel whose weights sum to 1.
    void Sharpen(uint8_t src, uint8_t dst);
    // Takes every pixel from a random place up to 2^strength pixels above and to the left;
    // sets the seed to seed first. strength 0..16.
    void Jitter(uint8_t src, uint8_t dst, uint32_t seed, int32_t strength);
    // dst(x, y) = src(x + dx, y + dy), wrapping around.
    void Shift(uint8_t src, uint8_t dst, int32_t dx, int32_t dy);
    // dst(x, y) = src sampled at (x + m x kx, y + m x ky), m the brightest channel of map(x, y).
    void Displace(uint8_t src, uint8_t map, uint8_t dst, float kx, float ky);
    // Rotates the inside of the centred circle (radius width / 2) by an angle growing towards
    // the centre: (cx - r)^2 x strength / (divisor x sqrt(2 x width x height)) radians.
    void Twirl(uint8_t src, uint8_t dst, float strength, float divisor);

    // --- inspection and test hooks ---

    // Layer width in pixels, -1 while no layers are allocated (the recipes check allocation).
    int32_t Width() const { return width; }
    // Layer height in pixels, -1 while no layers are allocated.
    int32_t Height() const { return height; }
    // State of the random sequence (tests follow the draws of an operation with it).
    uint32_t Seed() const { return seed; }
    // Sets the random sequence's state, as a non-zero seed argument does.
    void SetSeed(uint32_t value) { seed = value; }
    // The pixels of a layer (width x height, row-major), or nullptr while none are allocated.
    TexturePixel* LayerPixels(uint8_t layer) { return layers ? layers[layer] : nullptr; }
    const TexturePixel* LayerPixels(uint8_t layer) const {
        return layers ? layers[layer] : nullptr;
    }
    // With literal on, every blend weight is evaluated from its cosine pixel by pixel, the slow
    // reading of the arithmetic; off (the default) takes the same numbers from tables and a
    // checked polynomial. Tests and texdump --literal compare the two.
    void SetLiteralArithmetic(bool on) { literal = on; }

  private:
    TexturePixel* Layer(uint8_t layer) const;
    // Pixel (x, y) of a layer, wrapping around: column x & widthMask, row y & heightMask.
    const TexturePixel& At(const TexturePixel* pixels, int32_t x, int32_t y) const {
        return pixels[(y & heightMask) * width + (x & widthMask)];
    }
    void CopyToScratch(uint8_t src);
    void DrawLattice(TexturePixel* pixels, int32_t step, uint8_t mask, bool coloured);
    void InterpolateCellsLiteral(TexturePixel* pixels, int32_t step);
    void InterpolateCellsTabled(TexturePixel* pixels, int32_t step);

    TexturePixel** layers = nullptr;
    int32_t width = -1;
    int32_t height = -1;
    int32_t widthMask = -2;
    int32_t heightMask = -2;
    uint32_t seed = 1;
    bool literal = false;
};

// The one shared generator, created without layers on the first call; never destroyed.
// Called by the texture recipes at every GL set-up.
TextureGenerator& GetTextureGenerator();
