// The product version on Windows: the version resource of the running module's own file, so an installed
// copy elsewhere on the search path never answers for this one. Every call is checked; where a step finds
// nothing the output stays empty and the dialog shows "Tavo Version" with nothing after it.
#include <cstdio>
#include <windows.h>

#include "display/display.h"

void GetProductVersion(const char *, char *version, size_t versionSize) {
    if (!version || !versionSize) return;
    version[0] = '\0';
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return; // failed or cut: not a usable name
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return;
    void *block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!block) return;
    struct Translation {
        WORD language, codePage;
    } *translation = nullptr;
    UINT translationBytes = 0;
    if (GetFileVersionInfoA(path, 0, size, block) &&
        VerQueryValueA(block, "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                       &translationBytes) &&
        translation && translationBytes >= sizeof *translation) {
        char query[64];
        snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language,
                 translation->codePage);
        char *text = nullptr;
        UINT textLength = 0;
        if (VerQueryValueA(block, query, reinterpret_cast<void **>(&text), &textLength) && text &&
            textLength > 0)
            snprintf(version, versionSize, "%s", text);
    }
    HeapFree(GetProcessHeap(), 0, block);
}
