// Message boxes on SDL, falling back to stderr where SDL cannot show one.
#include "platform/shell.h"

#include <SDL.h>

#include <cstdio>

namespace {

Uint32 SdlIconFlag(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Exclamation:
        return SDL_MESSAGEBOX_WARNING;
    case BoxIcon::Stop:
        return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::Information:
        return SDL_MESSAGEBOX_INFORMATION;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

void PrintBox(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

} // namespace

void ShellShowBox(const char* caption, const char* text, BoxIcon icon) {
    if (SDL_ShowSimpleMessageBox(SdlIconFlag(icon), caption, text, nullptr) != 0) {
        PrintBox(caption, text);
    }
}

bool ShellAskYesNo(const char* caption, const char* text) {
    enum { AnswerNo = 0, AnswerYes = 1 };
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, AnswerYes, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, AnswerNo, "No"},
    };
    const SDL_MessageBoxData box = {SDL_MESSAGEBOX_WARNING, nullptr, caption, text,
                                    SDL_arraysize(buttons), buttons, nullptr};
    int answer = AnswerNo;
    if (SDL_ShowMessageBox(&box, &answer) != 0) {
        // Nobody can be asked: say so, and carry on in the mode that needs no mode change.
        PrintBox(caption, text);
        return true;
    }
    return answer == AnswerYes;
}
