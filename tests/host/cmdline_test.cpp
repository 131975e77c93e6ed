#include <gtest/gtest.h>

#include "host/cmdline.h"

namespace {

TEST(CommandLine, TailSkipsTheProgramNameQuotedOrNot) {
    EXPECT_STREQ(CommandLineTail("\"C:\\Program Files\\tavo.scr\" /s"), "/s");
    EXPECT_STREQ(CommandLineTail("C:\\WINDOWS\\tavo.scr /p 1234"), "/p 1234");
    EXPECT_STREQ(CommandLineTail("tavo.scr\t\t  -c:99"), "-c:99");
    EXPECT_STREQ(CommandLineTail("\"unterminated name /s"), "");
    EXPECT_STREQ(CommandLineTail("tavo.scr"), "");
    EXPECT_STREQ(CommandLineTail(""), "");
}

TEST(CommandLine, WindowHandleIsLeadingDigitsIn32BitArithmetic) {
    EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
    EXPECT_EQ(ParseWindowHandle("00077xyz"), 77u);
    EXPECT_EQ(ParseWindowHandle("x12"), 0u);
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowHandle("4294967296"), 0u); // wraps, never overflows
    EXPECT_EQ(ParseWindowHandle("4294967297"), 1u);
}

TEST(CommandLine, EveryFormOfTheSaverLetterRunsTheSaver) {
    for (const char *tail : {"/s", "-S", "S", " s", "/s /c", "//--s"}) {
        EXPECT_EQ(ParseHostCommand(tail).mode, HOST_SAVER) << tail;
    }
}

TEST(CommandLine, SettingsTakeAnOwnerOnlyAfterAColon) {
    const HostCommand owned = ParseHostCommand("/c:1234");
    EXPECT_EQ(owned.mode, HOST_SETTINGS);
    EXPECT_TRUE(owned.hasHandle);
    EXPECT_EQ(owned.handle, 1234u);
    const HostCommand spaced = ParseHostCommand("/c 1234");
    EXPECT_EQ(spaced.mode, HOST_SETTINGS);
    EXPECT_FALSE(spaced.hasHandle);
    const HostCommand none = ParseHostCommand("");
    EXPECT_EQ(none.mode, HOST_SETTINGS);
    EXPECT_FALSE(none.hasHandle);
}

TEST(CommandLine, PreviewAndPasswordReadTheHandleAfterBlanks) {
    EXPECT_EQ(ParseHostCommand("/p 1234").handle, 1234u);
    EXPECT_EQ(ParseHostCommand("/l 1234").mode, HOST_PREVIEW);
    EXPECT_EQ(ParseHostCommand("/P    77").handle, 77u);
    EXPECT_EQ(ParseHostCommand("/p").handle, 0u);
    EXPECT_EQ(ParseHostCommand("/p 0").handle, 0u);
    const HostCommand password = ParseHostCommand("/a 4321");
    EXPECT_EQ(password.mode, HOST_PASSWORD);
    EXPECT_EQ(password.handle, 4321u);
}

TEST(CommandLine, UnknownLetterIsInvalidAndOnlyTheFirstLetterCounts) {
    EXPECT_EQ(ParseHostCommand("/x").mode, HOST_INVALID);
    EXPECT_EQ(ParseHostCommand("/x /s").mode, HOST_INVALID);
    EXPECT_EQ(ParseHostCommand("1").mode, HOST_INVALID);
    EXPECT_EQ(ParseHostCommand("/c /s").mode, HOST_SETTINGS);
}

} // namespace
