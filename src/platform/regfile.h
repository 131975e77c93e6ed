// What the `.reg` file backend needs from the operating system: the default place of the file, its folder,
// a bounded read that never blocks, a flush that reaches the disk, a rename that replaces the old file in one
// step, and the system's words for a failure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

constexpr size_t REGFILE_MAX_BYTES = size_t(16) << 20; // a settings file is a few kilobytes; 16 MiB is plenty

enum RegFileReadResult {
    REGFILE_READ_OK,
    REGFILE_READ_MISSING,  // no such file: an empty store
    REGFILE_READ_REFUSED,  // there is something, but not a regular file of at most 16 MiB that can be read
    REGFILE_READ_BAD_PATH, // the path itself cannot be used (too long for the system)
};

bool RegFileDefaultPath(char *out, size_t size); // false when there is no home to put it in
bool RegFileMakeParent(const char *path);        // creates the file's folder (and its parents) if missing
// The whole file, links followed; a FIFO or a device is refused without being read. `reason` says why not.
RegFileReadResult RegFileReadAll(const char *path, std::string *bytes, std::string *reason);
// The file a save replaces: `path`, or where its symbolic links lead, so a linked settings file stays linked.
std::string RegFileSaveTarget(const char *path);
bool RegFileKeepMode(FILE *file, const char *from);    // the new file gets the access mode `from` has
bool RegFileFlushToDisk(FILE *file);                   // fflush, then the system's own flush to the device
bool RegFileReplace(const char *from, const char *to); // atomically, overwriting `to`
unsigned RegFileProcessId();                           // keeps temporary names of two processes apart
int RegFileLastError();                                // errno, or GetLastError, of the call that just failed
int RegFileDiskFullError();                            // that number for a full disk
std::string RegFileErrorText(int error);               // the system's words for RegFileLastError's number
std::string StoreResultText(int32_t result);           // the words for a store result code
