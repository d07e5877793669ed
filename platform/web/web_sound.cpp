// The page's sound (page_sound.js defines KesselfassSound): the six effects played through
// Web Audio, and the web shell's side of the synthesizer that plays the song. The browser lets
// a page sound only after the player has pressed a key or clicked; until then the game runs
// silently and PlaySoundEffect starts nothing.
#include "platform/shell.h"
#include "platform/wave_data.h"
#include "platform/web/web_shell.h"
#include "resources/embedded_resources.h"

#include <emscripten/emscripten.h>

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

bool ShellPlayWave(const EmbeddedResource& resource, const WaveSamples& sound) {
    // The page keeps each effect once made, under the resource's own name.
    return JsPlayEffect(resource.name, sound.samples, sound.sampleCount, sound.sampleRate) != 0;
}

void StartSound() {
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
