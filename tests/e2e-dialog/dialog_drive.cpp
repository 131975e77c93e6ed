// Drives a running settings dialog from another process, the way a user would, but through messages to its
// controls found by identifier, so nothing depends on where Wine's fonts put them. Each argument is one step;
// the first step that fails ends the run with exit code 1 and says why.
//
//   wait-dialog                 the dialog "Tavo Settings" is on screen
//   probe                       the first dialog a program shows is "Tavo Settings"
//   wait-gone                   the dialog has ended
//   click ID / post-click ID    BM_CLICK, sent (returns when handled) or posted (for a click that opens a
//   box) slider ID POS               moves a slider as a drag would: TBM_SETPOS, then WM_HSCROLL to the
//   dialog arrows ID                   one click on an up-down's upper arrow (WM_VSCROLL to the dialog)
//   select ID INDEX             picks a list entry: CB_SETCURSEL, then CBN_SELCHANGE to the dialog
//   select-text ID TEXT         the same for the entry with this text
//   list-focus                  the pattern list gets the focus (CBN_SETFOCUS, posted: it may ask a question)
//   text ID TEXT                the control's text is TEXT         check ID 0|1   the check box's state
//   pos ID POS                  the slider's position              count ID N     the list's number of
//   entries item ID INDEX TEXT          the list entry's text              no-item ID TEXT   no entry has
//   this text selected ID INDEX           the list's selection pane shown|hidden           the dialog's
//   height shows or cuts off the pattern pane box TEXT BUTTON [DEFAULT]   a message box "Tavo" shows TEXT
//   (and DEFAULT as its default button); press BUTTON no-box                      no message box is open
//   prompt PROPOSAL ANSWER|-    the name prompt proposes PROPOSAL, all selected; type ANSWER and OK, or "-":
//   Cancel prompt-close                the name prompt is closed by its close box close the dialog's close
//   box (WM_CLOSE, posted) paint                       every control of the dialog has been drawn
//   focus ID                    the control gets the focus     fit    every control and its text fit the
//   dialog help TEXT                   the built-in help window shows text beginning with TEXT; it is closed
#include <windows.h>

#include <cctype>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static HWND sDialog = nullptr;
static DWORD sProcess = 0; // the dialog's process: its boxes and prompts are looked for there

constexpr DWORD WAIT_MS = 20000; // generous: a loaded machine under Wine can be slow
constexpr DWORD POLL_MS = 50;

static bool Fail(const char *format, const char *detail = "", const char *more = "") {
    fprintf(stderr, "dialog_drive: ");
    fprintf(stderr, format, detail, more);
    fprintf(stderr, "\n");
    return false;
}

template <typename Condition> static bool WaitFor(Condition condition) {
    for (DWORD waited = 0; waited < WAIT_MS; waited += POLL_MS) {
        if (condition()) return true;
        Sleep(POLL_MS);
    }
    return condition();
}

// Returns once the dialog's thread has handled everything sent before (a sent message waits its turn).
static void Settle() {
    DWORD_PTR result;
    SendMessageTimeoutA(sDialog, WM_NULL, 0, 0, SMTO_NORMAL, WAIT_MS, &result);
}

static std::string TextOf(HWND window) {
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, WAIT_MS,
                        &length);
    return text;
}

static HWND Control(int id) {
    return GetDlgItem(sDialog, id);
}

// A top-level "Tavo" window of the dialog's process other than the dialog: a message box or the name prompt.
struct Found {
    HWND window;
    bool prompt;
    const char *title;
};
static BOOL CALLBACK FindTavoWindow(HWND window, LPARAM data) {
    auto *found = reinterpret_cast<Found *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != sProcess || window == sDialog || !IsWindowVisible(window)) return TRUE;
    char title[64], className[64];
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, className, sizeof className);
    if (strcmp(title, found->title) != 0 || strcmp(className, "#32770") != 0) return TRUE;
    const HWND edit = GetDlgItem(window, 1043);
    char editClass[32] = "";
    if (edit) GetClassNameA(edit, editClass, sizeof editClass);
    if ((_stricmp(editClass, "Edit") == 0) != found->prompt) return TRUE;
    found->window = window;
    return FALSE;
}

