// The settings dialog "Tavo Settings": the global settings, the pattern pane of the selected pattern and the
// library buttons. The host runs it modally through RunSettingsDialog; the values it shows and reads back
// come from dialog_logic.cpp. It never writes the store except through the settings and library operations.
#include <windows.h>

#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "../../resources/resource.h"
#include "display/display.h"
#include "platform/memory.h"
#include "session/dialog_win32.h"
#include "session/session.h"

static HINSTANCE sInstance = nullptr; // where the dialog templates live
static RECT gDialogFullRect;      // the dialog's window rectangle with the pattern pane shown, screen pixels
static HFONT gLinkFont = nullptr; // the link's underlined font

// ---------------------------------------------------------------------------------------------------------------
// Filling the controls
// ---------------------------------------------------------------------------------------------------------------
static void SetupSlider(HWND dialog, int control, int32_t minimum, int32_t maximum, int32_t step,
                        int32_t position) {
    const HWND slider = GetDlgItem(dialog, control);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(minimum, maximum));
    SendMessageA(slider, TBM_SETPAGESIZE, 0, step);
    SendMessageA(slider, TBM_SETTICFREQ, step, 0);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
}

static void SetupSlider(HWND dialog, const DialogSlider &slider, int32_t position) {
    SetupSlider(dialog, slider.control, slider.minimum, slider.maximum, slider.step, position);
}

static void SetupArrows(HWND dialog, int control, int minimum, int maximum) {
    SendDlgItemMessageA(dialog, control, UDM_SETRANGE, 0, MAKELPARAM(maximum, minimum));
}

static void SetCheck(HWND dialog, int control, int32_t ticked) {
    CheckDlgButton(dialog, control, ticked ? BST_CHECKED : BST_UNCHECKED);
}

static int32_t IsTicked(HWND dialog, int control) {
    return IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}

static int32_t SliderAt(HWND dialog, int control) {
    return static_cast<int32_t>(SendDlgItemMessageA(dialog, control, TBM_GETPOS, 0, 0));
}

static uint32_t NumberIn(HWND dialog, int control) {
    BOOL read = FALSE;
    const UINT number = GetDlgItemInt(dialog, control, &read, FALSE);
    return read ? number : 0;
}

static void FillPatternList(HWND dialog, int selection) {
    const HWND list = GetDlgItem(dialog, IDC_PATTERN_LIST);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int k = 0; k < gPresetCount; ++k) {
        char text[PATTERN_LIST_TEXT_LEN];
        FormatPatternListText(gPresets[k], text, sizeof text);
        const LRESULT at = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (at >= 0) SendMessageA(list, CB_SETITEMDATA, at, k);
    }
    SendMessageA(list, CB_SETCURSEL, selection, 0); // not a user's choice: no selection change follows
}

static void FillResolutionList(HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_RESOLUTION);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    char modes[MODE_LIST_SIZE][MODE_TEXT_LEN];
    uint32_t count = 0;
    DDGetResolutions(modes, &count);
    for (uint32_t k = 0; k < count && k < MODE_LIST_SIZE; ++k) {
        const LRESULT at = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(modes[k]));
        if (at >= 0) SendMessageA(list, CB_SETITEMDATA, at, k);
    }
    // the first entry that begins with the stored text, letter case ignored
    SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(gResolution));
}

static void FillPatternControls(HWND dialog, bool refillList, bool globals) {
    gPaneModified = 0;
    const PatternPane pane = PatternPaneFrom(gPresets[gCurrentPreset]);
    SetupSlider(dialog, kTrailLengthSlider, pane.trailLength);
    SetupSlider(dialog, kTrailWidthSlider, pane.trailWidth);
    SetupSlider(dialog, kTrailDensitySlider, pane.trailDensity);
    SetupSlider(dialog, kTrailKinkinessSlider, pane.trailKinkiness);
    SetupSlider(dialog, kSparklinessSlider, pane.sparkliness);
    SetupSlider(dialog, kFadeSpeedSlider, pane.fadeSpeed);
    SetupSlider(dialog, kColourSpeedSlider, pane.colourSpeed);
    SetDlgItemInt(dialog, IDC_TRAILS, pane.numberOfTrails, FALSE);
    SetupArrows(dialog, IDC_TRAILS_ARROWS, 1, 100);
    SetDlgItemInt(dialog, IDC_JUMP, pane.jumpSpeed, FALSE);
    SetupArrows(dialog, IDC_JUMP_ARROWS, 1, 3600);
    SetCheck(dialog, IDC_SPARKLES, pane.sparkle);
    SetCheck(dialog, IDC_ALWAYS_FADE, pane.alwaysFadeHead);
    SetCheck(dialog, IDC_ALWAYS_STICKY, pane.alwaysQuicksand);
    SetCheck(dialog, IDC_DONT_USE, pane.dontUse);
    SetCheck(dialog, IDC_USE_ALL, gAllPresetsUsed);
    if (globals) {
        FillResolutionList(dialog);
        const GlobalPane g = GlobalPaneFromSettings();
        SetCheck(dialog, IDC_RANDOM_START, g.useRandomPreset);
        SetCheck(dialog, IDC_MORPH_ON, g.morphSettings);
        SetupSlider(dialog, kMorphSpeedSlider, g.morphSpeed);
        SetDlgItemInt(dialog, IDC_MORPH_INTERVAL, g.morphInterval, FALSE);
        SetupArrows(dialog, IDC_MORPH_INTERVAL_ARROWS, 0, 3600);
        SetupSlider(dialog, kPaintingModeSlider, g.paintingMode);
        SetupSlider(dialog, kBrightnessSlider, g.backgroundBrightness);
        SetCheck(dialog, IDC_RANDOM_BG, g.randomBackground);
        SetCheck(dialog, IDC_SHOW_NAMES, g.showNames);
        SetCheck(dialog, IDC_SHOW_HINTS, g.showHints);
        SetCheck(dialog, IDC_DOUBLE_SIZE, g.doubleSize);
    }
    if (refillList) FillPatternList(dialog, gCurrentPreset);
}

