// Dispatch of the text seam to the installed backend.
#include "platform/text.h"

static const TextBackend *sText = nullptr; // nullptr: the system's own

void SetTextBackend(const TextBackend *backend) {
    sText = backend;
}
const TextBackend *TextOutput() {
    return sText ? sText : SystemTextBackend();
}
