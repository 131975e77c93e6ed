// The name prompt of Copy and Rename, the window classes the settings dialog's template needs, and the
// web-address link control. Called by the settings dialog and the host's entry into it; the link never lets
// the edit control beneath it take a click.
#include <windows.h>

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <hlink.h>
#include <objbase.h>

#include "../../resources/resource.h"
#include "session/dialog_win32.h"
#include "session/session.h"

HCURSOR gHandCursor = nullptr;

// ---------------------------------------------------------------------------------------------------------------
// Name prompt
// ---------------------------------------------------------------------------------------------------------------
INT_PTR CALLBACK NamePromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SendDlgItemMessageA(dialog, IDC_PROMPT_NAME, EM_LIMITTEXT, PRESET_NAME_LEN, 0);
            SendDlgItemMessageA(dialog, IDC_PROMPT_NAME, EM_SETSEL, 0, -1);
            SetDlgItemTextA(dialog, IDC_PROMPT_QUESTION, gNamePrompt);
            SetDlgItemTextA(dialog, IDC_PROMPT_NAME, gNameProposal);
            gNamePrompt[0] = '\0';
            gNameProposal[0] = '\0';
            return TRUE; // the focus goes to the name with all of it selected, so typing replaces it
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    // the limit holds for typing only: a longer proposal comes back cut to a name's length
                    char text[PRESET_NAME_LEN + 1];
                    GetDlgItemTextA(dialog, IDC_PROMPT_NAME, text, sizeof text);
                    if (AcceptNamePromptAnswer(text)) {
                        EndDialog(dialog, 1);
                    } else {
                        const HWND name = GetDlgItem(dialog, IDC_PROMPT_NAME);
                        SetFocus(name);
                        SendMessageA(name, EM_SETSEL, 0, -1);
                    }
                    return TRUE;
                }
                case IDCANCEL:
                    gNameAnswer[0] = '\0';
                    EndDialog(dialog, 0);
                    return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            gNameAnswer[0] = '\0';
            EndDialog(dialog, 1);
            return TRUE;
    }
    return FALSE;
}

void RunNamePrompt(HINSTANCE instance, HWND owner) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NAME_PROMPT), owner, NamePromptProc, 0);
}

// ---------------------------------------------------------------------------------------------------------------
// Window classes
// ---------------------------------------------------------------------------------------------------------------
void LoadHandCursor() {
    if (gHandCursor) DestroyCursor(gHandCursor); // a dialog run before this one left it behind
    gHandCursor = nullptr;
    char path[MAX_PATH + 16];
    const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    snprintf(path + length, sizeof path - length, "\\winhlp32.exe");
    // only its resources are wanted: mapped as data, none of its code or its imports run
    const HMODULE viewer = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!viewer) return;
    const HCURSOR hand = LoadCursorA(viewer, MAKEINTRESOURCEA(106));
    if (hand) gHandCursor = reinterpret_cast<HCURSOR>(CopyIcon(reinterpret_cast<HICON>(hand)));
    FreeLibrary(viewer);
}

BOOL InitDialogClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    LoadHandCursor();
    WNDCLASSA link;
    if (GetClassInfoA(instance, "EDIT", &link) || GetClassInfoA(nullptr, "EDIT", &link)) {
        link.lpszClassName = LINK_CLASS_NAME;
        link.hInstance = instance;
        // the system's hand where the help viewer has none to copy: a link never shows the arrow
        link.hCursor = gHandCursor ? gHandCursor : LoadCursorA(nullptr, IDC_HAND);
        UnregisterClassA(LINK_CLASS_NAME, instance); // a second dialog in one process gets its own cursor
        RegisterClassA(&link);
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------------
// The link
// ---------------------------------------------------------------------------------------------------------------
LRESULT CALLBACK LinkWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(control, MAKEINTATOM(LINK_PROC_PROPERTY)));
    switch (message) {
        case WM_LBUTTONDOWN: {
            char text[200];
            GetWindowTextA(control, text, sizeof text);
            OpenWebAddress(text);
            return 0; // never reaches the edit control: no caret, no selection
        }
        case WM_LBUTTONDBLCLK: return 0; // the second click of a quick pair would select a word
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: return 0; // the edit control's menu opens on the release, not the press
        case WM_NCDESTROY:
            if (previous) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropA(control, MAKEINTATOM(LINK_PROC_PROPERTY));
            // the edit control frees its own state on this message
            return previous ? CallWindowProcA(previous, control, message, wParam, lParam) : 0;
    }
    if (!previous) return DefWindowProcA(control, message, wParam, lParam);
    return CallWindowProcA(previous, control, message, wParam, lParam);
}

void OpenWebAddress(const char *text) {
    WCHAR address[200];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, address, 200) == 0)
        return; // cut, it would be another address
    // The hyperlink library is looked up on the first click and kept: a system without it opens nothing, and
    // a navigation it hands to another thread never finds the library gone.
    using Navigate = HRESULT(WINAPI *)(LPCWSTR, LPCWSTR, LPCWSTR, IUnknown *, IBindCtx *,
                                       IBindStatusCallback *, DWORD, DWORD);
    static HMODULE hlink = nullptr;
    if (!hlink) hlink = LoadLibraryA("hlink.dll");
    if (!hlink) return;
    const Navigate navigate = reinterpret_cast<Navigate>(
        reinterpret_cast<void (*)()>(GetProcAddress(hlink, "HlinkSimpleNavigateToString")));
    if (!navigate) return;
    // the navigation binds monikers, which needs the thread's COM apartment
    const HRESULT com = CoInitialize(nullptr);
    navigate(address, nullptr, nullptr, nullptr, nullptr, nullptr, HLNF_OPENINNEWWINDOW, 0);
    if (SUCCEEDED(com)) CoUninitialize();
}
