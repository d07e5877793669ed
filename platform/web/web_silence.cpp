// The page is silent for now: its sound effects and music (Web Audio, a synthesiser for the
// song) come with their own change. Until then the game runs as it does on a desktop without
// an audio device: PlaySoundEffect starts nothing and reports so, the music never starts.
#include "game/platform_calls.h"
#include "platform/shell.h"

bool PlaySoundEffect(const char*) {
    return false;
}

void StartSound() {}
void StopSound() {}
void StartMusic() {}
void StopMusic() {}