static HWND FindTavo(bool prompt, const char *title = "Tavo") {
    Found found = {nullptr, prompt, title};
    EnumWindows(FindTavoWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

// The message text of a box: its longest static text.
static BOOL CALLBACK LongestStatic(HWND child, LPARAM data) {
    char className[32];
    GetClassNameA(child, className, sizeof className);
    if (_stricmp(className, "Static") != 0) return TRUE;
    auto *best = reinterpret_cast<std::string *>(data);
    const std::string text = TextOf(child);
    if (text.size() > best->size()) *best = text;
    return TRUE;
}

static bool Click(HWND button, bool post) {
    if (!button) return Fail("no such button");
    if (post) return PostMessageA(button, BM_CLICK, 0, 0) ? true : Fail("BM_CLICK not posted");
    DWORD_PTR result;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, WAIT_MS, &result);
    return true;
}

// Every shown control lies inside the dialog's client area, and every label, button and check box has room
// for its text in the dialog's font at this display's scale, measured here with the same face and size.
struct FitCheck {
    RECT client;
    HDC dc;
    int checkWidth;
    bool ok;
};
static BOOL CALLBACK CheckFit(HWND control, LPARAM data) {
    auto *check = reinterpret_cast<FitCheck *>(data);
    if (!IsWindowVisible(control) || GetParent(control) != sDialog) return TRUE;
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, sDialog, reinterpret_cast<POINT *>(&r), 2);
    const int id = GetDlgCtrlID(control);
    const std::string name = std::to_string(id);
    if (r.left < check->client.left || r.top < check->client.top || r.right > check->client.right ||
        r.bottom > check->client.bottom) {
        check->ok = Fail("control %s lies outside the dialog", name.c_str());
        return TRUE;
    }
    char className[32];
    GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool isStatic = _stricmp(className, "Static") == 0;
    const LONG kind = style & BS_TYPEMASK;
    const bool isCheck =
        _stricmp(className, "Button") == 0 && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX);
    const bool isPush =
        _stricmp(className, "Button") == 0 && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON);
    if (!isStatic && !isCheck && !isPush) return TRUE;
    std::string text = TextOf(control);
    while (!text.empty() && text.back() == ' ')
        text.pop_back(); // padding, not content
    if (text.empty()) return TRUE;
    RECT need = {0, 0, r.right - r.left - (isCheck ? check->checkWidth : isPush ? 4 : 0), 0};
    DrawTextA(check->dc, text.c_str(), -1, &need, DT_CALCRECT | (isStatic ? DT_WORDBREAK : DT_SINGLELINE));
    if (need.right > r.right - r.left - (isCheck ? check->checkWidth : 0) || need.bottom > r.bottom - r.top)
        check->ok = Fail("control %s cuts its text \"%s\"", name.c_str(), text.c_str());
    return TRUE;
}

static bool Fits() {
    FitCheck check{};
    check.ok = true;
    GetClientRect(sDialog, &check.client);
    check.dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(check.dc, LOGPIXELSY);
    // the template's font; the check box's square and the gap before its text
    const HFONT font =
        CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Helv");
    const HGDIOBJ old = SelectObject(check.dc, font);
    check.checkWidth = MulDiv(13 + 4, dpi, 96);
    EnumChildWindows(sDialog, CheckFit, reinterpret_cast<LPARAM>(&check));
    SelectObject(check.dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, check.dc);
    MapWindowPoints(sDialog, nullptr, reinterpret_cast<POINT *>(&check.client), 2);
    printf("dpi %d client %ld %ld %ld %ld\n", dpi, check.client.left, check.client.top, check.client.right,
           check.client.bottom);
    return check.ok;
}

