// The Linux program's entry: reads the command line and hands over to the mode it names. Only a dispatcher:
// every mode lives in its own piece of the host.
#include <cstdio>
#include <cstring>

#include "host/host.h"

static void PrintHelp(FILE *to) {
    fputs("Usage: tavo --snapshot DIR [options]\n"
          "Tavo draws glowing particle trails.\n\n",
          to);
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
    fputs("tavo: this build draws only headless; give --snapshot DIR\n", stderr);
    PrintHelp(stderr);
    return 2;
}
