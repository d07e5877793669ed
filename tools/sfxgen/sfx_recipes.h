// The six sound effects of the game, each rendered as samples in -1..1 at SfxSampleRate: the
// recipes that sfxgen writes into resources/ and the web page makes its effects from.
#pragma once

#include "sfx_synth.h"

#include <vector>

std::vector<double> MakeFart1();    // 2.8 s, deep and long
std::vector<double> MakeFart2();    // 1.3 s, short and squeaky
std::vector<double> MakeFart3();    // 2.8 s, wet
std::vector<double> MakeRelease();  // 1.6 s, the hiss of pressure let off
std::vector<double> MakeApplause(); // 4.4 s, a crowd clapping
std::vector<double> MakeFlush();    // 4.3 s, a toilet flush

// An effect's recipe by the name the game asks for the effect by; null for a name without one.
struct SfxRecipe {
    const char* effect;
    std::vector<double> (*make)();
};
const SfxRecipe* FindSfxRecipe(const char* effect);
