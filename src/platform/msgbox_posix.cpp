// Message boxes elsewhere: SDL's message box when a video system runs, otherwise the text on standard error.
// A question nobody can answer takes its default button.
#include "platform/msgbox.h"

#include <cstdio>
#if TAVO_HAVE_SDL2
#include <SDL.h>
#endif

static int PosixMessageBox(const char *text, const char *title, uint32_t style) {
    const bool question = (style & MBOX_YESNO) != 0;
    const int defaultAnswer = question ? ((style & MBOX_DEFBUTTON2) ? MBOX_IDNO : MBOX_IDYES) : MBOX_IDOK;
#if TAVO_HAVE_SDL2
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetCurrentVideoDriver() &&
        SDL_strcmp(SDL_GetCurrentVideoDriver(), "offscreen") != 0 &&
        SDL_strcmp(SDL_GetCurrentVideoDriver(), "dummy") != 0) {
        const Uint32 returnKey = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        const SDL_MessageBoxButtonData yesNo[] = {
            {(style & MBOX_DEFBUTTON2) ? 0u : returnKey, MBOX_IDYES, "Yes"},
            {(style & MBOX_DEFBUTTON2) ? returnKey : 0u, MBOX_IDNO, "No"},
        };
        const SDL_MessageBoxButtonData ok[] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, MBOX_IDOK, "OK"}};
        SDL_MessageBoxData box{};
        box.flags = (style & MBOX_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        box.title = title;
        box.message = text;
        box.numbuttons = question ? 2 : 1;
        box.buttons = question ? yesNo : ok;
        int chosen = -1;
        if (SDL_ShowMessageBox(&box, &chosen) == 0 && chosen >= 0) return chosen;
    }
#endif
    fprintf(stderr, "%s: %s\n", title, text);
    return defaultAnswer;
}

const MessageBoxBackend *SystemMessageBoxBackend() {
    static const MessageBoxBackend backend = {PosixMessageBox};
    return &backend;
}
