// The password check before the saver closes, the loading of the system's verifier and the password change,
// for the Windows 9x family, where the saver itself must ask. Called by the Windows host and the input rules;
// it reaches the system only through the password backend and never closes the window itself.
#include "host/host.h"
#include "platform/clock.h"

LibraryHandle gPasswordLibrary = nullptr;
uint32_t gLastPasswordCheck = PASSWORD_NEVER_CHECKED;

static const PasswordBackend *sPassword =
    nullptr; // nullptr: no password support (every platform but Windows)

void SetPasswordBackend(const PasswordBackend *backend) {
    sPassword = backend;
}

bool CheckPasswordBeforeClose(WindowHandle window) {
    if (gInPasswordCheck || gCloseAllowed) return false;
    if (!gVerifyPassword) {
        gCloseAllowed = 1;
        return true;
    }
    // Answers this soon after a refusal repeat it: a burst of input must not bring the prompt straight back.
    if (gLastPasswordCheck != PASSWORD_NEVER_CHECKED &&
        PlatformTickCount() - gLastPasswordCheck < PASSWORD_CHECK_SPACING_MS)
        return false;

    gInPasswordCheck = 1;
    // Ticks queued before the prompt would run frame steps while it is up.
    for (int i = 0; i < PENDING_TIMER_REMOVALS; ++i)
        if (sPassword && sPassword->removeTimerMessage) sPassword->removeTimerMessage(window);
    // Sent through the whole chain, so the session sees the request before the host's default handling asks.
    const intptr_t answer =
        sPassword && sPassword->sendMessage ? sPassword->sendMessage(window, EV_APP, 0, 0) : 1;
    gCloseAllowed = answer != 0;
    gInPasswordCheck = 0;
    if (!gCloseAllowed) PlatformShowCursor(window, false);
    gLastPasswordCheck = PlatformTickCount();
    return gCloseAllowed != 0;
}

void SetScreenSaverRunning(uint32_t state) {
    if (gOnWin9x && sPassword) sPassword->setScreenSaverRunning(state);
}

void UnloadPasswordCheck() {
    if (!gOnWin9x || !sPassword) return;
    if (gPasswordLibrary) {
        sPassword->freeLibrary(gPasswordLibrary);
        gPasswordLibrary = nullptr;
    }
    if (gVerifyPassword) {
        gVerifyPassword = nullptr;
        SetScreenSaverRunning(0);
    }
}

void LoadPasswordCheck() {
    if (!gOnWin9x || !sPassword) return;
    if (gPasswordLibrary) UnloadPasswordCheck();
    uint32_t usePassword = 0;
    if (!sPassword->readUsePassword(&usePassword) || usePassword == 0) return;
    gPasswordLibrary = sPassword->loadLibrary("PASSWORD.CPL");
    if (!gPasswordLibrary) return;
    gVerifyPassword = sPassword->findVerifier(gPasswordLibrary);
    if (gVerifyPassword)
        SetScreenSaverRunning(1);
    else
        UnloadPasswordCheck();
}

void ChangePassword(WindowHandle owner) {
    if (!sPassword) return;
    LibraryHandle library = sPassword->loadLibrary("MPR.DLL");
    if (!library) return;
    sPassword->changePassword(library, owner);
    sPassword->freeLibrary(library);
}

void ResetPasswordForTests() {
    gPasswordLibrary = nullptr;
    gLastPasswordCheck = PASSWORD_NEVER_CHECKED;
    sPassword = nullptr;
}
