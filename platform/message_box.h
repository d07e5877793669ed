// The game's modal message boxes, without an owner window. Where no box can be shown (no
// display), the caption and text go to stderr instead.
#pragma once

// Icons of the boxes, as the texts they go with were designed.
enum class BoxIcon { Exclamation, Stop, Information };

// Shows `text` under `caption` with an OK button and waits for it. Called on the main thread
// by the window code for creation ("ERROR") and teardown ("SHUTDOWN ERROR") failures.
void ShowMessage(const char* caption, const char* text, BoxIcon icon);

// Asks `text` under `caption` with Yes and No buttons (Return answers Yes, Escape No). True
// for Yes. Without a display the question goes to stderr and the answer is Yes. Main thread.
bool AskYesNo(const char* caption, const char* text);
