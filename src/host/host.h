// The screen-saver host: the program's entry, its command-line modes, the saver window class and the rules
// by which input ends the saver. This header is its portable face.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/winsys.h"

extern int gPreviewMode; // the saver draws into a preview window (640 x 480, double size, never painted)

// ---------------------------------------------------------------------------------------------------------------
// Headless renderer: the real engine and display logic on the software device, on a simulated clock, writing
// the screen to PNG files. Same options, same files.
// ---------------------------------------------------------------------------------------------------------------
#include <cstddef>
#include <cstdint>

struct SnapshotOptions {
    const char *directory;  // where the PNG files go (created if missing)
    int32_t pattern;        // standard pattern 0..14
    uint32_t seed;          // random seed
    uint32_t width, height; // display size, 320..16384 each
    uint32_t depth;         // 16, 24 or 32 bits per pixel
    double seconds;         // simulated time to run
    double framesPerSecond; // PNG files per simulated second
    int paint;              // painting at once (the names, double size and the other settings: the run's)
    int32_t morphTo; // pattern asked for at the start, −1 a random one, NO_SNAPSHOT_MORPH none
    char effectKey;  // the key of an effect started at once (C, F, J, L, O, Q, S, V, W, Z), 0 none
};
constexpr int32_t NO_SNAPSHOT_MORPH = -2;

void DefaultSnapshotOptions(SnapshotOptions *options);
// Runs the saver headless; returns the process exit code (0 when every file was written).
int RunSnapshot(const SnapshotOptions &options);

// ---------------------------------------------------------------------------------------------------------------
// The saver window's class procedure and default handling: which input ends the saver (input_rules.cpp).
// Portable; every host (Win32, SDL) routes the saver window's messages through these. A close request is
// always posted, so it passes the session's close guard and StopSession before the host's password check.
// ---------------------------------------------------------------------------------------------------------------
constexpr int32_t CURSOR_MOVE_THRESHOLD = 4; // summed distance in pixels that a mouse move must exceed

extern int gCloseAllowed;      // the password check passed (or none applies): the input rules are off
extern int gInPasswordCheck;   // a password check is on screen: input posts no further close requests
extern int gOnWin9x;           // the platform is the Windows 9x family (password checks are the saver's job)
extern int gInputEndsSaver;    // 1: full screen; 0: a window or an embedding window that input never ends
extern ScreenPoint gCursorRef; // reference position of the movement rule
extern uint32_t gAutoPlayMessage; // message number of "QueryCancelAutoPlay" on Windows 9x, 0 elsewhere
extern int (*gVerifyPassword)(WindowHandle window);            // loaded verifier, or nullptr
extern bool (*gCheckPasswordBeforeClose)(WindowHandle window); // the host's password check, or nullptr

// Where the class procedure sends a message: on to the session, to the system's default handling, or
// nowhere (answered with *result).
enum HostRoute { HOST_ROUTE_SESSION, HOST_ROUTE_SYSTEM, HOST_ROUTE_ANSWERED };
HostRoute SaverClassRoute(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          intptr_t *result);
intptr_t SaverClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The input rules of the default handling: true when they answered the message (*result), false when it
// goes on to the system's default procedure.
bool HostInputRules(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                    intptr_t *result);
intptr_t HostDefaultProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

void ResetHostInputForTests();

// ---------------------------------------------------------------------------------------------------------------
// Password check and change (password.cpp). The saver asks for the password itself only on the Windows 9x
// family; elsewhere the system does. The system's libraries are reached through a backend
// (password_win32.cpp) so that the 9x paths run in tests with a fake verifier, since no binary we build runs
// on 9x.
// ---------------------------------------------------------------------------------------------------------------
using LibraryHandle = void *;
using VerifyPasswordProc = int (*)(WindowHandle window); // nonzero when the password is right

constexpr uint32_t PASSWORD_CHECK_SPACING_MS = 200; // a check straight after a refusal is refused unasked
constexpr uint32_t PASSWORD_NEVER_CHECKED = 0xFFFFFFFFu; // gLastPasswordCheck before the first check
constexpr int PENDING_TIMER_REMOVALS = 2;                // timer ticks taken off the queue before a check

struct PasswordBackend {
    // "ScreenSaveUsePassword" under HKEY_CURRENT_USER "Control Panel\Desktop" as a 4-byte value: false when
    // the key cannot be opened; *value is 0 when the value is missing.
    bool (*readUsePassword)(uint32_t *value);
    LibraryHandle (*loadLibrary)(const char *name); // nullptr when it cannot be loaded
    void (*freeLibrary)(LibraryHandle library);
    // The library's "VerifyScreenSavePwd" as a portable call; nullptr when the library has no such entry.
    VerifyPasswordProc (*findVerifier)(LibraryHandle library);
    // Calls the library's "PwdChangePasswordA"("SCRSAVE", owner, 0, 0); false when it has no such entry.
    bool (*changePassword)(LibraryHandle library, WindowHandle owner);
    // SPI_SCREENSAVERRUNNING: while set, the system keeps the user from switching tasks around the saver.
    void (*setScreenSaverRunning)(uint32_t state);
    // Takes one pending timer tick of the window off the queue without yielding; false when there is none.
    bool (*removeTimerMessage)(WindowHandle window);
    intptr_t (*sendMessage)(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
};
void SetPasswordBackend(const PasswordBackend *backend); // nullptr: no password support at all

extern LibraryHandle gPasswordLibrary; // "PASSWORD.CPL" while loaded
extern uint32_t gLastPasswordCheck;    // tick count at the end of the last check, or PASSWORD_NEVER_CHECKED

bool CheckPasswordBeforeClose(WindowHandle window); // true: the window may close
void LoadPasswordCheck();                           // full screen, Windows 9x, when the user wants a password
void UnloadPasswordCheck();
void SetScreenSaverRunning(uint32_t state); // Windows 9x only
void ChangePassword(WindowHandle owner);    // the system's dialog through "MPR.DLL"; nothing is reported
void ResetPasswordForTests();

// ---------------------------------------------------------------------------------------------------------------
// The Windows host (only the Windows build defines these)
// ---------------------------------------------------------------------------------------------------------------
extern WindowHandle gSaverWindow; // the created saver window

int HostMain(void *instance, const char *tail); // the exit code of the mode the tail names
int RunSaverWindow(WindowHandle parent);        // parent nullptr: full screen; returns the exit code
int ShowSettingsDialog(WindowHandle owner);     // owner nullptr: none; returns the dialog's result
