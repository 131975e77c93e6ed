// The settings store as one `.reg` text file (every build; the store of builds other than Windows). The file
// is read afresh whenever no key is open, so another process's last save is seen; every change is written at
// once, atomically (temporary file, flush, rename). It never leaves a half-written file, never overwrites a
// file it could not read, and never overwrites unreadable lines without keeping a copy.
#include <cerrno>
#include <cstring>

#include "platform/regfile.h"
#include "platform/store_tree.h"

static char sPathOverride[1024];  // empty: the default path
static char sDefaultPath[1024];   // the default path, made anew on each use
static StoreTree sTree;           // the file's content as last read, with this process's changes
static int sOpenKeys = 0;         // open handles; the file is read again only when this is 0
static std::string sRaw;          // the file's bytes as last read
static bool sHasBadLines = false; // the file as read holds lines that could not be read
static bool sUnreadable = false;  // the file exists but could not be read: it is never written over
static bool sReported = false;    // the unreadable lines of this content have been told
static std::string sProblem;      // what is still to be told (StoreTakeProblem)
static RegFileFault sFault = REGFILE_FAULT_NONE;
static int sFaultsLeft = 0;

void SetRegFilePath(const char *path) {
    sPathOverride[0] = '\0';
    if (path) snprintf(sPathOverride, sizeof sPathOverride, "%s", path);
    sTree = StoreTree();
    sRaw.clear();
    sHasBadLines = sUnreadable = sReported = false;
    sProblem.clear();
}

const char *RegFilePath() {
    if (sPathOverride[0]) return sPathOverride;
    // the environment is read each time, so a changed XDG_CONFIG_HOME takes effect
    return RegFileDefaultPath(sDefaultPath, sizeof sDefaultPath) ? sDefaultPath : nullptr;
}

void SetRegFileFault(RegFileFault fault, int count) {
    sFault = fault;
    sFaultsLeft = count;
}

static RegFileFault TakeFault() {
    if (sFaultsLeft <= 0) return REGFILE_FAULT_NONE;
    --sFaultsLeft;
    return sFault;
}

static void Tell(const char *text) {
    if (!sProblem.empty()) sProblem += ' ';
    sProblem += text;
}

static void ReadFile() {
    const std::string previous = sRaw;
    sTree = StoreTree();
    sRaw.clear();
    sHasBadLines = sUnreadable = false;
    const char *path = RegFilePath();
    if (!path) return;
    FILE *file = fopen(path, "rb");
    if (!file) {
        sUnreadable = errno != ENOENT; // a missing file is an empty store; anything else is kept safe
        return;
    }
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        sRaw.append(buffer, got);
    if (ferror(file)) sUnreadable = true;
    fclose(file);
    if (sUnreadable) return;
    const RegParseResult result = RegTextParse(sRaw.data(), sRaw.size(), &sTree);
    sHasBadLines = result.badLines > 0 || result.truncatedUtf16;
    if (sRaw != previous) sReported = false;
    if (sHasBadLines && !sReported) {
        char text[1200];
        if (result.badLines)
            snprintf(text, sizeof text,
                     "\"%s\": %d line(s) could not be read and were skipped, the first at line %d.", path,
                     result.badLines, result.firstBadLine);
        else
            snprintf(text, sizeof text, "\"%s\": the file ends in half a character, which was dropped.",
                     path);
        Tell(text);
        sReported = true;
    }
}

static bool WriteAtomically(const char *path, const std::string &bytes) {
    const RegFileFault fault = TakeFault();
    char temp[1100];
    snprintf(temp, sizeof temp, "%s.%u.tmp", path, RegFileProcessId());
    FILE *file = fault == REGFILE_FAULT_OPEN ? nullptr : fopen(temp, "wb");
    if (!file) return false;
    const size_t length = fault == REGFILE_FAULT_WRITE ? bytes.size() / 2 : bytes.size();
    bool ok = fwrite(bytes.data(), 1, length, file) == length && length == bytes.size();
    ok = ok && fault != REGFILE_FAULT_FLUSH && RegFileFlushToDisk(file);
    ok = fclose(file) == 0 && ok;
    ok = ok && fault != REGFILE_FAULT_RENAME && RegFileReplace(temp, path);
    if (!ok) remove(temp);
    return ok;
}

