// The Windows host's own face, for the other Windows files of the host and their tests: the program's
// instance, the window procedure of the saver class and the system backend of the password support.
#pragma once
#include <windows.h>

#include "host/host.h"

constexpr char SAVER_CLASS_NAME[] = "WindowsScreenSaverClass";
constexpr char SAVER_TITLE[] = "Screen Saver"; // the full-screen window; a second start looks for it
constexpr char PREVIEW_TITLE[] = "Preview";
constexpr UINT SAVER_CLASS_STYLES = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
static_assert(SAVER_CLASS_STYLES == 0x2B);

extern HINSTANCE gInstance; // the program's instance: its resources and its window class

// The saver class's window procedure: the Windows-only parts (input method, help forwarding in preview,
// the quit message), then the portable class procedure.
LRESULT CALLBACK SaverClassWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Black top-most windows over these monitor rectangles, owned by the saver window, their input passed on to
// it; answers how many could be made.
constexpr char BLANKER_CLASS_NAME[] = "TavoMonitorBlanker";
constexpr int MAX_BLANKED_MONITORS = 16;
int CreateMonitorBlankers(HWND saver, const RECT *monitors, int count);

const PasswordBackend *SystemPasswordBackend();
