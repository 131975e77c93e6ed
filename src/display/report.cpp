// Failure reporting: the diagnostic log (one open-append-close per entry, so nothing is lost when the saver
// is killed) and the two message boxes titled with the product name.
#include <cstdarg>
#include <cstdio>

#include "display/display.h"
#include "platform/clock.h"
#include "platform/logfile.h"
#include "platform/msgbox.h"

void LogMessage(const char *format, ...) {
    FILE *log = PlatformOpenLog();
    if (!log) return; // the entry is dropped; nothing tells of it
    LocalTime t{};
    PlatformLocalTime(&t);
    fprintf(log, "%u/%u/%u %u:%02u:%02u> ", t.day, t.month, t.year, t.hour, t.minute, t.second);
    va_list args;
    va_start(args, format);
    vfprintf(log, format, args);
    va_end(args);
    fclose(log);
}

void ErrorBox(const char *text) {
    PlatformMessageBox(text, "Tavo", MBOX_OK | MBOX_ICONERROR);
}

bool AskYesNo(const char *text, bool yesDefault) {
    const uint32_t style = MBOX_YESNO | MBOX_ICONQUESTION | (yesDefault ? 0u : MBOX_DEFBUTTON2);
    return PlatformMessageBox(text, "Tavo", style) == MBOX_IDYES;
}

void DDInitFail(const char *format, ...) {
    DDCleanUp(); // the desktop is back before the message is shown
    char message[256];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args); // a long text is cut, never overflows
    va_end(args);
    PlatformMessageBox(message, "Initialisation Error", MBOX_OK | MBOX_ICONERROR);
    LogMessage("DDInitFail: %s\n", message);
}