static int32_t SaveFile() {
    const char *path = RegFilePath();
    if (!path || sUnreadable || !RegFileMakeParent(path)) return STORE_CANT_WRITE;
    if (sHasBadLines) {
        // the lines this reader could not take would be lost: keep the file as it was beside the new one
        char backup[1100];
        snprintf(backup, sizeof backup, "%s.bak", path);
        if (!WriteAtomically(backup, sRaw)) return STORE_CANT_WRITE;
        char text[2300];
        snprintf(text, sizeof text,
                 "\"%s\" held lines that could not be read; the old file is kept as \"%s\".", path, backup);
        Tell(text);
    }
    const std::string text = RegTextWrite(sTree);
    if (!WriteAtomically(path, text)) return STORE_CANT_WRITE;
    sRaw = text;
    sHasBadLines = false;
    return STORE_SUCCESS;
}

static void ReadIfIdle() {
    if (sOpenKeys == 0) ReadFile();
}

static int32_t FileOpenKey(const char *path, StoreAccess access, StoreKey *out) {
    ReadIfIdle();
    const int32_t result = TreeOpenKey(sTree, path, access, out);
    if (result == STORE_SUCCESS) ++sOpenKeys;
    return result;
}

static int32_t FileCreateKey(const char *path, StoreKey *out) {
    ReadIfIdle();
    StoreTree before = sTree;
    bool changed = false;
    int32_t result = TreeCreateKey(sTree, path, out, &changed);
    if (result == STORE_SUCCESS && changed && (result = SaveFile()) != STORE_SUCCESS) {
        TreeCloseKey(*out);
        *out = nullptr;
        sTree.keys.swap(before.keys); // the store stays as the file holds it
    }
    if (result == STORE_SUCCESS) ++sOpenKeys;
    return result;
}

static int32_t FileReadValue(StoreKey key, const char *name, uint32_t *type, void *data, uint32_t *size) {
    return TreeReadValue(sTree, key, name, type, data, size);
}

static int32_t FileWriteValue(StoreKey key, const char *name, uint32_t type, const void *data,
                              uint32_t size) {
    StoreTree before = sTree;
    int32_t result = TreeWriteValue(sTree, key, name, type, data, size);
    if (result == STORE_SUCCESS && (result = SaveFile()) != STORE_SUCCESS) sTree.keys.swap(before.keys);
    return result;
}

static int32_t FileEnumKey(StoreKey key, uint32_t index, char *name, uint32_t *size) {
    return TreeEnumKey(sTree, key, index, name, size);
}

static int32_t FileDeleteKey(StoreKey key, const char *subkey) {
    StoreTree before = sTree;
    int32_t result = TreeDeleteKey(sTree, key, subkey);
    if (result == STORE_SUCCESS && (result = SaveFile()) != STORE_SUCCESS) sTree.keys.swap(before.keys);
    return result;
}

static int32_t FileCloseKey(StoreKey key) {
    const int32_t result = TreeCloseKey(key);
    if (result == STORE_SUCCESS && sOpenKeys > 0) --sOpenKeys;
    return result;
}

static bool FileTakeProblem(char *text, size_t size) {
    if (sProblem.empty()) return false;
    snprintf(text, size, "%s", sProblem.c_str());
    sProblem.clear();
    return true;
}

static const StoreBackend kRegFileStore = {FileOpenKey, FileCreateKey, FileReadValue, FileWriteValue,
                                           FileEnumKey, FileDeleteKey, FileCloseKey,  FileTakeProblem};

const StoreBackend *RegFileStoreBackend() {
    return &kRegFileStore;
}
