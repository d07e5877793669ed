// Each effect's recipe by the name the game asks for it by (resources/resource_list.cmake
// lists the effects), for sfxgen and for the web page.
#include "sfx_recipes.h"

#include <cstring>

namespace {

const SfxRecipe Recipes[] = {
    {"fart1", MakeFart1}, {"fart2", MakeFart2},        {"fart3", MakeFart3},
    {"rel", MakeRelease}, {"klatschen", MakeApplause}, {"flush", MakeFlush},
};

} // namespace

const SfxRecipe* FindSfxRecipe(const char* effect) {
    for (const SfxRecipe& recipe : Recipes) {
        if (std::strcmp(recipe.effect, effect) == 0) {
            return &recipe;
        }
    }
    return nullptr;
}
