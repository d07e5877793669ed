// The terminal that started the game going away (SIGHUP) ends the game like a closed window:
// through the normal shutdown and its save. SDL does this itself for SIGINT and SIGTERM only.
#pragma once

// Catches SIGHUP from here on, unless the game was started with it ignored (nohup), which
// stays so. Called first thing at start-up, so a hang-up while the window is made still
// reaches the main loop.
void CatchHangUp();

// A hang-up has come. Read by the main loop once per pass, which then ends for the shutdown.
bool HangUpCaught();
