// The Windows face of the saver and its dialog with real windows: the link's cursor, the built-in help's
// coverage of the dialog, and the black windows over the monitors the saver does not draw on.
#include <gtest/gtest.h>

#include <vector>

#include "host/host_win32.h"
#include "session/dialog_win32.h"
#include "session/session.h"

namespace {

TEST(DialogFace, LinkShowsAHandAndEveryControlWithHelpHasAText) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    InitDialogClasses(instance);
    WNDCLASSA link{};
    ASSERT_TRUE(GetClassInfoA(instance, LINK_CLASS_NAME, &link));
    EXPECT_NE(link.hCursor, nullptr);
    EXPECT_NE(link.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(link.hCursor, gHandCursor ? gHandCursor : LoadCursorA(nullptr, IDC_HAND));
    if (gHandCursor) DestroyCursor(gHandCursor);
    gHandCursor = nullptr;

    for (const uint32_t *pair = kHelpContextTable; pair[0] != 0; pair += 2) {
        SCOPED_TRACE(pair[0]);
        EXPECT_EQ(HelpTextOf(pair[1]) != nullptr, pair[1] != NO_HELP_CONTEXT);
    }
}

std::vector<UINT> gOwnerHeard;
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_KEYDOWN || message == WM_MOUSEMOVE)
        gOwnerHeard.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK CollectBlanker(HWND window, LPARAM data) {
    char name[64];
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, BLANKER_CLASS_NAME) == 0) reinterpret_cast<std::vector<HWND> *>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> Blankers() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectBlanker, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(MonitorBlankers, CoverEachMonitorOnTopAndPassInputToTheSaver) {
    gInstance = GetModuleHandleA(nullptr);
    WNDCLASSA owner{};
    owner.lpfnWndProc = OwnerProc;
    owner.hInstance = gInstance;
    owner.lpszClassName = "TavoTestOwner";
    RegisterClassA(&owner);
    const HWND saver =
        CreateWindowExA(0, "TavoTestOwner", "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, gInstance, nullptr);
    ASSERT_NE(saver, nullptr);
    const RECT monitors[] = {{64, 0, 144, 60}, {-50, 10, 0, 40}};
    EXPECT_EQ(CreateMonitorBlankers(saver, monitors, 2), 2);

    std::vector<HWND> blankers = Blankers();
    ASSERT_EQ(blankers.size(), 2u);
    for (HWND blanker : blankers) {
        RECT r;
        GetWindowRect(blanker, &r);
        const bool onFirst = EqualRect(&r, &monitors[0]), onSecond = EqualRect(&r, &monitors[1]);
        EXPECT_TRUE(onFirst || onSecond);
        EXPECT_TRUE(IsWindowVisible(blanker));
        EXPECT_TRUE(GetWindowLongA(blanker, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetWindow(blanker, GW_OWNER), saver);
        EXPECT_EQ(SendMessageA(blanker, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    }
    SendMessageA(blankers[0], WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageA(blankers[1], WM_KEYDOWN, 'A', 0);
    SendMessageA(blankers[1], WM_MOUSEMOVE, 0, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(gOwnerHeard, (std::vector<UINT>{WM_LBUTTONDOWN, WM_KEYDOWN, WM_MOUSEMOVE}));

    DestroyWindow(saver); // the blankers go with the saver window
    EXPECT_TRUE(Blankers().empty());
    UnregisterClassA("TavoTestOwner", gInstance);
}

} // namespace
