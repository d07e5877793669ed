// The game's window with Win32 and WGL: the class "OpenGL", the display-mode change, the
// window, its pixel format and GL context, each step's failure named to the shared code, and
// the teardown in reverse.
#include "platform/shell.h"
#include "platform/win32/win32_shell.h"

namespace {

constexpr const char* ClassName = "OpenGL";

HINSTANCE Instance = nullptr;
bool ClassRegistered = false;
// Whether the display runs the game's mode, so that the teardown gives the desktop its own.
bool ModeChanged = false;
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
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = ClassName;
    ClassRegistered = RegisterClassA(&windowClass) != 0;
    return ClassRegistered;
}

// The display to width x height x bits.
bool ChangeMode(int32_t width, int32_t height, int32_t bits) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    ModeChanged = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    return ModeChanged;
}

HWND CreateGameWindow(const char* title, int32_t width, int32_t height) {
    DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (ModeChanged) {
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
    if (ModeChanged) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
        ModeChanged = false;
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

HWND GameWindowHandle() {
    return Window;
}

HDC GameDeviceContext() {
    return DeviceContext;
}
