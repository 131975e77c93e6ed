// The saver window on Windows: its class, the full-screen or preview window, the black windows over the other
// monitors, the single-instance rule, the message loop, and the class procedure's Windows-only parts in front
// of the portable one. Called by HostMain; it never decides on input itself (the portable rules do) and never
// leaves a second full-screen saver.
#include "../../resources/resource.h"
#include "host/host_win32.h"

WindowHandle gSaverWindow = nullptr;

using ImmAssociateContextFn = HIMC(WINAPI *)(HWND, HIMC);

static ImmAssociateContextFn sImmAssociateContext = nullptr; // known only when IMM32.DLL was already loaded
static HIMC gSavedImeContext = nullptr; // the input context detached from the saver window

// Key presses go to the saver, not to an input-method window that would swallow them. The library is only
// used when something else in the process has loaded it already.
static void DetachInputMethod(HWND window) {
    HMODULE imm = GetModuleHandleA("IMM32.DLL");
    if (!imm) return;
    sImmAssociateContext = reinterpret_cast<ImmAssociateContextFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(imm, "ImmAssociateContext")));
    if (sImmAssociateContext) gSavedImeContext = sImmAssociateContext(window, nullptr);
}

static void ReattachInputMethod(HWND window) {
    if (sImmAssociateContext && gSavedImeContext) sImmAssociateContext(window, gSavedImeContext);
}

static bool InThisProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// In preview, help and the context menu belong to the window that shows the preview. WM_HELP carries a
// pointer into this process that lives only while the message is handled: it goes only to a parent that can
// read it, and is sent, since the system refuses to post it (elsewhere the system's own handling passes it
// on).
static bool ForwardToParent(HWND window, UINT message, LPARAM lParam) {
    if (!gPreviewMode) return false;
    HWND parent = GetParent(window);
    if (!parent || !IsWindow(parent)) return false;
    const WPARAM target = reinterpret_cast<WPARAM>(parent);
    if (message == WM_HELP) {
        if (!InThisProcess(parent)) return false;
        SendMessageA(parent, message, target, lParam);
    } else {
        PostMessageA(parent, message, target, lParam);
    }
    return true;
}

LRESULT CALLBACK SaverClassWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: DetachInputMethod(window); break;
        case WM_DESTROY:
            ReattachInputMethod(window);
            PostQuitMessage(0);
            break;
        case WM_HELP:
        case WM_CONTEXTMENU:
            if (ForwardToParent(window, message, lParam)) return 1;
            break;
        default: break;
    }
    return SaverClassProc(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------------------
// The other monitors
// ---------------------------------------------------------------------------------------------------------------
// A black window over a monitor the saver does not draw on. Its input goes to the saver window, whose rules
// end the saver; it never takes the activation, which would end the saver as a switch to another program.
static LRESULT CALLBACK BlankerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_MOUSEMOVE: // the saver's rule measures the pointer on the screen, not in this window
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const HWND saver = GetWindow(window, GW_OWNER);
            if (saver) PostMessageA(saver, message, wParam, lParam);
            return 0;
        }
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int CreateMonitorBlankers(HWND saver, const RECT *monitors, int count) {
    WNDCLASSA blanker{};
    blanker.lpfnWndProc = BlankerWndProc;
    blanker.hInstance = gInstance;
    blanker.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    blanker.lpszClassName = BLANKER_CLASS_NAME;
    RegisterClassA(&blanker); // already there from an earlier saver of this process: fine
    int made = 0;
    for (int k = 0; k < count; ++k) {
        const RECT &r = monitors[k];
        // owned by the saver window, so they go with it
        const HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                            BLANKER_CLASS_NAME, "", WS_POPUP, r.left, r.top, r.right - r.left,
                                            r.bottom - r.top, saver, nullptr, gInstance, nullptr);
        if (!window) continue; // that monitor keeps its picture; the saver still runs
        ShowWindow(window, SW_SHOWNOACTIVATE);
        ++made;
    }
    return made;
}

struct MonitorList {
    RECT primary;
    RECT others[MAX_BLANKED_MONITORS];
    int count;
    bool hasPrimary;
};

static BOOL CALLBACK NoteMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto *list = reinterpret_cast<MonitorList *>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
        list->primary = info.rcMonitor;
        list->hasPrimary = true;
    } else if (list->count < MAX_BLANKED_MONITORS) {
        list->others[list->count++] = info.rcMonitor;
    }
    return TRUE;
}

int RunSaverWindow(WindowHandle parentHandle) {
    HWND parent = static_cast<HWND>(parentHandle);
    WNDCLASSA saverClass{};
    saverClass.style = SAVER_CLASS_STYLES;
    saverClass.lpfnWndProc = SaverClassWndProc;
    saverClass.hInstance = gInstance;
    saverClass.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_TAVO));
    saverClass.hCursor = nullptr; // the saver hides the pointer; a preview shows its parent's
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = SAVER_CLASS_NAME;

    MonitorList monitors{};
    const char *title;
    DWORD style, exStyle;
    int x, y, width, height;
    if (parent) {
        RECT client{};
        GetClientRect(parent, &client);
        title = PREVIEW_TITLE;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        exStyle = 0;
        x = y = 0;
        width = client.right;
        height = client.bottom;
        gPreviewMode = 1;
    } else {
        x = GetSystemMetrics(SM_XVIRTUALSCREEN);
        y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (width == 0 || height == 0) { // a system without the virtual-screen metrics
            RECT box{};
            HDC screen = GetDC(nullptr);
            GetClipBox(screen, &box);
            ReleaseDC(nullptr, screen);
            x = box.left;
            y = box.top;
            width = box.right - box.left;
            height = box.bottom - box.top;
        }
        // With more than one monitor the saver draws on the primary one and blanks the others.
        if (GetSystemMetrics(SM_CMONITORS) > 1 &&
            EnumDisplayMonitors(nullptr, nullptr, NoteMonitor, reinterpret_cast<LPARAM>(&monitors)) &&
            monitors.hasPrimary) {
            x = monitors.primary.left;
            y = monitors.primary.top;
            width = monitors.primary.right - monitors.primary.left;
            height = monitors.primary.bottom - monitors.primary.top;
        } else {
            monitors.count = 0;
        }
        title = SAVER_TITLE;
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        exStyle = WS_EX_TOPMOST;
        // Never a second full-screen saver: the one that runs comes to the front instead.
        if (HWND running = FindWindowA(SAVER_CLASS_NAME, SAVER_TITLE)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordCheck();
    }
    gAutoPlayMessage = gOnWin9x ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    // Creation runs the session's start; a refused start (the display could not be set up) fails it.
    gSaverWindow = nullptr;
    if (RegisterClassA(&saverClass))
        gSaverWindow = CreateWindowExA(exStyle, SAVER_CLASS_NAME, title, style, x, y, width, height, parent,
                                       nullptr, gInstance, nullptr);
    int code = 1; // the saver never ran: not a success
    if (gSaverWindow) {
        if (!gPreviewMode) {
            CreateMonitorBlankers(static_cast<HWND>(gSaverWindow), monitors.others, monitors.count);
            SetForegroundWindow(static_cast<HWND>(gSaverWindow));
        }
        MSG msg{};
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        code = static_cast<int>(msg.wParam);
    }
    UnloadPasswordCheck();
    return code;
}
