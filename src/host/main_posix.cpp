// The Linux program's entry: reads the whole command line through the option table, then hands over to the
// mode or the command it names. Only a dispatcher: every mode lives in its own piece of the host.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>

#include "host/host.h"
#include "host/options.h"
#include "host/terminal.h"
#include "patterns/patterns.h"
#include "platform/store.h"
#if TAVO_HAVE_SDL2
#include "host/saver_sdl.h"
#endif

int main(int argc, char **argv) {
    // Names on the terminal in its own encoding: the locale's codeset is read once, then the C locale is
    // put back, so the X libraries label our windows as the desktop's tools expect (a UTF-8 locale makes
    // SDL's title a text property that xdotool and older window managers cannot read).
    setlocale(LC_CTYPE, "");
    const char *codeset = nl_langinfo(CODESET);
    SetTerminalUtf8(codeset && (strcmp(codeset, "UTF-8") == 0 || strcmp(codeset, "utf8") == 0) ? 1 : 0);
    setlocale(LC_CTYPE, "C");
    static CommandLine line; // the run's settings point into it for the whole run
    char error[320];
    if (!ParseCommandLine(argc, argv, getenv("XSCREENSAVER_WINDOW"), &line, error, sizeof error)) {
        fprintf(stderr, "tavo: %s (tavo --help lists the options)\n", error);
        return 2;
    }
    if (line.help) {
        PrintHelp(stdout);
        return 0;
    }
    if (line.version) {
        puts("tavo " TAVO_VERSION_TEXT);
        return 0;
    }
    if (line.settingsFile) {
        SetRegFilePath(line.settingsFile);
        SetStoreBackend(RegFileStoreBackend());
    }
    if (line.commands && !line.check) return RunSettingsCommands(line, stdout, stderr);
    if (!SetRunSettings(&line, error, sizeof error)) {
        fprintf(stderr, "tavo: %s\n", error);
        return 2;
    }
    if (line.check) return 0;
    // A settings file that is there but cannot be used is not an empty one: say so before running on the
    // defaults (the file is never written over then).
    if (CurrentStoreBackend() == RegFileStoreBackend() && GetSettings(false)) {
        char why[2500];
        if (RegFileReadProblem(why, sizeof why)) fprintf(stderr, "tavo: %s; running on the defaults\n", why);
    }
    if (line.snapshot) return RunSnapshot(line.snap);
#if TAVO_HAVE_SDL2
    return RunSdlSaver(line.saver);
#else
    fputs("tavo: this build has no SDL2 and draws only headless; give --snapshot DIR\n", stderr);
    return 2;
#endif
}
