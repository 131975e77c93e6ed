// The settings mode on Windows. Called by HostMain for /c, /c:HWND and an empty command line; it never runs
// the saver.
#include "host/host_win32.h"
#include "session/session.h"

int ShowSettingsDialog(WindowHandle owner) {
    return RunSettingsDialog(owner);
}
