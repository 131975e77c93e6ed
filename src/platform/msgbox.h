// The message-box seam: MessageBoxA on Windows; SDL's message box or standard error elsewhere; a recorder
// with scripted answers in tests. Styles and answers carry the Windows numbers on every platform.
#pragma once
#include <cstdint>

constexpr uint32_t MBOX_OK = 0x00000000;
constexpr uint32_t MBOX_YESNO = 0x00000004;
constexpr uint32_t MBOX_ICONERROR = 0x00000010;
constexpr uint32_t MBOX_ICONQUESTION = 0x00000020;
constexpr uint32_t MBOX_DEFBUTTON2 = 0x00000100;
constexpr int MBOX_IDOK = 1;
constexpr int MBOX_IDYES = 6;
constexpr int MBOX_IDNO = 7;

struct MessageBoxBackend {
    int (*show)(const char *text, const char *title, uint32_t style); // the button chosen
};

const MessageBoxBackend *SystemMessageBoxBackend();          // msgbox_posix.cpp / msgbox_win32.cpp
void SetMessageBoxBackend(const MessageBoxBackend *backend); // nullptr puts the system backend back
int PlatformMessageBox(const char *text, const char *title, uint32_t style);
