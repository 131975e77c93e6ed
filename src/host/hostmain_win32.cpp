// The program's modes: walks the command-line tail, runs the saver full screen or in a preview window, shows
// the settings, or lets the user change the password, under the exception guard. Called by the entry only;
// it never reads more than the first mode letter.
#include "host/cmdline.h"
#include "host/host_win32.h"

HINSTANCE gInstance = nullptr;

static LPTOP_LEVEL_EXCEPTION_FILTER sPreviousFilter = nullptr; // the filter in force before the dispatch

// The system's own filter decides; the guard's part is to give task switching back if the process is ended
// under it. The system filter calls the installed top-level filter, so the previous one goes back first.
static LONG WINAPI HostExceptionFilter(EXCEPTION_POINTERS *info) {
    SetUnhandledExceptionFilter(sPreviousFilter);
    const LONG action = UnhandledExceptionFilter(info);
    if (action == EXCEPTION_EXECUTE_HANDLER) SetScreenSaverRunning(0);
    return action;
}

// A handle given on the command line is the 32-bit value of a window handle, widened as the system widens
// them.
static HWND HandleFromNumber(uint32_t number) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(number)));
}

// True when the tail holds no mode letter at all: the settings then have no owner, where a bare C takes the
// foreground window.
static bool NoModeLetter(const char *tail) {
    while (*tail == ' ' || *tail == '-' || *tail == '/')
        ++tail;
    return *tail == '\0';
}

static int RunMode(const char *tail) {
    const HostCommand command = ParseHostCommand(tail);
    switch (command.mode) {
        case HOST_SETTINGS: {
            if (NoModeLetter(tail)) return ShowSettingsDialog(nullptr);
            HWND owner = HandleFromNumber(command.handle);
            if (!owner || !IsWindow(owner)) owner = static_cast<HWND>(PlatformForegroundWindow());
            return ShowSettingsDialog(owner);
        }
        case HOST_SAVER: return RunSaverWindow(nullptr);
        case HOST_PREVIEW: {
            HWND parent = HandleFromNumber(command.handle);
            if (!parent || !IsWindow(parent)) return -1;
            return RunSaverWindow(parent);
        }
        case HOST_PASSWORD: {
            if (!gOnWin9x) return -1; // later systems change the password themselves
            HWND owner = HandleFromNumber(command.handle);
            if (!IsWindow(owner)) owner = static_cast<HWND>(PlatformForegroundWindow());
            ChangePassword(owner);
            return 0;
        }
        case HOST_INVALID: break;
    }
    return -1;
}

int HostMain(void *instance, const char *tail) {
    gInstance = static_cast<HINSTANCE>(instance);
    PlatformVersion version;
    gOnWin9x = PlatformVersionInfo(&version) && version.platformId == VER_PLATFORM_WIN9X;

    sPreviousFilter = SetUnhandledExceptionFilter(HostExceptionFilter);
    const int code = RunMode(tail);
    SetUnhandledExceptionFilter(sPreviousFilter);
    return code;
}
