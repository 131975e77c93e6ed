// The window-system seam of the saver window: the event numbers and key codes the session and the host speak
// (the Windows values on every platform), posting a message, keyboard state, the cursor, the frame timer,
// the foreground window, the platform's version facts and the process priority. The engine's part of the
// window system (message peek, wait, refresh rate) stays in window.h.
#pragma once
#include <cstdint>

#include "platform/window.h"

// ---------------------------------------------------------------------------------------------------------------
// Events: the Windows message numbers. The prefix keeps them clear of windows.h's own macros.
// ---------------------------------------------------------------------------------------------------------------
constexpr uint32_t EV_CREATE = 0x0001;
constexpr uint32_t EV_DESTROY = 0x0002;
constexpr uint32_t EV_ENABLE = 0x000A;
constexpr uint32_t EV_SETTEXT = 0x000C;
constexpr uint32_t EV_PAINT = 0x000F;
constexpr uint32_t EV_CLOSE = 0x0010;
constexpr uint32_t EV_QUIT = 0x0012;
constexpr uint32_t EV_SHOWWINDOW = 0x0018;
constexpr uint32_t EV_ACTIVATEAPP = 0x001C;
constexpr uint32_t EV_SETCURSOR = 0x0020;
constexpr uint32_t EV_POWER = 0x0048;
constexpr uint32_t EV_HELP = 0x0053;
constexpr uint32_t EV_CONTEXTMENU = 0x007B;
constexpr uint32_t EV_NCPAINT = 0x0085;
constexpr uint32_t EV_KEYDOWN = 0x0100;
constexpr uint32_t EV_KEYUP = 0x0101;
constexpr uint32_t EV_SYSKEYDOWN = 0x0104;
constexpr uint32_t EV_SYSKEYUP = 0x0105;
constexpr uint32_t EV_SYSCOMMAND = 0x0112;
constexpr uint32_t EV_TIMER = 0x0113;
constexpr uint32_t EV_MOUSEMOVE = 0x0200;
constexpr uint32_t EV_LBUTTONDOWN = 0x0201;
constexpr uint32_t EV_LBUTTONUP = 0x0202;
constexpr uint32_t EV_RBUTTONDOWN = 0x0204;
constexpr uint32_t EV_RBUTTONUP = 0x0205;
constexpr uint32_t EV_MBUTTONDOWN = 0x0207;
constexpr uint32_t EV_MBUTTONUP = 0x0208;
constexpr uint32_t EV_POWERBROADCAST = 0x0218;
constexpr uint32_t EV_APP = 0x8000; // the host's private verify-password request

constexpr uintptr_t SYSCMD_NEXTWINDOW = 0xF040;
constexpr uintptr_t SYSCMD_PREVWINDOW = 0xF050;
constexpr uintptr_t SYSCMD_SCREENSAVE = 0xF140;
constexpr uintptr_t POWER_CRITICALRESUME = 3;

// The mouse position of a move or button event: x in the low 16 bits of lParam, y in the next 16.
constexpr intptr_t MousePositionParam(uint32_t x, uint32_t y) {
    return static_cast<intptr_t>(((y & 0xFFFFu) << 16) | (x & 0xFFFFu));
}

