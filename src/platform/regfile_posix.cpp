// The settings file on POSIX systems: $XDG_CONFIG_HOME/tavo/tavo.reg, default ~/.config/tavo/tavo.reg.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/regfile.h"
#include "platform/store.h"

bool RegFileDefaultPath(char *out, size_t size) {
    const char *config = getenv("XDG_CONFIG_HOME");
    int n;
    if (config && config[0] == '/') {
        n = snprintf(out, size, "%s/tavo/tavo.reg", config);
    } else {
        const char *home = getenv("HOME");
        if (!home || !home[0]) return false;
        n = snprintf(out, size, "%s/.config/tavo/tavo.reg", home);
    }
    return n > 0 && static_cast<size_t>(n) < size;
}

bool RegFileMakeParent(const char *path) {
    std::string dir(path);
    const size_t cut = dir.rfind('/');
    if (cut == std::string::npos || cut == 0) return true;
    dir.resize(cut);
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at < dir.size() && dir[at] != '/') continue;
        const std::string part = dir.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool RegFileFlushToDisk(FILE *file) {
    return fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool RegFileReplace(const char *from, const char *to) {
    return rename(from, to) == 0;
}

unsigned RegFileProcessId() {
    return static_cast<unsigned>(getpid());
}

const StoreBackend *SystemStoreBackend() {
    return RegFileStoreBackend();
}
