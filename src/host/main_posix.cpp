// The Linux program's entry: reads the command line and hands over to the mode it names. Only a dispatcher:
// every mode lives in its own piece of the host.
#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "host/saver_options.h"
#if TAVO_HAVE_SDL2
#include "host/saver_sdl.h"
#endif

static void PrintHelp(FILE *to) {
    fputs(SAVER_HELP_TEXT, to);
    fputs("\nSnapshot options (tavo --snapshot DIR [options]):\n", to);
    fputs(kSnapshotHelp, to);
}

static bool HasOption(int argc, char **argv, const char *name) {
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], name) == 0) return true;
    return false;
}

int main(int argc, char **argv) {
    if (HasOption(argc, argv, "--help")) {
        PrintHelp(stdout);
        return 0;
    }
    // --settings-file holds for every mode; the settings commands end the program here.
    bool handled = false;
    const int settingsResult = RunSettingsCommand(&argc, argv, &handled);
    if (handled) return settingsResult;

    if (HasOption(argc, argv, "--snapshot")) {
        SnapshotOptions options;
        char error[256];
        if (!ParseSnapshotOptions(argc, argv, &options, error, sizeof error)) {
            fprintf(stderr, "tavo: %s\n", error);
            PrintHelp(stderr);
            return 2;
        }
        return RunSnapshot(options);
    }
#if TAVO_HAVE_SDL2
    int exitCode = 2;
    if (RunSaverCommand(argc, argv, &exitCode)) return exitCode;
    fprintf(stderr, "tavo: unknown option %s (tavo --help lists the options)\n", argv[1]);
    return 2;
#else
    fputs("tavo: this build has no SDL2 and draws only headless; give --snapshot DIR\n", stderr);
    PrintHelp(stderr);
    return 2;
#endif
}
