// The system's clock and one-shot sound for the game core's calls out (platform_calls_win32.cpp).
#include "platform/wave_data.h"
#include "platform/win32/win32_shell.h"
#include "resources/embedded_resources.h"

uint32_t SystemTickCount() {
    return GetTickCount();
}

bool PlayWaveResource(const char* name) {
    // Found with FindResourceA, LoadResource and LockResource; the data lives as long as the
    // module, so the sound may go on playing from it after this returns.
    const EmbeddedResource* resource = FindEmbeddedResource("WAVE", name);
    WaveSamples samples;
    // A damaged resource is refused here rather than handed to the sound driver.
    if (resource == nullptr || !ParseWave(resource->data, resource->size, &samples)) {
        return false;
    }
    return sndPlaySoundA(reinterpret_cast<LPCSTR>(resource->data),
                         SND_ASYNC | SND_MEMORY | SND_NOSTOP | SND_NOWAIT) != FALSE;
}
