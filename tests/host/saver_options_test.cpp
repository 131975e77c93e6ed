#include <gtest/gtest.h>

#include <vector>

#include "host/saver_options.h"

namespace {

SaverParse Parse(std::vector<const char *> args, SaverOptions *out, const char *env = nullptr,
                 std::string *error = nullptr) {
    args.insert(args.begin(), "tavo");
    char text[200] = "";
    const SaverParse result = ParseSaverOptions(static_cast<int>(args.size()), args.data(), env, out, text,
                                                static_cast<int>(sizeof text));
    if (error) *error = text;
    return result;
}

TEST(SaverOptions, ModesAndTheirArguments) {
    SaverOptions o;
    EXPECT_EQ(Parse({}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_FULL_SCREEN);

    EXPECT_EQ(Parse({"--window"}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_WINDOW);
    EXPECT_EQ(o.width, DEFAULT_WINDOW_WIDTH);
    EXPECT_EQ(Parse({"--window", "800x600"}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.width, 800u);
    EXPECT_EQ(o.height, 600u);

    EXPECT_EQ(Parse({"-window-id", "0x1a00003"}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_WINDOW_ID);
    EXPECT_EQ(o.windowId, 0x1a00003ul);
    EXPECT_EQ(Parse({"-window-id", "27262979"}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.windowId, 27262979ul);

    EXPECT_EQ(Parse({"-root"}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_ROOT);
    EXPECT_EQ(Parse({"--help"}, &o), SAVER_PARSE_HELP);
    EXPECT_EQ(Parse({"--snapshot", "dir"}, &o), SAVER_PARSE_UNKNOWN); // another command's
}

TEST(SaverOptions, ScreenSaverWindowVariableWithoutAModeOrWithRoot) {
    SaverOptions o;
    EXPECT_EQ(Parse({}, &o, "0x400007"), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_WINDOW_ID);
    EXPECT_EQ(o.windowId, 0x400007ul);
    EXPECT_EQ(Parse({"--window"}, &o, "0x400007"), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_WINDOW);
    // -root under the daemon means the daemon's window over the real root.
    EXPECT_EQ(Parse({"-root"}, &o, "0x400007"), SAVER_PARSE_RUN);
    EXPECT_EQ(o.mode, SAVER_ROOT);
    EXPECT_EQ(o.windowId, 0x400007ul);
    EXPECT_EQ(Parse({"-root"}, &o), SAVER_PARSE_RUN);
    EXPECT_EQ(o.windowId, 0ul);
    EXPECT_EQ(Parse({}, &o, "garbage"), SAVER_PARSE_ERROR);
}

TEST(SaverOptions, BadIdsSizesAndTwoModesAreRefused) {
    SaverOptions o;
    std::string error;
    for (const char *id : {"", "0", "0x", "12abc", "-5", "0x1ffffffffffffffffff"})
        EXPECT_EQ(Parse({"-window-id", id}, &o), SAVER_PARSE_ERROR) << id;
    EXPECT_EQ(Parse({"-window-id"}, &o, nullptr, &error), SAVER_PARSE_ERROR);
    EXPECT_NE(error.find("window id"), std::string::npos);
    for (const char *size : {"800", "x600", "0x600", "800x", "800x99999", "80a0x600"})
        EXPECT_EQ(Parse({"--window", size}, &o), SAVER_PARSE_ERROR) << size;
    EXPECT_EQ(Parse({"--window", "-root"}, &o), SAVER_PARSE_ERROR);
}

} // namespace
