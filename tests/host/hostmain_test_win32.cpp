// The Windows host with real windows: the exit codes of the command-line modes, the single full-screen saver,
// and the forwarding of help and the context menu from a preview to its parent.
#include <gtest/gtest.h>

#include <vector>

#include "host/host_win32.h"
#include "support/scripted_winsys.h"

namespace {

// What the parent of a preview received, sent or posted.
std::vector<MSG> gReceived;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU)
        gReceived.push_back({window, message, wParam, lParam, 0, {}});
    return DefWindowProcA(window, message, wParam, lParam);
}

void DispatchPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// Windows of a class that records help requests and otherwise answers with the system's default.
class HostWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetHostInputForTests();
        ResetPasswordForTests();
        WNDCLASSA plain{};
        plain.lpfnWndProc = RecordingProc;
        plain.hInstance = GetModuleHandleA(nullptr);
        plain.lpszClassName = "TavoTestPlain";
        RegisterClassA(&plain);
    }
    void TearDown() override {
        for (HWND w : windows_)
            DestroyWindow(w);
        UnregisterClassA("TavoTestPlain", GetModuleHandleA(nullptr));
        ResetPasswordForTests();
        ResetHostInputForTests();
        gSaverWindow = nullptr;
    }
    HWND Make(const char *className, const char *title, DWORD style, HWND parent) {
        HWND w = CreateWindowExA(0, className, title, style, 0, 0, 200, 100, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (w) windows_.push_back(w);
        return w;
    }
    std::vector<HWND> windows_;
};

int gPasswordChanges = 0;
const PasswordBackend kCountingPasswords = {
    [](uint32_t *value) {
        *value = 0;
        return true;
    },
    [](const char *) -> LibraryHandle { return reinterpret_cast<LibraryHandle>(1); },
    [](LibraryHandle) {},
    [](LibraryHandle) -> VerifyPasswordProc { return nullptr; },
    [](LibraryHandle, WindowHandle) {
        ++gPasswordChanges;
        return true;
    },
    [](uint32_t) {},
    [](WindowHandle) { return false; },
    [](WindowHandle, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 1; },
};

TEST_F(HostWindows, ModesWithoutAValidWindowOrUnknownEndWithMinusOne) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    for (const char *tail : {"/x", "/p", "/p 0", "/l", "-P 99999999", "/p x12", "?", "/a 0"})
        EXPECT_EQ(HostMain(self, tail), -1) << tail; // the password change is the system's job on NT
    EXPECT_EQ(gPreviewMode, 0);
    EXPECT_EQ(gSaverWindow, nullptr);
}

TEST_F(HostWindows, PasswordChangeOnNineXReturnsZero) {
    InstallScriptedWinSys();
    SetScriptedVersion(VER_PLATFORM_WIN9X, 4, 10);
    SetPasswordBackend(&kCountingPasswords);
    gPasswordChanges = 0;
    EXPECT_EQ(HostMain(GetModuleHandleA(nullptr), "/a 1234"), 0);
    EXPECT_EQ(gPasswordChanges, 1);
    EXPECT_EQ(gOnWin9x, 1);
    UninstallScriptedWinSys();
}

TEST_F(HostWindows, SecondFullScreenStartLeavesTheRunningSaverAlone) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA stand{};
    stand.lpfnWndProc = DefWindowProcA;
    stand.hInstance = self;
    stand.lpszClassName = SAVER_CLASS_NAME;
    ASSERT_TRUE(RegisterClassA(&stand));
    HWND running = Make(SAVER_CLASS_NAME, SAVER_TITLE, WS_POPUP, nullptr);
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(RunSaverWindow(nullptr), 0);
    EXPECT_EQ(gSaverWindow, nullptr);
    EXPECT_EQ(FindWindowExA(nullptr, running, SAVER_CLASS_NAME, nullptr), nullptr); // still the only one
    EXPECT_TRUE(IsWindow(running));
    DestroyWindow(running);
    windows_.clear();
    UnregisterClassA(SAVER_CLASS_NAME, self);
}

TEST_F(HostWindows, PreviewSendsHelpAndContextMenuToItsParentFullScreenDoesNot) {
    InstallScriptedWinSys();
    HWND parent = Make("TavoTestPlain", "parent", WS_OVERLAPPEDWINDOW, nullptr);
    HWND child = Make("TavoTestPlain", PREVIEW_TITLE, WS_CHILD, parent);
    ASSERT_NE(child, nullptr);
    const LPARAM data = 0x00420017;

    gPreviewMode = 1;
    gReceived.clear();
    EXPECT_EQ(SaverClassWndProc(child, WM_HELP, 0, data), 1);
    EXPECT_EQ(SaverClassWndProc(child, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(child), data), 1);
    DispatchPending();
    ASSERT_EQ(gReceived.size(), 2u);
    for (const MSG &m : gReceived) {
        EXPECT_EQ(m.hwnd, parent);
        EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(parent));
        EXPECT_EQ(m.lParam, data);
    }
    EXPECT_EQ(gReceived[0].message, static_cast<UINT>(WM_HELP));
    EXPECT_EQ(gReceived[1].message, static_cast<UINT>(WM_CONTEXTMENU));

    // Full screen, both go down the chain and nothing reaches the other window.
    gPreviewMode = 0;
    gReceived.clear();
    ClearDefaultProcCalls();
    SaverClassWndProc(child, WM_HELP, 0, data);
    SaverClassWndProc(child, WM_CONTEXTMENU, 0, data);
    DispatchPending();
    EXPECT_TRUE(gReceived.empty());
    ASSERT_EQ(DefaultProcCalls().size(), 2u);
    EXPECT_EQ(DefaultProcCalls()[0].message, static_cast<uint32_t>(WM_HELP));
    UninstallScriptedWinSys();
}

} // namespace
