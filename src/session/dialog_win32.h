// The Windows side of the settings dialog, its name prompt and its web-address link, for the Windows files of
// the session and the host's entry into the dialog. Only the Windows build includes this.
#pragma once
#include <windows.h>

constexpr char LINK_CLASS_NAME[] = "TAVOURL";     // the dialog template's link control
constexpr ATOM LINK_PROC_PROPERTY = 0x3345;       // the link's previous window procedure while subclassed
constexpr char HELP_FILE[] = "Tavo.hlp";          // used only beside the saver, with a help viewer
constexpr char HELP_WINDOW_TITLE[] = "Tavo Help"; // the built-in help's window

extern HCURSOR gHandCursor; // the link class's cursor, or none; the dialog destroys it when it ends

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NamePromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LinkWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

BOOL InitDialogClasses(HINSTANCE instance); // always TRUE: a class that cannot be made is not reported
void LoadHandCursor();
void OpenWebAddress(const char *text); // a new browser window; nothing is reported when it fails
// Runs the name prompt (dialog 108) owned by `owner`; the answer is left in gNameAnswer.
void RunNamePrompt(HINSTANCE instance, HWND owner);
