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
