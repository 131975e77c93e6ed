// The settings file on Windows (used only when asked for: the Windows build keeps its settings in the
// registry): %LOCALAPPDATA%\Tavo\tavo.reg by default.
#include <windows.h>

#include <cstdlib>
#include <direct.h>
#include <io.h>
#include <process.h>
#include <string>

#include "platform/regfile.h"

bool RegFileDefaultPath(char *out, size_t size) {
    const char *local = getenv("LOCALAPPDATA");
    if (!local || !local[0]) return false;
    const int n = snprintf(out, size, "%s\\Tavo\\tavo.reg", local);
    return n > 0 && static_cast<size_t>(n) < size;
}

bool RegFileMakeParent(const char *path) {
    std::string dir(path);
    const size_t cut = dir.find_last_of("\\/");
    if (cut == std::string::npos) return true;
    dir.resize(cut);
    for (size_t at = 1; at <= dir.size(); ++at) {
        if (at < dir.size() && dir[at] != '\\' && dir[at] != '/') continue;
        const std::string part = dir.substr(0, at);
        if (part.size() == 2 && part[1] == ':') continue; // a drive
        CreateDirectoryA(part.c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RegFileFlushToDisk(FILE *file) {
    return fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool RegFileReplace(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned RegFileProcessId() {
    return static_cast<unsigned>(_getpid());
}
