// Message boxes on Windows: MessageBoxA without an owner window.
#include "platform/msgbox.h"

#include <windows.h>

static int Win32MessageBox(const char *text, const char *title, uint32_t style) {
    return MessageBoxA(nullptr, text, title, style);
}

const MessageBoxBackend *SystemMessageBoxBackend() {
    static const MessageBoxBackend backend = {Win32MessageBox};
    return &backend;
}