// ---------------------------------------------------------------------------------------------------------------
// Virtual-key codes
// ---------------------------------------------------------------------------------------------------------------
constexpr uint32_t VKEY_BACK = 0x08;
constexpr uint32_t VKEY_TAB = 0x09;
constexpr uint32_t VKEY_RETURN = 0x0D;
constexpr uint32_t VKEY_SHIFT = 0x10;
constexpr uint32_t VKEY_CONTROL = 0x11;
constexpr uint32_t VKEY_MENU = 0x12; // Alt
constexpr uint32_t VKEY_PAUSE = 0x13;
constexpr uint32_t VKEY_CAPITAL = 0x14;
constexpr uint32_t VKEY_ESCAPE = 0x1B;
constexpr uint32_t VKEY_SPACE = 0x20;
constexpr uint32_t VKEY_PRIOR = 0x21;
constexpr uint32_t VKEY_NEXT = 0x22;
constexpr uint32_t VKEY_END = 0x23;
constexpr uint32_t VKEY_HOME = 0x24;
constexpr uint32_t VKEY_LEFT = 0x25;
constexpr uint32_t VKEY_UP = 0x26;
constexpr uint32_t VKEY_RIGHT = 0x27;
constexpr uint32_t VKEY_DOWN = 0x28;
constexpr uint32_t VKEY_INSERT = 0x2D;
constexpr uint32_t VKEY_DELETE = 0x2E;
constexpr uint32_t VKEY_0 = 0x30; // '0'..'9' are 0x30..0x39, 'A'..'Z' are 0x41..0x5A
constexpr uint32_t VKEY_A = 0x41;
constexpr uint32_t VKEY_LWIN = 0x5B;
constexpr uint32_t VKEY_NUMPAD0 = 0x60;
constexpr uint32_t VKEY_F1 = 0x70;
constexpr uint32_t VKEY_F10 = 0x79; // a system key, like Alt
constexpr uint32_t VKEY_NUMLOCK = 0x90;
constexpr uint32_t VKEY_SCROLL = 0x91;
constexpr uint32_t VKEY_OEM_1 = 0xBA;

constexpr int KEYBOARD_STATE_SIZE = 256; // one byte per virtual key; the high bit is set while it is down
constexpr uint8_t KEY_DOWN_BIT = 0x80;

// ---------------------------------------------------------------------------------------------------------------
// The seam
// ---------------------------------------------------------------------------------------------------------------
constexpr uint32_t VER_PLATFORM_NT = 2;    // VER_PLATFORM_WIN32_NT
constexpr uint32_t VER_PLATFORM_WIN9X = 1; // VER_PLATFORM_WIN32_WINDOWS

struct PlatformVersion {
    uint32_t platformId; // VER_PLATFORM_*, 0 where the platform is neither
    uint32_t major, minor;
};

struct ScreenPoint {
    int32_t x, y; // screen pixels (the picture's pixels where the host scales the picture)
};

struct WinSysBackend {
    // Queues the message for the window; it is dispatched later by the host's loop, never handled here.
    void (*postMessage)(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void (*keyboardState)(uint8_t state[KEYBOARD_STATE_SIZE]);
    bool (*cursorPos)(ScreenPoint *out);
    void (*showCursor)(WindowHandle window, bool visible);
    // Starts a periodic timer that delivers EV_TIMER with this id; returns the system's identifier, 0 on
    // failure.
    uint32_t (*startTimer)(WindowHandle window, uint32_t id, uint32_t periodMs);
    void (*stopTimer)(WindowHandle window, uint32_t id);
    WindowHandle (*foregroundWindow)();
    bool (*version)(PlatformVersion *out); // false when the system does not say
    void (*setNormalPriority)();
    // The system's own default handling of a message (DefWindowProcA); for EV_CLOSE it destroys the window.
    intptr_t (*defaultProc)(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
};

const WinSysBackend *SystemWinSysBackend();          // winsys_posix.cpp / winsys_win32.cpp
void SetWinSysBackend(const WinSysBackend *backend); // nullptr puts the system backend back

void PlatformPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PlatformPostClose(WindowHandle window); // a close request, always posted, never sent
void PlatformKeyboardState(uint8_t state[KEYBOARD_STATE_SIZE]);
bool PlatformCursorPos(ScreenPoint *out);
void PlatformShowCursor(WindowHandle window, bool visible);
uint32_t PlatformStartTimer(WindowHandle window, uint32_t id, uint32_t periodMs);
void PlatformStopTimer(WindowHandle window, uint32_t id);
WindowHandle PlatformForegroundWindow();
bool PlatformVersionInfo(PlatformVersion *out);
void PlatformSetNormalPriority();
intptr_t PlatformDefaultProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
