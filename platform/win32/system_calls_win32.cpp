// The system's clocks, one-shot sound and table hooks: the game core's clock forwards here
// from platform_calls_win32.cpp; the shell's counter, sleep, effect voice and sound switch.
#include "platform/shell.h"
#include "platform/win32/win32_shell.h"
#include "resources/embedded_resources.h"

// timeGetTime rather than GetTickCount: the same 32-bit wrapping millisecond count, but in
// 1 ms steps with the timer period WinMain sets, where GetTickCount moves in 10-16 ms steps
// and would bunch the 40 ms ticks unevenly.
uint32_t SystemTickCount() {
    return timeGetTime();
}

uint64_t ShellCounter() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<uint64_t>(counter.QuadPart);
}

uint64_t ShellCounterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(frequency.QuadPart);
}

void ShellSleep(uint32_t ms) {
    Sleep(ms);
}

// sndPlaySoundA needs nothing opened or closed.
void StartSound() {}
void StopSound() {}

// Found with FindResourceA, LoadResource and LockResource; the data lives as long as the
// module, so the sound may go on playing from it after this returns.
bool ShellPlayWave(const EmbeddedResource& resource, const WaveSamples&) {
    return sndPlaySoundA(reinterpret_cast<LPCSTR>(resource.data),
                         SND_ASYNC | SND_MEMORY | SND_NOSTOP | SND_NOWAIT) != FALSE;
}

// The table is saved at the end of the run and when the session ends; nothing follows a save.
bool ShellSavesTableOnChange() {
    return false;
}

void ShellTableSaved() {}

bool ShellTableStoredElsewhere() {
    return false;
}
