// The settings file on Windows (used only when asked for: the Windows build keeps its settings in the
// registry): %LOCALAPPDATA%\Tavo\tavo.reg by default.
#include <windows.h>

#include <cstdlib>
#include <direct.h>
#include <io.h>
#include <process.h>
#include <string>

#include "platform/regfile.h"
#include "platform/store.h"

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

RegFileReadResult RegFileReadAll(const char *path, std::string *bytes, std::string *reason) {
    bytes->clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        *reason = RegFileErrorText(static_cast<int>(error));
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return REGFILE_READ_MISSING;
        return error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_INVALID_NAME ? REGFILE_READ_BAD_PATH
                                                                                  : REGFILE_READ_REFUSED;
    }
    RegFileReadResult result = REGFILE_READ_OK;
    LARGE_INTEGER length;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        *reason = "not a regular file";
        result = REGFILE_READ_REFUSED;
    } else if (!GetFileSizeEx(file, &length)) {
        *reason = RegFileErrorText(static_cast<int>(GetLastError()));
        result = REGFILE_READ_REFUSED;
    } else if (static_cast<unsigned long long>(length.QuadPart) > REGFILE_MAX_BYTES) {
        *reason = "larger than 16 MiB";
        result = REGFILE_READ_REFUSED;
    }
    char buffer[65536];
    while (result == REGFILE_READ_OK) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            *reason = RegFileErrorText(static_cast<int>(GetLastError()));
            result = REGFILE_READ_REFUSED;
        } else if (got == 0) {
            break;
        } else if (bytes->size() + got > REGFILE_MAX_BYTES) {
            *reason = "larger than 16 MiB";
            result = REGFILE_READ_REFUSED;
        } else {
            bytes->append(buffer, got);
        }
    }
    CloseHandle(file);
    if (result != REGFILE_READ_OK) bytes->clear();
    return result;
}

std::string RegFileSaveTarget(const char *path) {
    return path;
}

bool RegFileKeepMode(FILE *, const char *) {
    return true; // the new file takes its folder's permissions, as the old one did
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

int RegFileLastError() {
    const DWORD error = GetLastError();
    return error ? static_cast<int>(error) : errno ? ERROR_WRITE_FAULT : 0;
}

int RegFileDiskFullError() {
    return ERROR_DISK_FULL;
}

std::string RegFileErrorText(int error) {
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text,
                             sizeof text, nullptr);
    // the system's text ends in a full stop and a line break; the callers add their own punctuation
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.' || text[n - 1] == ' '))
        --n;
    if (n == 0) return "error " + std::to_string(error);
    return std::string(text, n);
}

std::string StoreResultText(int32_t result) {
    return RegFileErrorText(result); // the store's codes are the system's own numbers
}
