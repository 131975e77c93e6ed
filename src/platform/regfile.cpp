// The settings store as one `.reg` text file (every build; the store of builds other than Windows). The file
// is read afresh whenever no key is open, so another process's last save is seen; every change is written at
// once, atomically (temporary file, flush, rename). It never leaves a half-written file, never overwrites a
// file it could not read, and never overwrites unreadable lines without keeping a copy.
#include <cerrno>
#include <cstring>

#include "platform/regfile.h"
#include "platform/store_tree.h"

static std::string sPathOverride; // empty: the default path; any length (the system may refuse it)
static char sDefaultPath[4096];   // the default path, made anew on each use
static StoreTree sTree;           // the file's content as last read, with this process's changes
static int sOpenKeys = 0;         // open handles; the file is read again only when this is 0
static std::string sRaw;          // the file's bytes as last read
static std::vector<int> sLost;   // lines of the file as read that a save would not keep (comments, bad lines)
static bool sLosesBytes = false; // a save would lose something (those lines, or half a character)
static int sUnreadable = 0;      // 1 or 2 (RegFileReadProblem): the file is never written over
static std::string sWhy;         // "cannot read FILE: reason" while sUnreadable
static std::string sToldWhy;     // the last such text told, so a lasting problem is told once
static bool sReported = false;   // the unreadable lines of this content have been told
static std::string sSaveError;   // why the last save failed, "" after one that worked
static std::string sProblem;     // what is still to be told (StoreTakeProblem)
static RegFileFault sFault = REGFILE_FAULT_NONE;
static int sFaultsLeft = 0;

void SetRegFilePath(const char *path) {
    sPathOverride = path ? path : "";
    sTree = StoreTree();
    sRaw.clear();
    sLost.clear();
    sLosesBytes = sReported = false;
    sUnreadable = 0;
    sWhy.clear();
    sToldWhy.clear();
    sSaveError.clear();
    sProblem.clear();
}

