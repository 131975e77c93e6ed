// libFuzzer target for the Linux program's command line, the snapshot options among it: any bytes, split at
// NUL into arguments, through the option table. Whatever it accepts lies inside the ranges the program
// draws with; whatever it refuses carries a message. Stored names printed for the terminal never carry a
// control byte, and a name typed in UTF-8 comes back as it was printed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/options.h"
#include "host/terminal.h"
#include "patterns/patterns.h"

static void CheckTerminalText(const std::string &bytes) {
    for (int utf8 = 0; utf8 <= 1; ++utf8) {
        SetTerminalUtf8(utf8);
        char *printed = nullptr;
        size_t size = 0;
        FILE *out = open_memstream(&printed, &size);
        PrintStoredText(out, bytes.c_str());
        fclose(out);
        for (size_t k = 0; k < size; ++k) {
            const unsigned char c = static_cast<unsigned char>(printed[k]);
            if (c < 0x20 || c == 0x7F) abort(); // no control byte reaches the terminal
            if (!utf8 && c >= 0x80) abort();    // nor, without UTF-8, anything beyond ASCII
        }
        if (utf8 && !strchr(printed, '\\')) { // nothing escaped: typing what was shown gives the name back
            char back[4096], error[160];
            if (!StoredTextFromTerminal(printed, back, sizeof back, error, sizeof error)) abort();
            if (bytes != back) abort();
        }
        free(printed);
    }
    SetTerminalUtf8(-1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<std::string> words(1, "tavo");
    std::string word;
    for (size_t k = 0; k < size; ++k) {
        if (data[k] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[k]);
        }
    }
    words.push_back(word);
    if (words.size() > 80) words.resize(80);
    std::vector<const char *> argv;
    for (const std::string &w : words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);

    static CommandLine line;
    char error[320];
    error[0] = '\0';
    const char *env = words.size() > 2 && words[1] == "--root" ? words.back().c_str() : nullptr;
    if (!ParseCommandLine(static_cast<int>(words.size()), argv.data(), env, &line, error, sizeof error)) {
        if (!error[0] || !memchr(error, '\0', sizeof error)) abort();
    } else if (line.snapshot) {
        const SnapshotOptions &o = line.snap;
        if (!o.directory || o.pattern < 0 || o.pattern >= NUM_STANDARD_PRESETS) abort();
        if (o.width < 320 || o.height < 320 || o.width > 16384 || o.height > 16384) abort();
        if (o.depth != 16 && o.depth != 24 && o.depth != 32) abort();
        if (!(o.seconds > 0 && o.seconds <= 3600) || !(o.framesPerSecond > 0 && o.framesPerSecond <= 100))
            abort();
        if (o.seconds * o.framesPerSecond < 1.0) abort();
        if (o.morphTo < NO_SNAPSHOT_MORPH || o.morphTo >= NUM_STANDARD_PRESETS) abort();
        if (o.effectKey && !strchr("CFJLOQSVWZcfjloqsvwz", o.effectKey)) abort();
    } else if (!line.help && !line.version) {
        const SaverOptions &s = line.saver;
        if ((s.mode == SAVER_WINDOW_ID) != (s.windowId != 0) && s.mode != SAVER_ROOT) abort();
        if (s.windowId > 0x1FFFFFFF) abort();
        if (s.width < 1 || s.height < 1 || s.width > 16384 || s.height > 16384) abort();
        for (int k = 0; k < line.count; ++k) {
            const OptionItem &item = line.items[k];
            if (item.option->arg == ARG_NUMBER &&
                (item.number < item.option->low || item.number > item.option->high))
                abort();
        }
    }
    CheckTerminalText(words.size() > 1 ? words[1] : std::string());
    return 0;
}
