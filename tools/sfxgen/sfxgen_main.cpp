// sfxgen: writes the game's six sound effects as WAV files into the folder given, the same
// bytes on every run. Usage: sfxgen <output-folder>
#include "sfx_recipes.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sfxgen <output-folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const SfxEffect& effect : SfxEffects) {
        const std::string path = folder + "/" + effect.fileName;
        if (!WriteWave(path, effect.make())) {
            std::fprintf(stderr, "sfxgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
