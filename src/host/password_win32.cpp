// The password backend on Windows: the registry value that asks for a password, the optional system
// libraries and their entries, the screen-saver-running state and the queue operations of the check.
// A thin adapter: every decision is made by the portable password logic.
#include <windows.h>

#include "host/host_win32.h"

using VerifyScreenSavePwdFn = BOOL(WINAPI *)(HWND);
using PwdChangePasswordAFn = DWORD(WINAPI *)(LPCSTR, HWND, DWORD, DWORD);

static VerifyScreenSavePwdFn sVerifyEntry =
    nullptr;                                   // the loaded verifier's entry, in its own calling convention
static LibraryHandle sVerifyLibrary = nullptr; // the library that entry lives in

// Entries are looked up by name; the cast through a plain function type keeps the compiler from comparing
// the unrelated signatures.
template <typename Fn> static Fn FindEntry(LibraryHandle library, const char *name) {
    FARPROC entry = GetProcAddress(static_cast<HMODULE>(library), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(entry));
}

static bool Win32ReadUsePassword(uint32_t *value) {
    *value = 0;
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return false;
    DWORD stored = 0;
    DWORD size = sizeof(stored);
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE *>(&stored),
                         &size) == ERROR_SUCCESS &&
        size == sizeof(stored))
        *value = stored;
    RegCloseKey(key);
    return true;
}

static LibraryHandle Win32LoadLibrary(const char *name) {
    return LoadLibraryA(name);
}

static void Win32FreeLibrary(LibraryHandle library) {
    if (library == sVerifyLibrary) {
        sVerifyEntry = nullptr;
        sVerifyLibrary = nullptr;
    }
    FreeLibrary(static_cast<HMODULE>(library));
}

static int Win32Verify(WindowHandle window) {
    return sVerifyEntry ? sVerifyEntry(static_cast<HWND>(window)) : 1;
}

static VerifyPasswordProc Win32FindVerifier(LibraryHandle library) {
    sVerifyEntry = FindEntry<VerifyScreenSavePwdFn>(library, "VerifyScreenSavePwd");
    sVerifyLibrary = sVerifyEntry ? library : nullptr;
    return sVerifyEntry ? Win32Verify : nullptr;
}

static bool Win32ChangePassword(LibraryHandle library, WindowHandle owner) {
    const auto change = FindEntry<PwdChangePasswordAFn>(library, "PwdChangePasswordA");
    if (!change) return false;
    change("SCRSAVE", static_cast<HWND>(owner), 0, 0);
    return true;
}

static void Win32SetScreenSaverRunning(uint32_t state) {
    BOOL scratch = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, state, &scratch, 0);
}

static bool Win32RemoveTimerMessage(WindowHandle window) {
    MSG msg;
    return PeekMessageA(&msg, static_cast<HWND>(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD) != 0;
}

static intptr_t Win32Send(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return SendMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam));
}

const PasswordBackend *SystemPasswordBackend() {
    static const PasswordBackend backend = {
        Win32ReadUsePassword, Win32LoadLibrary,           Win32FreeLibrary,        Win32FindVerifier,
        Win32ChangePassword,  Win32SetScreenSaverRunning, Win32RemoveTimerMessage, Win32Send};
    return &backend;
}
