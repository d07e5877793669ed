// The translucent wave surface under the press: a 20 x 20 quad grid whose height and blue
// tint follow two travelling sine waves and whose colour fades from blue to grey with length.
#include "render/scene.h"

#include "game/platform_calls.h"
#include "texgen/texture_upload.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int GridCells = 20;
constexpr int GridCorners = GridCells + 1;

// The two waves at every column and every row: the height and the blue tint of a corner are
// both sums of one column term and one row term, so 42 sines cover all 441 corners.
struct WaveTerms {
    float column[GridCorners];
    float row[GridCorners];
};

WaveTerms ComputeWaveTerms(uint32_t clockMs) {
    float columnPhase = 0.001f * static_cast<float>(clockMs);
    float rowPhase = 0.0023f * static_cast<float>(clockMs);
    WaveTerms terms{};
    for (int i = 0; i < GridCorners; ++i) {
        terms.column[i] = std::sin(0.1f * static_cast<float>(i) + columnPhase);
        terms.row[i] = std::sin(0.105f * static_cast<float>(i) + rowPhase);
    }
    return terms;
}

struct WaveColour {
    float grey;     // red and green
    float alpha;    // may pass 1; GL clamps it
    float blueGain; // the blue channel's share before the ripple
};

// Blue and two-thirds opaque up to 20 cm, grey and opaque from about 66.7 cm on.
WaveColour ColourForLength(float length) {
    float b = std::clamp(0.0075f * length, 0.15f, 0.5f);
    return {b, b + 0.666f - 0.15f, 1.0f - b};
}

void Corner(const WaveTerms& terms, const WaveColour& colour, int c, int g) {
    float columnWave = terms.column[c];
    float rowWave = terms.row[g];
    glTexCoord2f(0.05f * static_cast<float>(c), 0.05f * static_cast<float>(g));
    glColor4f(colour.grey, colour.grey,
              (1.0f + 0.05f * columnWave + 0.025f * rowWave) * colour.blueGain, colour.alpha);
    glVertex3f(static_cast<float>(c - 10), 0.5f * columnWave + 0.25f * rowWave - 4.1f,
               static_cast<float>(g - 10));
}

} // namespace

void DrawWaveSurface(float length) {
    WaveTerms terms = ComputeWaveTerms(GetTickCount());
    WaveColour colour = ColourForLength(length);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, WaveTexture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_QUADS);
    for (int g = 0; g < GridCells; ++g) {
        for (int c = 0; c < GridCells; ++c) {
            Corner(terms, colour, c, g);
            Corner(terms, colour, c, g + 1);
            Corner(terms, colour, c + 1, g + 1);
            Corner(terms, colour, c + 1, g);
        }
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}
