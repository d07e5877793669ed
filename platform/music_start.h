// The music's start and stop as the main loop sees them: the song from the embedded resources,
// looped through the audio output for the whole run.
#pragma once

// Loads the embedded song (type "MIDI", id 114) and plays it with looping through the audio
// output. Failures are silent: the game runs on without music. Called once at start-up on the
// main thread, after OpenAudioOutput and the window.
void StartMusic();

// Stops the music and releases what StartMusic made, returning within well under a second.
// Called once at shutdown on the main thread, before CloseAudioOutput.
void StopMusic();
