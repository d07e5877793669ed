// The virtual-joystick test hook: FIFO commands onto an SDL virtual joystick.
#include "platform/sdl/virtual_joystick.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

int ControlFd = -1;
std::string PendingInput;
SDL_Joystick* VirtualHandle = nullptr;
SDL_JoystickID VirtualId = -1;

int DeviceIndexOf(SDL_JoystickID id) {
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id) {
            return index;
        }
    }
    return -1;
}

bool Plug() {
    if (VirtualHandle != nullptr) {
        return true;
    }
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        return false;
    }
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 0, 4, 0);
    if (index < 0) {
        return false;
    }
    // Our own reference is what SDL's button setter needs; the game opens its own.
    VirtualHandle = SDL_JoystickOpen(index);
    VirtualId = SDL_JoystickGetDeviceInstanceID(index);
    return VirtualHandle != nullptr;
}

void Unplug() {
    if (VirtualHandle == nullptr) {
        return;
    }
    SDL_JoystickClose(VirtualHandle);
    VirtualHandle = nullptr;
    const int index = DeviceIndexOf(VirtualId);
    if (index >= 0) {
        SDL_JoystickDetachVirtual(index);
    }
    VirtualId = -1;
}

bool SetButton(const char* number, Uint8 state) {
    const int button = std::atoi(number);
    if (VirtualHandle == nullptr || button < 1 || button > 4) {
        return false;
    }
    return SDL_JoystickSetVirtualButton(VirtualHandle, button - 1, state) == 0;
}

} // namespace

bool ApplyVirtualJoystickCommand(const char* line) {
    if (std::strcmp(line, "plug") == 0) {
        return Plug();
    }
    if (std::strcmp(line, "unplug") == 0) {
        Unplug();
        return true;
    }
    if (std::strncmp(line, "press ", 6) == 0) {
        return SetButton(line + 6, SDL_PRESSED);
    }
    if (std::strncmp(line, "release ", 8) == 0) {
        return SetButton(line + 8, SDL_RELEASED);
    }
    return false;
}

void StartVirtualJoystickControl() {
    const char* path = std::getenv("KF_VIRTUAL_JOYSTICK");
    if (path == nullptr || path[0] == '\0' || ControlFd >= 0) {
        return;
    }
    // Read-write keeps the FIFO open with no writer, so reads return "nothing yet" instead
    // of end-of-file between the test's writes.
    ControlFd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

void PollVirtualJoystickControl() {
    if (ControlFd < 0) {
        return;
    }
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(ControlFd, buffer, sizeof buffer)) > 0) {
        PendingInput.append(buffer, static_cast<size_t>(got));
    }
    size_t end = 0;
    while ((end = PendingInput.find('\n')) != std::string::npos) {
        const std::string line = PendingInput.substr(0, end);
        PendingInput.erase(0, end + 1);
        ApplyVirtualJoystickCommand(line.c_str());
    }
}

void StopVirtualJoystickControl() {
    Unplug();
    if (ControlFd >= 0) {
        close(ControlFd);
        ControlFd = -1;
    }
    PendingInput.clear();
}
