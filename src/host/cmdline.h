// The screen-saver command line, portable: the tail after the program's name, the window-handle numbers and
// the mode letter. The Windows entry acts on the result; tests and the fuzz target read it directly.
#pragma once
#include <cstdint>

enum HostMode {
    HOST_SETTINGS, // no argument, or C (optionally ":" and an owner handle)
    HOST_SAVER,    // S: full screen
    HOST_PREVIEW,  // P or L and the preview window's handle
    HOST_PASSWORD, // A and an owner handle (Windows 9x only)
    HOST_INVALID,  // any other letter: exit code −1
};

struct HostCommand {
    HostMode mode;
    uint32_t handle; // the window handle given, 0 when none or unparsable
    bool hasHandle;  // a handle was given (C: only after ':')
};

// What follows the program's name: a quoted name is skipped through its closing quote, an unquoted one up to
// the first character at or below the blank; then every character from 1 to 0x20 is skipped.
const char *CommandLineTail(const char *commandLine);
// Leading decimal digits, value × 10 + digit in 32-bit arithmetic; 0 when there are none.
uint32_t ParseWindowHandle(const char *text);
// Walks the tail one character at a time: blanks, '-' and '/' are skipped; the first other character decides.
HostCommand ParseHostCommand(const char *tail);
