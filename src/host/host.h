// The screen-saver host: the program's entry, its command-line modes, the saver window class and the rules
// by which input ends the saver. This header is its portable face.
#pragma once
#include <cstdio>

extern int gPreviewMode; // the saver draws into a preview window (640 x 480, double size, never painted)

// The settings commands of the command line (every build; the Linux program's way to change settings without
// editing the file). Recognises and removes "--settings-file PATH" (the settings file to use from now on),
// then runs "--list-patterns", "--settings" or one or more "--set" "Value Name=value" if given. *handled is
// set when a command ran and the program should exit with the result; otherwise the result is 0 and the
// remaining arguments are the program's own.
int RunSettingsCommand(int *argc, char **argv, bool *handled);
int RunSettingsCommandTo(int *argc, char **argv, bool *handled, FILE *out, FILE *err);

// ---------------------------------------------------------------------------------------------------------------
// Headless renderer: the real engine and display logic on the software device, on a simulated clock, writing
// the screen to PNG files. Same options, same files.
// ---------------------------------------------------------------------------------------------------------------
#include <cstddef>
#include <cstdint>

struct SnapshotOptions {
    const char *directory;  // where the PNG files go (created if missing)
    int32_t pattern;        // standard pattern 0..14
    uint32_t seed;          // random seed
    uint32_t width, height; // display size, 320..16384 each
    uint32_t depth;         // 16, 24 or 32 bits per pixel
    double seconds;         // simulated time to run
    double framesPerSecond; // PNG files per simulated second
    int names, doubleSize, paint;
};

void DefaultSnapshotOptions(SnapshotOptions *options);
// Reads the snapshot options (argv[0] is the program). False with a message in `error` for a bad argument.
bool ParseSnapshotOptions(int argc, char **argv, SnapshotOptions *options, char *error, size_t errorSize);
// Runs the saver headless; returns the process exit code (0 when every file was written).
int RunSnapshot(const SnapshotOptions &options);
extern const char *const kSnapshotHelp; // the options, one line each
