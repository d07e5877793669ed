// sfxgen: writes the game's sound effects (resources/resource_list.cmake) as WAV files into
// the folder given, the same bytes on every run. Usage: sfxgen <output-folder>
#include "resources/resource_ids.h"
#include "sfx_recipes.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sfxgen <output-folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const SoundEffectEntry& effect : SoundEffects) {
        const SfxRecipe* recipe = FindSfxRecipe(effect.name);
        if (recipe == nullptr) {
            std::fprintf(stderr, "sfxgen: no recipe for the effect %s\n", effect.name);
            return 1;
        }
        const std::string path = folder + "/" + effect.fileName;
        if (!WriteWave(path, recipe->make())) {
            std::fprintf(stderr, "sfxgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
