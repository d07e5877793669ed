// The page's sound (page_sound.js defines KesselfassSound): the six effects played through
// Web Audio, and the web shell's side of the synthesizer that plays the song. The effects are
// made at start-up from the recipes that make the desktop's WAVE files (tools/sfxgen), the
// same 16-bit samples, rather than carried in the page. The browser lets a page sound only
// after the player has pressed a key or clicked; until then the game runs silently and
// PlaySoundEffect starts nothing.
#include "game/platform_calls.h"
#include "platform/shell.h"
#include "platform/web/web_shell.h"
#include "resources/resource_ids.h"
#include "tools/sfxgen/sfx_recipes.h"

#include <emscripten/emscripten.h>

#include <strings.h>

#include <iterator>
#include <vector>

namespace {

constexpr int EffectCount = static_cast<int>(std::size(SoundEffects));

std::vector<int16_t> EffectSamples[EffectCount];

void MakeEffects() {
    for (int i = 0; i < EffectCount; ++i) {
        const SfxRecipe* recipe = FindSfxRecipe(SoundEffects[i].name);
        if (!EffectSamples[i].empty() || recipe == nullptr) {
            continue;
        }
        const std::vector<double> samples = recipe->make();
        EffectSamples[i].reserve(samples.size());
        for (double sample : samples) {
            EffectSamples[i].push_back(SfxPcmSample(sample));
        }
    }
}

// The effect asked for by its name, in any case, as the resources are found; -1 for none.
int EffectIndex(const char* name) {
    for (int i = 0; i < EffectCount; ++i) {
        if (strcasecmp(name, SoundEffects[i].name) == 0) {
            return i;
        }
    }
    return -1;
}

} // namespace

// clang-format off
EM_JS(void, JsStartSound, (), { KesselfassSound.start(); });
EM_JS(void, JsStopSound, (), { KesselfassSound.stop(); });
EM_JS(void, JsWantMusic, (), { KesselfassSound.wantMusic(); });
EM_JS(void, JsStopMusic, (), { KesselfassSound.stopMusic(); });
EM_JS(int, JsPlayEffect, (const char* name, const uint8_t* samples, uint32_t count,
                          uint32_t rate), {
    return KesselfassSound.playEffect(UTF8ToString(name), HEAPU8, samples, count, rate) ? 1 : 0;
});
EM_JS(int, JsSynthesizerRate, (), { return KesselfassSound.synthesizerRate(); });
EM_JS(double, JsAudioFrame, (), { return KesselfassSound.audioFrame(); });
EM_JS(void, JsHandMusicEvents, (const double* pairs, int count), {
    KesselfassSound.handMusicEvents(HEAPF64.slice(pairs >> 3, (pairs >> 3) + 2 * count));
});
EM_JS(void, JsSilenceMusic, (), { KesselfassSound.silenceMusic(); });
EM_JS(double, JsSongSkipSeconds, (), {
    const text = KesselfassPage.parameter("songskip");
    return text === "" ? 0 : Number(text);
});
// clang-format on

bool PlaySoundEffect(const char* name) {
    const int index = EffectIndex(name);
    if (index < 0 || EffectSamples[index].empty()) {
        return false;
    }
    const std::vector<int16_t>& samples = EffectSamples[index];
    // The page keeps each effect once made, under its own name.
    return JsPlayEffect(SoundEffects[index].name, reinterpret_cast<const uint8_t*>(samples.data()),
                        static_cast<uint32_t>(samples.size()), SfxSampleRate) != 0;
}

// The effects' samples as the page plays them, for the test that compares them with the WAVE
// files: the name and the samples of effect `index`, null past the last.
extern "C" EMSCRIPTEN_KEEPALIVE const char* KfEffectName(int index) {
    return index >= 0 && index < EffectCount ? SoundEffects[index].name : nullptr;
}

extern "C" EMSCRIPTEN_KEEPALIVE const int16_t* KfEffectSamples(int index) {
    return index >= 0 && index < EffectCount ? EffectSamples[index].data() : nullptr;
}

extern "C" EMSCRIPTEN_KEEPALIVE int KfEffectSampleCount(int index) {
    return index >= 0 && index < EffectCount ? static_cast<int>(EffectSamples[index].size()) : 0;
}

void StartSound() {
    MakeEffects();
    JsStartSound();
}

void StopSound() {
    JsStopSound();
}

void PageWantMusic() {
    JsWantMusic();
}

void PageStopMusic() {
    JsStopMusic();
}

int PageSynthesizerRate() {
    return JsSynthesizerRate();
}

double PageAudioFrame() {
    return JsAudioFrame();
}

void PageHandMusicEvents(const double* framesAndMessages, int count) {
    JsHandMusicEvents(framesAndMessages, count);
}

void PageSilenceMusic() {
    JsSilenceMusic();
}

double PageSongSkipSeconds() {
    const double seconds = JsSongSkipSeconds();
    return seconds > 0.0 && seconds < 3600.0 ? seconds : 0.0;
}
