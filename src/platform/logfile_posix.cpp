// The diagnostic log on POSIX systems, under the XDG state directory.
#include "platform/logfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

static bool MakeDirectory(const char *path) {
    return mkdir(path, 0755) == 0 || errno == EEXIST;
}

FILE *PlatformOpenLog() {
    if (const char *override = LogPathOverride()) return fopen(override, "a");
    char dir[1024];
    const char *state = getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') {
        snprintf(dir, sizeof dir, "%s", state);
    } else {
        const char *home = getenv("HOME");
        if (!home || !home[0]) return nullptr;
        snprintf(dir, sizeof dir, "%s/.local", home);
        MakeDirectory(dir);
        snprintf(dir, sizeof dir, "%s/.local/state", home);
    }
    MakeDirectory(dir);
    char path[1100];
    snprintf(path, sizeof path, "%s/tavo", dir);
    if (!MakeDirectory(path)) return nullptr;
    snprintf(path, sizeof path, "%s/tavo/Tavo.txt", dir);
    return fopen(path, "a");
}
