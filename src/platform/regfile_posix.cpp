// The settings file on POSIX systems: $XDG_CONFIG_HOME/tavo/tavo.reg, default ~/.config/tavo/tavo.reg.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

RegFileReadResult RegFileReadAll(const char *path, std::string *bytes, std::string *reason) {
    bytes->clear();
    // non-blocking, so opening a FIFO with no writer returns at once; the type is checked before any read
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *reason = strerror(error);
        return error == ENOENT         ? REGFILE_READ_MISSING
               : error == ENAMETOOLONG ? REGFILE_READ_BAD_PATH
                                       : REGFILE_READ_REFUSED;
    }
    struct stat st;
    RegFileReadResult result = REGFILE_READ_OK;
    if (fstat(fd, &st) != 0) {
        *reason = strerror(errno);
        result = REGFILE_READ_REFUSED;
    } else if (!S_ISREG(st.st_mode)) {
        *reason = "not a regular file";
        result = REGFILE_READ_REFUSED;
    } else if (static_cast<unsigned long long>(st.st_size) > REGFILE_MAX_BYTES) {
        *reason = "larger than 16 MiB";
        result = REGFILE_READ_REFUSED;
    }
    char buffer[65536];
    while (result == REGFILE_READ_OK) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            *reason = strerror(errno);
            result = REGFILE_READ_REFUSED;
        } else if (bytes->size() + static_cast<size_t>(got) > REGFILE_MAX_BYTES) {
            *reason = "larger than 16 MiB"; // it grew while being read
            result = REGFILE_READ_REFUSED;
        } else {
            bytes->append(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    if (result != REGFILE_READ_OK) bytes->clear();
    return result;
}

std::string RegFileSaveTarget(const char *path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = readlink(target.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size()) return target;
        link.resize(static_cast<size_t>(n));
        if (link[0] != '/') {
            const size_t cut = target.rfind('/');
            link = (cut == std::string::npos ? std::string() : target.substr(0, cut + 1)) + link;
        }
        target = link;
    }
    return target; // a loop of links: the rename fails on it and says so
}

bool RegFileKeepMode(FILE *file, const char *from) {
    struct stat st;
    if (stat(from, &st) != 0) return true; // a new file: the usual mode
    return fchmod(fileno(file), st.st_mode & 07777) == 0;
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

int RegFileLastError() {
    return errno;
}

int RegFileDiskFullError() {
    return ENOSPC;
}

std::string RegFileErrorText(int error) {
    return strerror(error);
}

std::string StoreResultText(int32_t result) {
    switch (result) {
        case STORE_NOT_FOUND: return "no such key or value";
        case STORE_ACCESS_DENIED: return "access denied";
        case STORE_INVALID: return "invalid name or value";
        case STORE_MORE_DATA: return "the value is too large";
        case STORE_CANT_WRITE: return "the settings could not be written";
        case STORE_KEY_DELETED: return "the key has been deleted";
        default: return "error " + std::to_string(result);
    }
}

const StoreBackend *SystemStoreBackend() {
    return RegFileStoreBackend();
}
