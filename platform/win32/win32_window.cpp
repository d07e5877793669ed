// The game's window with Win32 and WGL: the class "OpenGL", the display-mode change, the
// window, its pixel format and GL context, each step's failure named to the shared code, and
// the teardown in reverse; the desktop's mode lent back whenever the fullscreen game loses the
// screen, and on every way out.
#include "game/game_state.h"
#include "platform/shell.h"
#include "platform/win32/win32_shell.h"

namespace {

constexpr const char* ClassName = "OpenGL";
// The executable's icon (resources/kesselfass3d.rc).
constexpr const char* IconName = "KESSELFASS";

HINSTANCE Instance = nullptr;
bool ClassRegistered = false;
// Whether the display runs the game's mode, so that the teardown gives the desktop its own.
// Read by the crash filter too, which may run on any thread.
volatile bool ModeChanged = false;
// The window is a fullscreen popup (cursor hidden); its mode is ModeChanged, or lent back to
// the desktop while another program has the screen.
bool FullscreenWindow = false;
DEVMODEA GameMode;
HWND Window = nullptr;
HDC DeviceContext = nullptr;
HGLRC RenderContext = nullptr;
// One descriptor for every window, filled the first time it is needed.
PIXELFORMATDESCRIPTOR PixelFormat;
bool PixelFormatFilled = false;

// The class stays registered from one window to the next until the teardown unregisters it:
// after a refused mode the windowed attempt goes on with it.
bool RegisterWindowClass() {
    if (ClassRegistered) {
        return true;
    }
    // The game's own icon in the title bar, the taskbar and Alt-Tab, at the sizes each wants;
    // the system's logo only should the resource be missing.
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIconA(Instance, IconName);
    if (windowClass.hIcon == nullptr) {
        windowClass.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    }
    windowClass.hIconSm =
        static_cast<HICON>(LoadImageA(Instance, IconName, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = ClassName;
    ClassRegistered = RegisterClassExA(&windowClass) != 0;
    return ClassRegistered;
}

// The display to the game's mode. CDS_FULLSCREEN makes the change temporary: it is the
// program's to undo whenever another program gets the screen.
bool SetGameMode() {
    ModeChanged = ChangeDisplaySettingsA(&GameMode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    return ModeChanged;
}

// No mode at all: the desktop's own, from the registry, and the end of the temporary change.
void ResetDisplayMode() {
    ChangeDisplaySettingsA(nullptr, 0);
}

void GiveBackDesktopMode() {
    if (ModeChanged) {
        ResetDisplayMode();
        ModeChanged = false;
    }
}

// The display to width x height x bits.
bool ChangeMode(int32_t width, int32_t height, int32_t bits) {
    GameMode = {};
    GameMode.dmSize = sizeof GameMode;
    GameMode.dmPelsWidth = static_cast<DWORD>(width);
    GameMode.dmPelsHeight = static_cast<DWORD>(height);
    GameMode.dmBitsPerPel = static_cast<DWORD>(bits);
    GameMode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return SetGameMode();
}

// A crash of the game's own code ends the process without the teardown: the desktop gets its
// mode back first. The crash then goes on to the system's report as before.
LONG WINAPI GiveBackModeOnCrash(EXCEPTION_POINTERS*) {
    if (ModeChanged) {
        ResetDisplayMode();
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

HWND CreateGameWindow(const char* title, int32_t width, int32_t height) {
    DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    FullscreenWindow = ModeChanged;
    if (FullscreenWindow) {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    }
    RECT rectangle = {0, 0, width, height};
    AdjustWindowRectEx(&rectangle, style, FALSE, exStyle);
    return CreateWindowExA(exStyle, ClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                           0, rectangle.right - rectangle.left, rectangle.bottom - rectangle.top,
                           nullptr, nullptr, Instance, nullptr);
}

void FillPixelFormat(int32_t bits) {
    if (PixelFormatFilled) {
        return;
    }
    PixelFormat = {};
    PixelFormat.nSize = sizeof PixelFormat;
    PixelFormat.nVersion = 1;
    PixelFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    PixelFormat.iPixelType = PFD_TYPE_RGBA;
    PixelFormat.cColorBits = static_cast<BYTE>(bits);
    PixelFormat.cDepthBits = 16;
    PixelFormat.iLayerType = PFD_MAIN_PLANE;
    PixelFormatFilled = true;
}

// Device context, pixel format, rendering context made current.
WindowResult MakeCurrentContext() {
    DeviceContext = GetDC(Window);
    if (DeviceContext == nullptr) {
        return WindowResult::NoDeviceContext;
    }
    const int format = ChoosePixelFormat(DeviceContext, &PixelFormat);
    if (format == 0) {
        return WindowResult::NoPixelFormat;
    }
    if (!SetPixelFormat(DeviceContext, format, &PixelFormat)) {
        return WindowResult::PixelFormatRefused;
    }
    RenderContext = wglCreateContext(DeviceContext);
    if (RenderContext == nullptr) {
        return WindowResult::NoRenderContext;
    }
    if (!wglMakeCurrent(DeviceContext, RenderContext)) {
        return WindowResult::ContextNotCurrent;
    }
    return WindowResult::Opened;
}

// Swaps wait for the display where the driver offers it; the main loop paces the rest.
void AskForVsync() {
    using SwapIntervalFn = BOOL(WINAPI*)(int);
    const PROC proc = wglGetProcAddress("wglSwapIntervalEXT");
    if (proc != nullptr) {
        reinterpret_cast<SwapIntervalFn>(reinterpret_cast<void (*)()>(proc))(1);
    }
}

// Everything after the class, each step undone by ShellCloseWindow on failure.
WindowResult MakeWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                        bool fullscreen) {
    if (fullscreen && !ChangeMode(width, height, bits)) {
        return WindowResult::ModeRefused;
    }
    Window = CreateGameWindow(title, width, height);
    if (Window == nullptr) {
        return WindowResult::CreateFailed;
    }
    FillPixelFormat(bits);
    const WindowResult result = MakeCurrentContext();
    if (result != WindowResult::Opened) {
        return result;
    }
    AskForVsync();
    ShowWindow(Window, SW_SHOW);
    SetForegroundWindow(Window);
    SetFocus(Window);
    return WindowResult::Opened;
}

} // namespace

WindowResult ShellOpenWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                             bool fullscreen) {
    Instance = GetModuleHandleA(nullptr);
    if (!RegisterWindowClass()) {
        return WindowResult::ClassFailed;
    }
    const WindowResult result = MakeWindow(title, width, height, bits, fullscreen);
    if (result == WindowResult::ModeRefused) {
        // Nothing was made but the class, which the windowed attempt goes on with.
        return result;
    }
    if (result != WindowResult::Opened) {
        ShellCloseWindow();
    }
    return result;
}

void ShellCloseWindow() {
    GiveBackDesktopMode();
    if (FullscreenWindow) {
        ShowCursor(TRUE);
        FullscreenWindow = false;
    }
    if (RenderContext != nullptr) {
        if (!wglMakeCurrent(nullptr, nullptr)) {
            ReportCloseFailure(CloseStep::ReleaseContext);
        }
        if (!wglDeleteContext(RenderContext)) {
            ReportCloseFailure(CloseStep::DeleteContext);
        }
        RenderContext = nullptr;
    }
    if (DeviceContext != nullptr) {
        if (!ReleaseDC(Window, DeviceContext)) {
            ReportCloseFailure(CloseStep::ReleaseDeviceContext);
        }
        DeviceContext = nullptr;
    }
    if (Window != nullptr) {
        // The capture names this window: let it go before the window does.
        ReleaseJoysticks();
        if (!DestroyWindow(Window)) {
            ReportCloseFailure(CloseStep::DestroyWindow);
        }
        Window = nullptr;
    }
    ClassRegistered = false;
    if (!UnregisterClassA(ClassName, Instance)) {
        ReportCloseFailure(CloseStep::UnregisterWindowClass);
        Instance = nullptr;
    }
}

void ShellSwapBuffers() {
    if (DeviceContext != nullptr) {
        SwapBuffers(DeviceContext);
    }
}

int ShellRefreshRate() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        return 0;
    }
    // 0 and 1 stand for the hardware's default rate.
    return mode.dmDisplayFrequency > 1 ? static_cast<int>(mode.dmDisplayFrequency) : 0;
}

void LeaveScreen() {
    if (!FullscreenWindow || !ModeChanged || Window == nullptr) {
        return;
    }
    GiveBackDesktopMode();
    // Minimised, the window keeps its GL context, textures and lists; WM_ACTIVATE stops the
    // drawing meanwhile.
    ShowWindow(Window, SW_MINIMIZE);
}

void TakeScreenBack() {
    if (!FullscreenWindow || ModeChanged || Window == nullptr) {
        return;
    }
    if (!SetGameMode()) {
        // The mode is not to be had now: on in a window, by the F1 switch, which makes the
        // window and every GL object anew.
        KeyTable[Key::F1] = true;
        return;
    }
    if (IsIconic(Window)) {
        ShowWindow(Window, SW_RESTORE);
    }
    SetWindowPos(Window, HWND_TOP, 0, 0, static_cast<int>(GameMode.dmPelsWidth),
                 static_cast<int>(GameMode.dmPelsHeight), SWP_SHOWWINDOW);
}

void GiveBackModeOnEveryWayOut() {
    SetUnhandledExceptionFilter(GiveBackModeOnCrash);
}

HWND GameWindowHandle() {
    return Window;
}

HDC GameDeviceContext() {
    return DeviceContext;
}
