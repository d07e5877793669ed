// OpenGameWindow / CloseGameWindow with Win32 and WGL: the class "OpenGL", the display-mode
// change, the window, its pixel format and GL context, every failure in its own message box.
#include "game/game_state.h"
#include "platform/game_window.h"
#include "platform/win32/win32_shell.h"
#include "render/render.h"

namespace {

constexpr const char* ClassName = "OpenGL";

HINSTANCE Instance = nullptr;
HWND Window = nullptr;
HDC DeviceContext = nullptr;
HGLRC RenderContext = nullptr;
// One descriptor for every window, filled the first time it is needed.
PIXELFORMATDESCRIPTOR PixelFormat;
bool PixelFormatFilled = false;

void ShowError(const char* text) {
    MessageBoxA(nullptr, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void ShowShutdownError(const char* text) {
    MessageBoxA(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

// Closes what has been made, then reports: the box shows on the desktop's own display mode.
bool FailOpening(const char* text) {
    CloseGameWindow();
    ShowError(text);
    return false;
}

bool RegisterWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = ClassName;
    return RegisterClassA(&windowClass) != 0;
}

// The display to width x height x bits; if it is refused, the player may go windowed.
// False when the player declines, after the closing message.
bool ChangeModeOrGoWindowed(int32_t width, int32_t height, int32_t bits) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL) {
        return true;
    }
    if (MessageBoxA(nullptr,
                    "The Requested Fullscreen Mode Is Not Supported By\n"
                    "Your Video Card. Use Windowed Mode Instead?",
                    "Vorx GL", MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
        Fullscreen = false;
        return true;
    }
    MessageBoxA(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
    return false;
}

HWND CreateGameWindow(const char* title, int32_t width, int32_t height) {
    DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (Fullscreen) {
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

// Steps 8 to 12: device context, pixel format, rendering context made current.
bool MakeCurrentContext() {
    DeviceContext = GetDC(Window);
    if (DeviceContext == nullptr) {
        return FailOpening("Can't Create A GL Device Context.");
    }
    const int format = ChoosePixelFormat(DeviceContext, &PixelFormat);
    if (format == 0) {
        return FailOpening("Can't Find A Suitable PixelFormat.");
    }
    if (!SetPixelFormat(DeviceContext, format, &PixelFormat)) {
        return FailOpening("Can't Set The PixelFormat.");
    }
    RenderContext = wglCreateContext(DeviceContext);
    if (RenderContext == nullptr) {
        return FailOpening("Can't Create A GL Rendering Context.");
    }
    if (!wglMakeCurrent(DeviceContext, RenderContext)) {
        return FailOpening("Can't Activate The GL Rendering Context.");
    }
    return true;
}

// Swaps wait for the display where the driver offers it; the main loop paces the rest.
void AskForVsync() {
    using SwapIntervalFn = BOOL(WINAPI*)(int);
    const PROC proc = wglGetProcAddress("wglSwapIntervalEXT");
    if (proc != nullptr) {
        reinterpret_cast<SwapIntervalFn>(reinterpret_cast<void (*)()>(proc))(1);
    }
}

} // namespace

bool OpenGameWindow(const char* title, int32_t width, int32_t height, int32_t bits,
                    bool fullscreen) {
    Fullscreen = fullscreen;
    Instance = GetModuleHandleA(nullptr);
    if (!RegisterWindowClass()) {
        ShowError("Failed To Register The Window Class.");
        return false;
    }
    if (Fullscreen && !ChangeModeOrGoWindowed(width, height, bits)) {
        return false;
    }
    Window = CreateGameWindow(title, width, height);
    if (Window == nullptr) {
        return FailOpening("Window Creation Error.");
    }
    FillPixelFormat(bits);
    if (!MakeCurrentContext()) {
        return false;
    }
    AskForVsync();
    ShowWindow(Window, SW_SHOW);
    SetForegroundWindow(Window);
    SetFocus(Window);
    ResizeView(width, height);
    if (!InitRenderState()) {
        return FailOpening("Initialization Failed.");
    }
    return true;
}

void CloseGameWindow() {
    if (Fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
    if (RenderContext != nullptr) {
        if (!wglMakeCurrent(nullptr, nullptr)) {
            ShowShutdownError("Release Of DC And RC Failed.");
        }
        if (!wglDeleteContext(RenderContext)) {
            ShowShutdownError("Release Rendering Context Failed.");
        }
        RenderContext = nullptr;
    }
    if (DeviceContext != nullptr) {
        if (!ReleaseDC(Window, DeviceContext)) {
            ShowShutdownError("Release Device Context Failed.");
        }
        DeviceContext = nullptr;
    }
    if (Window != nullptr) {
        if (!DestroyWindow(Window)) {
            ShowShutdownError("Could Not Release hWnd.");
        }
        Window = nullptr;
    }
    if (!UnregisterClassA(ClassName, Instance)) {
        ShowShutdownError("Could Not Unregister Class.");
        Instance = nullptr;
    }
    FreeOutlineFont();
}

void SwapGameWindow() {
    if (DeviceContext != nullptr) {
        SwapBuffers(DeviceContext);
    }
}

int GameWindowRefreshRate() {
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
