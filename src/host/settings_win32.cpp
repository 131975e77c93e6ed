// The settings mode on Windows. Called by HostMain for /c, /c:HWND and an empty command line; it must not
// run the saver.
#include "host/host_win32.h"

// Until the settings dialog exists, the user is told so rather than shown nothing.
int ShowSettingsDialog(WindowHandle owner) {
    MessageBoxA(static_cast<HWND>(owner), "The settings dialog of this version is not built yet.", "Tavo",
                MB_OK | MB_ICONINFORMATION);
    return 0;
}
