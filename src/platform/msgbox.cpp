// Dispatch of the message-box seam.
#include "platform/msgbox.h"

static const MessageBoxBackend *sMessageBox = nullptr; // nullptr: the system backend

void SetMessageBoxBackend(const MessageBoxBackend *backend) {
    sMessageBox = backend;
}

int PlatformMessageBox(const char *text, const char *title, uint32_t style) {
    return (sMessageBox ? sMessageBox : SystemMessageBoxBackend())->show(text, title, style);
}