// ---------------------------------------------------------------------------------------------------------------
// Reading the controls back
// ---------------------------------------------------------------------------------------------------------------
static int GetSelectedPattern(HWND dialog, char *name) {
    const int selection = static_cast<int>(SendDlgItemMessageA(dialog, IDC_PATTERN_LIST, CB_GETCURSEL, 0, 0));
    return SelectedPatternIndex(selection, name);
}

static PatternPane ReadPatternPane(HWND dialog) {
    PatternPane pane;
    pane.trailLength = SliderAt(dialog, IDC_TRAIL_LENGTH);
    pane.trailWidth = SliderAt(dialog, IDC_TRAIL_WIDTH);
    pane.trailDensity = SliderAt(dialog, IDC_TRAIL_DENSITY);
    pane.trailKinkiness = SliderAt(dialog, IDC_TRAIL_KINKINESS);
    pane.sparkliness = SliderAt(dialog, IDC_SPARKLINESS);
    pane.fadeSpeed = SliderAt(dialog, IDC_FADE_SPEED);
    pane.colourSpeed = SliderAt(dialog, IDC_COLOUR_SPEED);
    pane.numberOfTrails = NumberIn(dialog, IDC_TRAILS);
    pane.jumpSpeed = NumberIn(dialog, IDC_JUMP);
    pane.sparkle = IsTicked(dialog, IDC_SPARKLES);
    pane.alwaysFadeHead = IsTicked(dialog, IDC_ALWAYS_FADE);
    pane.alwaysQuicksand = IsTicked(dialog, IDC_ALWAYS_STICKY);
    pane.dontUse = IsTicked(dialog, IDC_DONT_USE);
    return pane;
}

static void ReadPatternControls(HWND dialog, int index) {
    StorePaneInPreset(ReadPatternPane(dialog), &gPresets[index]);
}

static void StorePatternControls(HWND dialog) {
    const int index = GetSelectedPattern(dialog, nullptr);
    ReadPatternControls(dialog, index);
    SavePreset(index);
    FillPatternList(dialog, index);
}

static void StorePatternControlsOf(void *dialog) {
    StorePatternControls(static_cast<HWND>(dialog));
}

static GlobalPane ReadGlobalPane(HWND dialog) {
    GlobalPane g;
    g.useRandomPreset = IsTicked(dialog, IDC_RANDOM_START);
    g.morphSettings = IsTicked(dialog, IDC_MORPH_ON);
    g.morphInterval = NumberIn(dialog, IDC_MORPH_INTERVAL);
    g.morphSpeed = SliderAt(dialog, IDC_MORPH_SPEED);
    g.paintingMode = SliderAt(dialog, IDC_PAINTING_MODE);
    g.backgroundBrightness = SliderAt(dialog, IDC_BG_BRIGHTNESS);
    g.randomBackground = IsTicked(dialog, IDC_RANDOM_BG);
    g.showNames = IsTicked(dialog, IDC_SHOW_NAMES);
    g.showHints = IsTicked(dialog, IDC_SHOW_HINTS);
    g.doubleSize = IsTicked(dialog, IDC_DOUBLE_SIZE);
    return g;
}

static void ReadResolution(HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_RESOLUTION);
    const LRESULT selection = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) return; // no modes were found: the stored size stays
    char text[SETTING_TEXT_LEN + 1];
    if (SendMessageA(list, CB_GETLBTEXTLEN, selection, 0) > SETTING_TEXT_LEN) return; // would be stored cut
    if (SendMessageA(list, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(text)) == CB_ERR) return;
    snprintf(gResolution, sizeof gResolution, "%s", text);
}

