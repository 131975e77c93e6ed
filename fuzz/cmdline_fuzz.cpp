// libFuzzer target for the screen-saver command line: any bytes as the process's command line, through the
// tail, the mode letter and the window-handle number. Crashes, reads past the text and broken invariants
// fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The command line is a C string: the fuzzer's bytes up to the first NUL, in a buffer of exactly that
    // size.
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char *begin = line.data();
    const char *end = begin + strlen(begin);

    const char *tail = CommandLineTail(begin);
    if (tail < begin || tail > end) abort();
    if (*tail >= 1 && *tail <= ' ') abort(); // the tail never starts with a blank or control character

    const HostCommand command = ParseHostCommand(tail);
    switch (command.mode) {
        case HOST_SETTINGS:
        case HOST_SAVER:
        case HOST_PREVIEW:
        case HOST_PASSWORD:
        case HOST_INVALID: break;
        default: abort();
    }
    if (!command.hasHandle && command.handle != 0) abort();
    if ((command.mode == HOST_SAVER || command.mode == HOST_INVALID) && command.hasHandle) abort();

    // The handle number is the leading digits modulo 2^32; up to 19 digits the C library can tell.
    size_t digits = 0;
    while (tail[digits] >= '0' && tail[digits] <= '9')
        ++digits;
    if (digits == 0 && ParseWindowHandle(tail) != 0) abort();
    if (digits > 0 && digits <= 19 &&
        ParseWindowHandle(tail) != static_cast<uint32_t>(strtoull(tail, nullptr, 10) & 0xFFFFFFFFu))
        abort();
    return 0;
}