const char *RegFilePath() {
    if (!sPathOverride.empty()) return sPathOverride.c_str();
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

static void Tell(const std::string &text) {
    if (!sProblem.empty()) sProblem += ' ';
    sProblem += text;
}

static std::string Quoted(const char *path) {
    return std::string("\"") + path + '"';
}

// "3, 7 and 12", at most ten numbers before "and N more"
static std::string LineList(const std::vector<int> &lines) {
    std::string list;
    const size_t shown = lines.size() > 10 ? 10 : lines.size();
    for (size_t k = 0; k < shown; ++k) {
        if (k) list += k + 1 == lines.size() ? " and " : ", ";
        list += std::to_string(lines[k]);
    }
    if (shown < lines.size()) list += " and " + std::to_string(lines.size() - shown) + " more";
    return list;
}

static void ReadFile() {
    const std::string previous = sRaw;
    sTree = StoreTree();
    sRaw.clear();
    sLost.clear();
    sLosesBytes = false;
    sUnreadable = 0;
    const char *path = RegFilePath();
    if (!path) return;
    std::string reason;
    const RegFileReadResult got = RegFileReadAll(path, &sRaw, &reason);
    if (got == REGFILE_READ_REFUSED || got == REGFILE_READ_BAD_PATH) {
        sUnreadable = got == REGFILE_READ_BAD_PATH ? 2 : 1;
        sWhy = "cannot read " + Quoted(path) + ": " + reason;
        if (sWhy != sToldWhy) Tell(sWhy + "; the defaults are used and the file is left as it is.");
        sToldWhy = sWhy;
        return;
    }
    sToldWhy.clear();
    if (got == REGFILE_READ_MISSING) return;
    const RegParseResult result = RegTextParse(sRaw.data(), sRaw.size(), &sTree);
    sLost = result.lostLines;
    sLosesBytes = !sLost.empty() || result.truncatedUtf16;
    if (sRaw != previous) sReported = false;
    if ((result.badLines || result.truncatedUtf16) && !sReported) {
        if (result.badLines)
            Tell(Quoted(path) + ": " + std::to_string(result.badLines) +
                 " line(s) could not be read and were skipped, the first at line " +
                 std::to_string(result.firstBadLine) + ".");
        else
            Tell(Quoted(path) + ": the file ends in half a character, which was dropped.");
        sReported = true;
    }
}

// Temporary file in the destination's own folder, flushed, then renamed over it: the old file stays whole
// until the new one is complete. The new file keeps the access mode of `modeFrom`.
static bool WriteAtomically(const std::string &dest, const std::string &bytes, const std::string &modeFrom) {
    const RegFileFault fault = TakeFault();
    const std::string temp = dest + "." + std::to_string(RegFileProcessId()) + ".tmp";
    int error = 0;
    auto fail = [&error](int code) {
        error = code;
        return false;
    };
    // an injected fault reads as a full disk, the failure it stands for
    FILE *file = fault == REGFILE_FAULT_OPEN ? nullptr : fopen(temp.c_str(), "wb");
    bool ok = file || fail(fault == REGFILE_FAULT_OPEN ? RegFileDiskFullError() : RegFileLastError());
    if (file) {
        const size_t length = fault == REGFILE_FAULT_WRITE ? bytes.size() / 2 : bytes.size();
        ok = RegFileKeepMode(file, modeFrom.c_str()) || fail(RegFileLastError());
        ok = ok && (fwrite(bytes.data(), 1, length, file) == length || fail(RegFileLastError()));
        ok = ok && (length == bytes.size() || fail(RegFileDiskFullError()));
        ok = ok && (fault != REGFILE_FAULT_FLUSH || fail(RegFileDiskFullError()));
        ok = ok && (RegFileFlushToDisk(file) || fail(RegFileLastError()));
        if (fclose(file) != 0 && ok) ok = fail(RegFileLastError());
    }
    ok = ok && (fault != REGFILE_FAULT_RENAME || fail(RegFileDiskFullError()));
    ok = ok && (RegFileReplace(temp.c_str(), dest.c_str()) || fail(RegFileLastError()));
    if (!ok) {
        remove(temp.c_str());
        sSaveError = "cannot write " + Quoted(dest.c_str()) + ": " + RegFileErrorText(error);
    }
    return ok;
}

static int32_t SaveFile() {
    const char *path = RegFilePath();
    if (!path) {
        sSaveError = "there is no home folder to keep the settings file in";
        return STORE_CANT_WRITE;
    }
    if (sUnreadable) {
        sSaveError = sWhy + "; it is not written over";
        return STORE_CANT_WRITE;
    }
    const std::string target = RegFileSaveTarget(path);
    if (!RegFileMakeParent(target.c_str())) {
        sSaveError = "cannot make the folder of " + Quoted(target.c_str()) + ": " +
                     RegFileErrorText(RegFileLastError());
        return STORE_CANT_WRITE;
    }
    if (sLosesBytes) {
        // what this writer cannot keep would be lost: keep the file as it was beside the new one
        const std::string backup = std::string(path) + ".bak";
        if (!WriteAtomically(backup, sRaw, target)) return STORE_CANT_WRITE;
        std::string text = Quoted(path);
        if (sLost.empty())
            text += " ended in half a character";
        else
            text += (sLost.size() == 1 ? ": line " : ": lines ") + LineList(sLost) +
                    " (comments or lines that could not be read) could not be kept";
        Tell(text + "; the old file is kept as " + Quoted(backup.c_str()) + ".");
    }
    const std::string text = RegTextWrite(sTree);
    if (!WriteAtomically(target, text, target)) return STORE_CANT_WRITE;
    sRaw = text;
    sLost.clear();
    sLosesBytes = false;
    sSaveError.clear();
    return STORE_SUCCESS;
}

int RegFileReadProblem(char *text, size_t size) {
    if (size) snprintf(text, size, "%s", sUnreadable ? sWhy.c_str() : "");
    return sUnreadable;
}

void StoreErrorText(int32_t result, char *text, size_t size) {
    if (!size) return;
    const bool file = CurrentStoreBackend() == RegFileStoreBackend() && !sSaveError.empty();
    snprintf(text, size, "%s", file ? sSaveError.c_str() : StoreResultText(result).c_str());
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
        sTree = std::move(before); // the store stays as the file holds it
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
    if (result == STORE_SUCCESS && (result = SaveFile()) != STORE_SUCCESS) sTree = std::move(before);
    return result;
}

static int32_t FileEnumKey(StoreKey key, uint32_t index, char *name, uint32_t *size) {
    return TreeEnumKey(sTree, key, index, name, size);
}

static int32_t FileDeleteKey(StoreKey key, const char *subkey) {
    StoreTree before = sTree;
    int32_t result = TreeDeleteKey(sTree, key, subkey);
    if (result == STORE_SUCCESS && (result = SaveFile()) != STORE_SUCCESS) sTree = std::move(before);
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
