// The game's message boxes on Windows: MessageBoxA with no owner window.
#include "platform/shell.h"
#include "platform/win32/windows_api.h"

namespace {

UINT IconFlag(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Exclamation:
        return MB_ICONEXCLAMATION;
    case BoxIcon::Stop:
        return MB_ICONSTOP;
    case BoxIcon::Information:
        return MB_ICONINFORMATION;
    }
    return MB_ICONINFORMATION;
}

} // namespace

void ShellShowBox(const char* caption, const char* text, BoxIcon icon) {
    MessageBoxA(nullptr, text, caption, MB_OK | IconFlag(icon));
}

bool ShellAskYesNo(const char* caption, const char* text) {
    return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}
