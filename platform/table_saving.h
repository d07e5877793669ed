// When the top-ten table reaches scores.dat, for every shell: loaded at start-up, saved at the
// end (a quit, a closed window, a hang-up, the end of the session), and where the shell asks
// for it also as soon as it changes. The only caller of SaveHighscores in the program.
#pragma once

// The defaults, then scores.dat (LoadHighscores). At start-up.
void LoadTable();

// Saves the table (SaveHighscores) and tells the shell (ShellTableSaved). At shutdown, and
// from a shell whose system ends the process before the loop could quit (a Windows log-off).
void SaveTable();

// Saves the table when it differs from what was last loaded or saved, where the shell saves
// on every change (ShellSavesTableOnChange), and loads it anew when another copy stored it
// (ShellTableStoredElsewhere); otherwise nothing. After every drawn frame.
void SaveTableIfChanged();
