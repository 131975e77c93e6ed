// The Linux saver's command line for its saver modes: full screen, a window, or another program's X window
// (XScreenSaver's -root, -window-id and $XSCREENSAVER_WINDOW). Portable parsing; the entry acts on it.
#pragma once
#include <cstdint>

enum SaverMode {
    SAVER_FULL_SCREEN, // the whole screen; input ends the saver
    SAVER_WINDOW,      // an ordinary window; closing it ends the saver
    SAVER_WINDOW_ID,   // another program's X window
    SAVER_ROOT,        // the root window
};

struct SaverOptions {
    SaverMode mode;
    uint32_t width, height; // window size, pixels (SAVER_WINDOW)
    unsigned long windowId; // X window id (SAVER_WINDOW_ID)
};

constexpr uint32_t DEFAULT_WINDOW_WIDTH = 960, DEFAULT_WINDOW_HEIGHT = 720; // pixels

// Window ids are decimal or 0x hex, 1 to 0x1fffffff (the X protocol's 29 bits), nothing after the digits.
bool ParseWindowId(const char *text, unsigned long *id);
// "WxH" with each side 1..16384.
bool ParseWindowSize(const char *text, uint32_t *width, uint32_t *height);
