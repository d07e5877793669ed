// The song for every shell: the program's one MidiPlayer on the shell's stream output, the
// embedded song loaded and played with looping for the whole run.
#pragma once

// Opens the shell's music output and starts the song, or leaves it to StartSongWhenReady
// where the output cannot take it yet (a page before the player's first key press). Failures
// are silent: the game runs on without music. At start-up, after StartSound.
void StartMusic();

// Starts the song once the output can take it, if StartMusic could not. Every frame.
void StartSongWhenReady();

// Stops the song, within well under a second, and closes the output. At shutdown.
void StopMusic();
