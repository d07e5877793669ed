// A Windows program for the end-to-end tests under Wine, run beside the game in its prefix:
// reports the game window's state and the display's mode as Windows programs see them, takes
// the foreground away from the game as Alt-Tab does, and gives it back as a taskbar click does.
//   window_probe state              one line: window=0|1 iconic=0|1 foreground=0|1 mode=WxH
//   window_probe steal STOPFILE     a window of its own in the foreground until STOPFILE exists
//   window_probe restore            the game's window restored and in the foreground
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* GameClass = "OpenGL";
constexpr const char* GameTitle = "QUARZMOLCH erlauben sich zu praesentieren: Kesselfass 3D";

int PrintState() {
    const HWND game = FindWindowA(GameClass, GameTitle);
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    std::printf("window=%d iconic=%d foreground=%d mode=%lux%lu\n", game != nullptr,
                game != nullptr && IsIconic(game), game != nullptr && GetForegroundWindow() == game,
                mode.dmPelsWidth, mode.dmPelsHeight);
    return 0;
}

int Steal(const char* stopFile) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KfWindowProbe";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "window probe",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    SetForegroundWindow(window);
    std::printf("stolen\n");
    std::fflush(stdout);
    while (GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(50);
    }
    DestroyWindow(window);
    return 0;
}

int Restore() {
    const HWND game = FindWindowA(GameClass, GameTitle);
    if (game == nullptr) {
        return 1;
    }
    ShowWindow(game, SW_RESTORE);
    SetForegroundWindow(game);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "state") == 0) {
        return PrintState();
    }
    if (argc == 3 && std::strcmp(argv[1], "steal") == 0) {
        return Steal(argv[2]);
    }
    if (argc == 2 && std::strcmp(argv[1], "restore") == 0) {
        return Restore();
    }
    std::fprintf(stderr, "usage: window_probe state | steal STOPFILE | restore\n");
    return 2;
}
