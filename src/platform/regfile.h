// What the `.reg` file backend needs from the operating system: the default place of the file, its folder,
// a flush that reaches the disk and a rename that replaces the old file in one step.
#pragma once
#include <cstddef>
#include <cstdio>

bool RegFileDefaultPath(char *out, size_t size); // false when there is no home to put it in
bool RegFileMakeParent(const char *path);        // creates the file's folder (and its parents) if missing
bool RegFileFlushToDisk(FILE *file);             // fflush, then the system's own flush to the device
bool RegFileReplace(const char *from, const char *to); // atomically, overwriting `to`
unsigned RegFileProcessId();                           // keeps temporary names of two processes apart
