// The table of the six effects, shared by sfxgen and the web page.
#include "sfx_recipes.h"

const SfxEffect SfxEffects[SfxEffectCount] = {
    {"fart1", "fart1.wav", MakeFart1},
    {"fart2", "fart2.wav", MakeFart2},
    {"fart3", "fart3.wav", MakeFart3},
    {"rel", "rel.wav", MakeRelease},
    {"klatschen", "klatschen.wav", MakeApplause},
    {"flush", "flush.wav", MakeFlush},
};
