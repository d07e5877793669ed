// Start-up's music step until the song player is connected: the game runs without music.
#include "platform/music_start.h"

void StartMusic() {}

void StopMusic() {}
