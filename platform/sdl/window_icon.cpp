// The window icon: the embedded 32-bit BMP handed to SDL.
#include "platform/sdl/window_icon.h"

#include "resources/embedded_resources.h"

void SetWindowIconFromResources(SDL_Window* window) {
    const EmbeddedResource* icon = FindEmbeddedResource("ICON", "KESSELFASS");
    if (icon == nullptr || window == nullptr) {
        return;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(icon->data, static_cast<int>(icon->size));
    SDL_Surface* image = SDL_LoadBMP_RW(stream, 1);
    if (image != nullptr) {
        SDL_SetWindowIcon(window, image);
        SDL_FreeSurface(image);
    }
}
