// The test page's modes beside the game: a screenshot's state drawn at a fixed clock
// (?shot=NAME) and the frame-time measure (?bench=LENGTH), with what they read off the page.
#pragma once

#include <cstdint>

// The page's `shot` parameter, or an empty string; `buffer` holds `size` bytes.
void PageShotName(char* buffer, int32_t size);

// The page's `bench` parameter (a sausage length in cm), or a negative number without one.
float PageBenchLength();

// Marks the page for whoever waits on it: the shot is drawn.
void PageMarkShotDrawn();

// Holds GetTickCount at `ms` from now on (the shots' fixed clock).
void FreezeClock(uint32_t ms);

// Draws a running game with a sausage of `length` cm every frame, `frames` times after a
// warm-up, and puts the median times onto the page. False when no window can be made.
bool StartBench(float length, int frames);