// ---------------------------------------------------------------------------------------------------------------
// Pane shown or hidden
// ---------------------------------------------------------------------------------------------------------------
static void ApplyPaneState(HWND dialog, const RECT *full) {
    RECT now;
    GetWindowRect(dialog, &now);
    if (gShowMoreOptions) {
        // cut off just above the pane's first row of buttons
        RECT defaults;
        GetWindowRect(GetDlgItem(dialog, IDC_DEFAULTS), &defaults);
        SetWindowPos(dialog, nullptr, 0, 0, now.right - now.left, defaults.top - now.top - 10,
                     SWP_NOMOVE | SWP_NOZORDER);
        SetDlgItemTextA(dialog, IDC_PANE_TOGGLE, "Show Pattern Settings");
    } else {
        SetWindowPos(dialog, nullptr, 0, 0, full->right - full->left, full->bottom - full->top,
                     SWP_NOMOVE | SWP_NOZORDER);
        SetDlgItemTextA(dialog, IDC_PANE_TOGGLE, "Hide Pattern Settings");
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The dialog procedure
// ---------------------------------------------------------------------------------------------------------------
static void RunNamePromptFor(void *dialog) {
    RunNamePrompt(sInstance, static_cast<HWND>(dialog));
}

static void PrepareLink(HWND dialog) {
    const HWND link = GetDlgItem(dialog, IDC_LINK);
    if (!link) return;
    // the previous procedure is in place before the new one can be called
    SetPropA(link, MAKEINTATOM(LINK_PROC_PROPERTY),
             reinterpret_cast<HANDLE>(GetWindowLongPtrA(link, GWLP_WNDPROC)));
    SetWindowLongPtrA(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkWindowProc));
    // As tall as the dialog's own text: a character height of 8 pixels only looked right where "MS Sans
    // Serif" was a bitmap font that could not go that small; a scalable one makes the address unreadable.
    LOGFONTA dialogFont;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    const LONG height = font && GetObjectA(font, sizeof dialogFont, &dialogFont) ? dialogFont.lfHeight : -8;
    gLinkFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(gLinkFont), TRUE);
    SetWindowTextA(link, TAVO_WEB_ADDRESS);
}

static void ShowVersion(HWND dialog) {
    char version[64] = "";
    GetProductVersion("tavo.scr", version, sizeof version);
    char line[96];
    snprintf(line, sizeof line, "Tavo Version %s", version);
    SetDlgItemTextA(dialog, IDC_VERSION, line);
}

