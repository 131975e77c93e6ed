// The diagnostic log on Windows: "C:\Tavo.txt" first; a standard user on current Windows cannot write there,
// so the entry then goes to %LOCALAPPDATA%\Tavo\Tavo.txt rather than being lost.
#include "platform/logfile.h"

#include <cstdlib>
#include <windows.h>

FILE *PlatformOpenLog() {
    if (const char *override = LogPathOverride()) return fopen(override, "a");
    if (FILE *f = fopen("C:\\Tavo.txt", "a")) return f;
    char dir[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return nullptr;
    char path[MAX_PATH + 32];
    snprintf(path, sizeof path, "%s\\Tavo", dir);
    CreateDirectoryA(path, nullptr);
    snprintf(path, sizeof path, "%s\\Tavo\\Tavo.txt", dir);
    return fopen(path, "a");
}
