// Runs the settings dialog as the saver's settings mode does, for the end-to-end scripts: the exit code is
// the dialog's result. With the argument "start" it shows no dialog and prints the name of the pattern a
// saver started now would begin with, from the same store.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "patterns/patterns.h"
#include "session/session.h"

int main(int argc, char **argv) {
    if (argc > 1 && strcmp(argv[1], "start") == 0) {
        if (!GetSettings(false)) return 2;
        ChooseStartingPreset();
        printf("%s\n", gPresets[gCurrentPreset].name);
        return 0;
    }
    return RunSettingsDialog(nullptr);
}
