// Kesselfass 3D's entry on Linux: SDL's own start and end around the shared program.
#define SDL_MAIN_HANDLED
#include "platform/game_program.h"
#include "platform/sdl/hang_up.h"

#include <SDL.h>

int main(int, char**) {
    // Closing the terminal that started the game ends it like closing its window.
    CatchHangUp();
    SDL_SetMainReady();
    const int exitCode = RunGame();
    SDL_Quit();
    return exitCode;
}