static BOOL OnInitDialog(HWND dialog) {
    if (!GetSettings(false) && !gPresets) {
        EndDialog(dialog, 0); // no library could be built: there is nothing to edit
        return TRUE;
    }
    FillPatternControls(dialog, true, true);
    GetWindowRect(dialog, &gDialogFullRect);
    ApplyPaneState(dialog, &gDialogFullRect);
    PrepareLink(dialog);
    ShowVersion(dialog);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------------------
// Help
// ---------------------------------------------------------------------------------------------------------------
// The help file beside the saver, when there is one and a help viewer to show it: current systems have
// neither, and there the program's own help text answers.
static bool FindHelpFile(char *path, size_t size) {
    char viewer[MAX_PATH + 16];
    const UINT length = GetWindowsDirectoryA(viewer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    snprintf(viewer + length, sizeof viewer - length, "\\winhlp32.exe");
    if (GetFileAttributesA(viewer) == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD used = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
    if (used == 0 || used >= size) return false;
    char *name = strrchr(path, '\\');
    if (!name || static_cast<size_t>(name + 1 - path) + sizeof HELP_FILE > size) return false;
    memcpy(name + 1, HELP_FILE, sizeof HELP_FILE);
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static void ShowHelpText(HWND dialog, const char *text) {
    MessageBoxA(dialog, text, HELP_WINDOW_TITLE, MB_OK | MB_ICONINFORMATION);
}

static void ShowDialogHelp(HWND dialog) {
    char file[MAX_PATH];
    if (FindHelpFile(file, sizeof file))
        WinHelpA(dialog, file, HELP_CONTENTS, 0);
    else
        ShowHelpText(dialog, kDialogHelpText);
}

static INT_PTR OnButton(HWND dialog, int control) {
    NotePaneChange(control); // the pattern check boxes
    switch (control) {
        case IDOK:
            if (!CheckSomePresetUsed()) return FALSE;
            if (gPaneModified) StorePatternControls(dialog);
            StoreGlobalPane(ReadGlobalPane(dialog), static_cast<int>(SendDlgItemMessageA(
                                                        dialog, IDC_PATTERN_LIST, CB_GETCURSEL, 0, 0)));
            ReadResolution(dialog);
            SaveSettings();
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: // also Escape and the close box
            if (!CheckSomePresetUsed()) return FALSE;
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_PANE_TOGGLE:
            gShowMoreOptions = !gShowMoreOptions; // saved only by OK
            ApplyPaneState(dialog, &gDialogFullRect);
            return FALSE;
        case IDC_DEFAULTS:
            if (RevertPreset(GetSelectedPattern(dialog, nullptr))) FillPatternControls(dialog, true, false);
            return FALSE;
        case IDC_COPY: {
            const int copy = DialogCopyPattern(GetSelectedPattern(dialog, nullptr), ReadPatternPane(dialog),
                                               RunNamePromptFor, dialog);
            if (copy >= 0) FillPatternList(dialog, copy); // the pane and gCurrentPreset stay as they were
            return FALSE;
        }
        case IDC_RENAME: {
            const int renamed = DialogRenamePattern(GetSelectedPattern(dialog, nullptr),
                                                    ReadPatternPane(dialog), RunNamePromptFor, dialog);
            if (renamed >= 0) FillPatternList(dialog, renamed);
            return FALSE;
        }
        case IDC_DELETE:
            // the global controls keep what the user set; only the patterns are loaded again
            if (DeletePreset(GetSelectedPattern(dialog, nullptr))) FillPatternControls(dialog, true, false);
            return FALSE;
        case IDC_HELP_BUTTON: ShowDialogHelp(dialog); return FALSE;
        case IDC_DONT_USE:
            SetPresetExcluded(GetSelectedPattern(dialog, nullptr), IsTicked(dialog, IDC_DONT_USE));
            SetCheck(dialog, IDC_USE_ALL, gAllPresetsUsed);
            return FALSE;
        case IDC_USE_ALL:
            UseAllPresets(); // whatever state the click gave the box, which keeps it
            SetCheck(dialog, IDC_DONT_USE, 0);
            return FALSE;
    }
    return FALSE;
}

static INT_PTR OnColour(HDC dc, HWND control) {
    COLORREF colour;
    switch (GetDlgCtrlID(control)) {
        case IDC_LINK: colour = RGB(0, 0, 255); break;
        case IDC_F1_NOTE: colour = RGB(255, 0, 64); break;
        default: return FALSE;
    }
    // drawn straight onto the dialog's face
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

static void OnHelp(HWND dialog, const HELPINFO *help) {
    if (help->iCtrlId == LABEL_CONTROL_ID) return;
    const uint32_t context = HelpContextOf(help->iCtrlId);
    if (context == NO_HELP_CONTEXT) return; // the version line and the F1 note
    char file[MAX_PATH];
    if (FindHelpFile(file, sizeof file)) {
        WinHelpA(static_cast<HWND>(help->hItemHandle), file, HELP_WM_HELP,
                 reinterpret_cast<ULONG_PTR>(kHelpContextTable));
        return;
    }
    const char *text = HelpTextOf(context);
    ShowHelpText(dialog, text ? text : kDialogHelpText); // the dialog itself, or a control without a line
}

static void OnDestroy() {
    if (gLinkFont) DeleteObject(gLinkFont);
    gLinkFont = nullptr;
    if (gHandCursor) DestroyCursor(gHandCursor);
    gHandCursor = nullptr;
    HeapRelease(gPresets);
    gPresets = nullptr;
    gPresetCount = 0;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog);
        case WM_HSCROLL: // the sliders
        case WM_VSCROLL: // the arrows
            if (lParam) NotePaneChange(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
            return FALSE;
        case WM_COMMAND: {
            const int control = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (control == IDC_PATTERN_LIST) {
                if (code == CBN_SETFOCUS) {
                    char name[PRESET_NAME_LEN + 1];
                    GetSelectedPattern(dialog, name);
                    AskToSavePane(name, StorePatternControlsOf, dialog);
                } else if (code == CBN_SELCHANGE) {
                    gCurrentPreset = GetSelectedPattern(dialog, nullptr); // unsaved edits are dropped
                    FillPatternControls(dialog, false, false);
                }
                return FALSE;
            }
            if (code == BN_CLICKED) return OnButton(dialog, control);
            return FALSE;
        }
        case WM_HELP: OnHelp(dialog, reinterpret_cast<const HELPINFO *>(lParam)); return TRUE;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            return OnColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DESTROY: OnDestroy(); return FALSE;
    }
    return FALSE;
}

int RunSettingsDialog(void *ownerHwnd) {
    sInstance = GetModuleHandleA(nullptr);
    InitDialogClasses(sInstance);
    return static_cast<int>(DialogBoxParamA(sInstance, MAKEINTRESOURCEA(IDD_SETTINGS),
                                            static_cast<HWND>(ownerHwnd), SettingsDialogProc, 0));
}