static bool Step(int argc, char **argv, int &at) {
    const std::string command = argv[at++];
    auto next = [&]() -> const char * { return at < argc ? argv[at++] : ""; };
    if (command == "wait-dialog") {
        if (!WaitFor([] { return (sDialog = FindWindowA("#32770", "Tavo Settings")) != nullptr; }))
            return Fail("the settings dialog did not appear");
        GetWindowThreadProcessId(sDialog, &sProcess);
        // shown and initialised: its pattern list has been filled
        if (!WaitFor([] { return SendMessageA(Control(1023), CB_GETCOUNT, 0, 0) > 0; }))
            return Fail("the pattern list stayed empty");
        Settle();
        return true;
    }
    if (command == "probe") {
        // whatever the program shows first: the settings dialog (success) or something else (failure)
        HWND shown = nullptr;
        WaitFor([&] {
            shown = FindWindowA("#32770", nullptr);
            return shown != nullptr && IsWindowVisible(shown);
        });
        char title[64] = "";
        if (shown) GetWindowTextA(shown, title, sizeof title);
        return strcmp(title, "Tavo Settings") == 0 ? true : Fail("the program shows \"%s\"", title);
    }
    if (command == "wait-gone") {
        return WaitFor([] { return !FindWindowA("#32770", "Tavo Settings"); })
                   ? true
                   : Fail("the dialog is still open");
    }
    if (!sDialog && !(sDialog = FindWindowA("#32770", "Tavo Settings"))) return Fail("no settings dialog");
    if (!sProcess) GetWindowThreadProcessId(sDialog, &sProcess);
    if (command == "click" || command == "post-click") {
        const int id = atoi(next());
        if (!Click(Control(id), command == "post-click")) return false;
        if (command == "click") Settle();
        return true;
    }
    if (command == "paint") {
        // every control drawn before a screenshot is taken
        RedrawWindow(sDialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Settle();
        return true;
    }
    if (command == "link-right-click") {
        // as the mouse would send it: press and release over the link, then the menu request of the release
        const HWND link = Control(1217);
        const LPARAM at = MAKELPARAM(4, 4);
        PostMessageA(link, WM_RBUTTONDOWN, MK_RBUTTON, at);
        PostMessageA(link, WM_RBUTTONUP, 0, at);
        Settle();
        Sleep(500); // a menu would open from the dialog's own loop
        Settle();
        if (FindWindowA("#32768", nullptr) && IsWindowVisible(FindWindowA("#32768", nullptr)))
            return Fail("a menu opened on the link");
        return true;
    }
    if (command == "close") return PostMessageA(sDialog, WM_CLOSE, 0, 0) ? true : Fail("WM_CLOSE not posted");
    if (command == "slider") {
        const int id = atoi(next());
        const int position = atoi(next());
        const HWND slider = Control(id);
        if (!slider) return Fail("no slider %s", argv[at - 2]);
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(sDialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                     reinterpret_cast<LPARAM>(slider));
        SendMessageA(sDialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
        return true;
    }
    if (command == "arrows") {
        const HWND arrows = Control(atoi(next()));
        if (!arrows) return Fail("no arrows");
        // what a click on the upper arrow does: the buddy's number goes up by one, the dialog hears of it
        const HWND buddy = reinterpret_cast<HWND>(SendMessageA(arrows, UDM_GETBUDDY, 0, 0));
        const int value = atoi(TextOf(buddy).c_str()) + 1;
        SendMessageA(arrows, UDM_SETPOS32, 0, value);
        SendMessageA(sDialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, value),
                     reinterpret_cast<LPARAM>(arrows));
        return true;
    }
    if (command == "select") {
        const int id = atoi(next());
        const int index = atoi(next());
        const HWND list = Control(id);
        if (SendMessageA(list, CB_SETCURSEL, index, 0) != index) return Fail("no entry %s", argv[at - 1]);
        SendMessageA(sDialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        return true;
    }
    if (command == "list-focus") {
        PostMessageA(sDialog, WM_COMMAND, MAKEWPARAM(1023, CBN_SETFOCUS),
                     reinterpret_cast<LPARAM>(Control(1023)));
        return true;
    }
    if (command == "text") {
        const char *id = next();
        const std::string want = next();
        const std::string have = TextOf(Control(atoi(id)));
        return have == want ? true : Fail("control %s reads \"%s\"", id, have.c_str());
    }
    if (command == "check") {
        const char *id = next();
        const int want = atoi(next());
        const LRESULT have = SendMessageA(Control(atoi(id)), BM_GETCHECK, 0, 0);
        return have == want ? true : Fail("check box %s is %s", id, have ? "ticked" : "clear");
    }
    if (command == "pos") {
        const char *id = next();
        const LRESULT want = atoi(next());
        const LRESULT have = SendMessageA(Control(atoi(id)), TBM_GETPOS, 0, 0);
        return have == want ? true : Fail("slider %s is at %s", id, std::to_string(have).c_str());
    }
    if (command == "count" || command == "selected") {
        const char *id = next();
        const LRESULT want = atoi(next());
        const LRESULT have =
            SendMessageA(Control(atoi(id)), command == "count" ? CB_GETCOUNT : CB_GETCURSEL, 0, 0);
        return have == want ? true : Fail("list %s has %s", id, std::to_string(have).c_str());
    }
    if (command == "item" || command == "no-item" || command == "select-text") {
        const int id = atoi(next());
        const HWND list = Control(id);
        const int index = command == "item" ? atoi(next()) : -1;
        const std::string want = next();
        const LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
        for (LRESULT k = 0; k < count; ++k) {
            // asked for in UTF-16: Wine hands an 8-bit entry text across processes cut short
            WCHAR wide[128] = L"";
            char text[256] = "";
            if (SendMessageW(list, CB_GETLBTEXTLEN, k, 0) >= 128) continue;
            SendMessageW(list, CB_GETLBTEXT, k, reinterpret_cast<LPARAM>(wide));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
            if (command == "item" && k == index)
                return want == text ? true : Fail("entry reads \"%s\"", text);
            if (command == "no-item" && want == text) return Fail("the list holds \"%s\"", text);
            if (command == "select-text" && want == text) {
                SendMessageA(list, CB_SETCURSEL, k, 0);
                SendMessageA(sDialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(list));
                return true;
            }
        }
        return command == "no-item" ? true : Fail("no such entry");
    }
    if (command == "pane") {
        const bool shown = strcmp(next(), "shown") == 0;
        RECT dialog, defaults, lowest;
        GetWindowRect(sDialog, &dialog);
        GetWindowRect(Control(6), &defaults);
        GetWindowRect(Control(1044), &lowest);
        const bool isShown = dialog.bottom > lowest.bottom;
        const bool isHidden = dialog.bottom < defaults.top;
        if (shown ? isShown : isHidden) return true;
        return Fail("the pattern pane is not %s", shown ? "shown" : "hidden");
    }
    if (command == "focus") {
        const HWND control = Control(atoi(next()));
        if (!control) return Fail("no such control");
        PostMessageA(sDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        Settle();
        return true;
    }
    if (command == "help") {
        // the built-in help's window: its text begins with TEXT; closed again by its button
        const std::string want = next();
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindTavo(false, "Tavo Help")) != nullptr; }))
            return Fail("no help window for \"%s\"", want.c_str());
        std::string text;
        EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
        if (text.compare(0, want.size(), want) != 0) return Fail("the help says \"%s\"", text.c_str());
        if (!Click(GetDlgItem(box, IDOK), true)) return false;
        return WaitFor([&] { return !IsWindow(box); }) ? true : Fail("the help stayed open");
    }
    if (command == "fit") return Fits();
    if (command == "box") {
        const std::string want = next();
        const int button = atoi(next());
        const char *defaultButton =
            at < argc && isdigit(static_cast<unsigned char>(argv[at][0])) ? next() : "";
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindTavo(false)) != nullptr; }))
            return Fail("no message box \"%s\"", want.c_str());
        std::string text;
        EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
        if (text != want) return Fail("the box says \"%s\"", text.c_str());
        if (*defaultButton) {
            // the default button is the one drawn as such (Wine's boxes answer DM_GETDEFID with OK)
            const HWND button = GetDlgItem(box, atoi(defaultButton));
            if (!button || (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON)
                return Fail("button %s is not the box's default", defaultButton);
        }
        if (!Click(GetDlgItem(box, button), true)) return false;
        if (!WaitFor([&] { return !IsWindow(box); })) return Fail("the box stayed open");
        Settle();
        return true;
    }
    if (command == "no-box") {
        Settle();
        return FindTavo(false) ? Fail("a message box is open") : true;
    }
    if (command == "prompt" || command == "prompt-close") {
        HWND prompt = nullptr;
        if (!WaitFor([&] { return (prompt = FindTavo(true)) != nullptr; })) return Fail("no name prompt");
        const HWND edit = GetDlgItem(prompt, 1043);
        if (command == "prompt-close") {
            PostMessageA(prompt, WM_CLOSE, 0, 0);
        } else {
            const std::string proposal = next();
            const std::string answer = next();
            const std::string have = TextOf(edit);
            if (have != proposal) return Fail("the prompt proposes \"%s\"", have.c_str());
            const LRESULT selection = SendMessageA(edit, EM_GETSEL, 0, 0);
            if (LOWORD(selection) != 0 || HIWORD(selection) != proposal.size())
                return Fail("the proposal is not all selected");
            if (answer == "-") return Click(GetDlgItem(prompt, IDCANCEL), true);
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
            return Click(GetDlgItem(prompt, IDOK), true);
        }
        return true;
    }
    if (command == "prompt-gone") {
        return WaitFor([] { return FindTavo(true) == nullptr; }) ? true
                                                                 : Fail("the name prompt is still open");
    }
    return Fail("unknown step %s", command.c_str());
}

int main(int argc, char **argv) {
    for (int at = 1; at < argc;) {
        const int first = at;
        if (!Step(argc, argv, at)) {
            fprintf(stderr, "dialog_drive: failed at step %d: %s\n", first, argv[first]);
            return 1;
        }
    }
    return 0;
}
