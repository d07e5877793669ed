// The window's icon, drawn from the embedded "ICON" resource.
#pragma once

#include <SDL.h>

// Sets the embedded icon on `window`; without the resource the system's default stays.
// Called by OpenGameWindow for every new window.
void SetWindowIconFromResources(SDL_Window* window);
