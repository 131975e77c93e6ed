// The Windows screen-saver command line: the tail after the program's name, then the mode letter and its
// handle, one row each.
#include <gtest/gtest.h>

#include "host/cmdline.h"

namespace {

TEST(WindowsCommandLine, TailSkipsTheProgramNameQuotedOrNot) {
    const struct {
        const char *line, *tail;
    } rows[] = {{"\"C:\\Program Files\\tavo.scr\" /s", "/s"},
                {"C:\\WINDOWS\\tavo.scr /p 1234", "/p 1234"},
                {"tavo.scr\t\t  -c:99", "-c:99"},
                {"\"unterminated name /s", ""},
                {"tavo.scr", ""},
                {"", ""}};
    for (const auto &r : rows)
        EXPECT_STREQ(CommandLineTail(r.line), r.tail) << r.line;
}

TEST(WindowsCommandLine, ModeLetterAndHandle) {
    const struct {
        const char *tail;
        HostMode mode;
        uint32_t handle;
        bool hasHandle;
    } rows[] = {
        {"/s", HOST_SAVER, 0, false},
        {"-S", HOST_SAVER, 0, false},
        {" s", HOST_SAVER, 0, false},
        {"//--s /c", HOST_SAVER, 0, false},
        {"", HOST_SETTINGS, 0, false},
        {"/c:1234", HOST_SETTINGS, 1234, true},
        {"/c 1234", HOST_SETTINGS, 0, false},
        {"/c /s", HOST_SETTINGS, 0, false},
        {"/p 1234", HOST_PREVIEW, 1234, true},
        {"/l 1234", HOST_PREVIEW, 1234, true},
        {"/P    77", HOST_PREVIEW, 77, true},
        {"/p", HOST_PREVIEW, 0, true},
        {"/p 00077xyz", HOST_PREVIEW, 77, true},
        {"/p 4294967295", HOST_PREVIEW, 4294967295u, true},
        {"/p 4294967297", HOST_PREVIEW, 1, true}, // 32-bit arithmetic: wraps, never overflows
        {"/a 4321", HOST_PASSWORD, 4321, true},
        {"/x", HOST_INVALID, 0, false},
        {"/x /s", HOST_INVALID, 0, false},
        {"1", HOST_INVALID, 0, false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.tail);
        const HostCommand c = ParseHostCommand(r.tail);
        EXPECT_EQ(c.mode, r.mode);
        EXPECT_EQ(c.handle, r.handle);
        EXPECT_EQ(c.hasHandle, r.hasHandle);
    }
}

} // namespace
