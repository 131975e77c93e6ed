// The Linux command line: every mode, setting and snapshot option through the one table, as a row each.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "display/display.h"
#include "engine/engine.h"
#include "host/options.h"
#include "patterns/patterns.h"

namespace {

// What the parse decided, in a few words: the independent picture each row is compared with.
std::string Describe(const CommandLine &c) {
    char text[200];
    if (c.snapshot) {
        const SnapshotOptions &o = c.snap;
        snprintf(text, sizeof text, "snap %s p%d s%u %ux%u d%u t%g f%g%s m%d e%c", o.directory, o.pattern,
                 o.seed, o.width, o.height, o.depth, o.seconds, o.framesPerSecond, o.paint ? " paint" : "",
                 o.morphTo, o.effectKey ? o.effectKey : '-');
        return text;
    }
    static const char *const kModes[] = {"full", "window", "id", "root"};
    snprintf(text, sizeof text, "%s %ux%u 0x%lx", kModes[c.saver.mode], c.saver.width, c.saver.height,
             c.saver.windowId);
    return text;
}

struct Row {
    const char *args; // separated by blanks
    const char *env;
    const char *expect; // Describe's text, or "!" and the start of the error
};

class ParseRows : public ::testing::TestWithParam<Row> {};

TEST_P(ParseRows, GiveTheirModeOrNameTheOptionAtFault) {
    std::vector<std::string> words = {"tavo"};
    for (std::istringstream in(GetParam().args); in >> words.emplace_back();) {
    }
    words.pop_back(); // the one the last read failed on
    std::vector<const char *> args;
    for (const std::string &w : words)
        args.push_back(w.c_str());
    CommandLine c;
    char error[320] = "";
    const bool ok =
        ParseCommandLine(static_cast<int>(args.size()), args.data(), GetParam().env, &c, error, sizeof error);
    const std::string got = ok ? Describe(c) : std::string("!") + error;
    const std::string expect = GetParam().expect;
    if (expect[0] == '!')
        EXPECT_EQ(got.substr(0, expect.size()), expect) << got;
    else
        EXPECT_EQ(got, expect);
}

const Row kRows[] = {
    {"", nullptr, "full 960x720 0x0"},
    {"--window", nullptr, "window 960x720 0x0"},
    {"-window 800x600", nullptr, "window 800x600 0x0"},
    {"--window --fps", nullptr, "window 960x720 0x0"},
    {"-window-id 0x1a00003", nullptr, "id 960x720 0x1a00003"},
    {"--window-id 27262979", nullptr, "id 960x720 0x1a00003"},
    {"--window-id 0x1fffffff", nullptr, "id 960x720 0x1fffffff"},
    {"-root", nullptr, "root 960x720 0x0"},
    // XScreenSaver's settings program appends --window-id to the command "--root": the window wins
    {"--root --window-id 0x400003", nullptr, "id 960x720 0x400003"},
    {"-window-id 0x400003 -root", "0x99", "id 960x720 0x400003"},
    {"", "0x400007", "id 960x720 0x400007"},
    {"--root", "0x400007", "root 960x720 0x400007"},
    {"--window", "0x400007", "window 960x720 0x0"},
    {"", "garbage", "!XSCREENSAVER_WINDOW=\"garbage\""},
    {"--root", "0x100000001", "!XSCREENSAVER_WINDOW"},
    {"--install -noinstall --visual default -mono --pair -root", nullptr, "root 960x720 0x0"},
    {"--window --root", nullptr, "!--root: only one mode"},
    {"-root --window 640x480", nullptr, "!--window: only one mode"},
    {"--root --root", nullptr, "!--root: given twice"},
    {"--window-id 1 --window-id 2", nullptr, "!--window-id: given twice"},
    {"--snapshot d --window", nullptr, "!--window: --snapshot"},
    {"--window-id", nullptr, "!--window-id needs a window id"},
    {"--window-id 0x20000000", nullptr, "!--window-id: \"0x20000000\" is not a window id"},
    {"--window-id 0x100000001", nullptr, "!--window-id: \"0x100000001\""},
    {"--window-id 0", nullptr, "!--window-id: \"0\""},
    {"--window-id 12abc", nullptr, "!--window-id: \"12abc\""},
    {"--window-id -5", nullptr, "!--window-id: \"-5\""},
    {"--window 800", nullptr, "!--window: \"800\" is not WIDTHxHEIGHT"},
    {"--window 800x99999", nullptr, "!--window: \"800x99999\""},
    {"--window 0x600", nullptr, "!--window: \"0x600\""},
    {"--frobnicate", nullptr, "!unknown option \"--frobnicate\""},
    {"--fps 3", nullptr, "!unexpected argument \"3\""},
    {"---root", nullptr, "!unknown option \"---root\""},
    {"--delay 10000001", nullptr, "!--delay: \"10000001\" is not a whole number from 0 to 10000000"},
    {"--morph-interval 99999999999999999999999", nullptr, "!--morph-interval: \"9999"},
    {"--painting", nullptr, "!--painting needs a whole number from 0 to 10"},
    {"--resolution 4294967616x480", nullptr, "!--resolution: \"4294967616x480\""},
    {"--resolution 319x480", nullptr, "!--resolution: \"319x480\""},
    {"--seed 4", nullptr, "!--seed works only with --snapshot"},
    {"--copy-pattern Tavo", nullptr, "!--copy-pattern needs NAME NEW"},
    // the snapshot: its own options keep their meaning, the settings rows apply there too
    {"--snapshot d", nullptr, "snap d p0 s1 640x480 d32 t5 f1 m-2 e-"},
    {"--snapshot out --pattern 14 --seed 4294967295 --resolution 1920x1080 --depth 16 --seconds 2.5 --fps 4 "
     "--names --double-size --paint --morph-to 12 --effect w",
     nullptr, "snap out p14 s4294967295 1920x1080 d16 t2.5 f4 paint m12 ew"},
    {"-snapshot d -snapshot-fps 0.5 -seconds 4 -morph-to random -fps", nullptr,
     "snap d p0 s1 640x480 d32 t4 f0.5 m-1 e-"},
    {"--snapshot d --pattern 15", nullptr, "!--pattern: --snapshot draws a standard pattern"},
    {"--snapshot d --pattern random", nullptr, "!--pattern: --snapshot draws"},
    {"--snapshot d --pattern -1", nullptr, "!--pattern: --snapshot"},
    {"--snapshot d --depth 8", nullptr, "!--depth: \"8\""},
    {"--snapshot d --depth 17", nullptr, "!--depth: \"17\" is not 16, 24 or 32"},
    {"--snapshot d --seconds nan", nullptr, "!--seconds: \"nan\""},
    {"--snapshot d --fps 0", nullptr, "!--fps: \"0\" is not a number above 0"},
    {"--snapshot d --seed 4294967296", nullptr, "!--seed: \"4294967296\""},
    {"--snapshot d --seconds 0.1", nullptr, "!--seconds x --snapshot-fps gives no frame"},
    {"--snapshot d --effect X", nullptr, "!--effect: \"X\""},
    {"--snapshot d --effect CF", nullptr, "!--effect: \"CF\""},
    {"--snapshot d --morph-to 15", nullptr, "!--morph-to: \"15\""},
    {"--snapshot d --snapshot e", nullptr, "!--snapshot: only one"},
    {"--snapshot", nullptr, "!--snapshot needs DIR"},
};
INSTANTIATE_TEST_SUITE_P(CommandLine, ParseRows, ::testing::ValuesIn(kRows));

TEST(CommandLine, RunSettingsOverTheLoadedOnesWithoutTouchingOthers) {
    // clang-format off
    const char *args[] = {"tavo", "--no-morph", "--morph-interval", "3600", "--morph-duration", "1", "--names",
                          "--hints", "--double-size", "--painting", "10", "--brightness", "0",
                          "--no-random-background", "--physics-rate", "10000000", "--resolution", "1920x1080",
                          "--fps", "--delay", "16667", "--pattern", "random"};
    // clang-format on
    static CommandLine c;
    char error[200];
    ASSERT_TRUE(ParseCommandLine(static_cast<int>(std::size(args)), args, nullptr, &c, error, sizeof error));
    ASSERT_TRUE(SetRunSettings(&c, error, sizeof error));
    gMorphSettings = gShowNames = gShowHints = gDoubleSize = gRandomBackground = 7;
    gMorphInterval = gMorphDuration = gPaintingMode = gBackgroundBrightness = gUseRandomPreset = 7;
    gShowMoreOptions = 7;
    gPhysicsRate = 7;
    ASSERT_NE(gApplyRunSettings, nullptr);
    gApplyRunSettings();
    const int32_t got[] = {gMorphSettings,    gMorphInterval,   gMorphDuration,   gShowNames,
                           gShowHints,        gDoubleSize,      gPaintingMode,    gBackgroundBrightness,
                           gRandomBackground, gUseRandomPreset, gShowMoreOptions, gShowFps,
                           gResolutionStored};
    const int32_t want[] = {0, 3600, 1, 1, 1, 1, 10, 0, 0, 1, 7, 1, 1};
    EXPECT_TRUE(std::equal(std::begin(got), std::end(got), std::begin(want)));
    EXPECT_EQ(gPhysicsRate, 10000000u);
    EXPECT_EQ(gFrameDelayUs, 16667u);
    EXPECT_STREQ(gResolution, "1920 x 1080");

    const char *back[] = {"tavo", "--morph", "--no-names", "--no-fps"};
    ASSERT_TRUE(ParseCommandLine(4, back, nullptr, &c, error, sizeof error));
    ASSERT_TRUE(SetRunSettings(&c, error, sizeof error));
    gApplyRunSettings();
    EXPECT_EQ(gMorphSettings + gShowNames * 2 + gShowFps * 4, 1);
    SetRunSettings(nullptr, error, sizeof error);
    EXPECT_EQ(gApplyRunSettings, nullptr);
    gShowFps = 0;
    gFrameDelayUs = 0;
    gResolutionStored = 0;
    gPhysicsRate = 50000;
    snprintf(gResolution, sizeof gResolution, "640 x 480");
}

TEST(CommandLine, WholeNumbersNeverWrap) {
    const struct {
        const char *text;
        int64_t low, high;
        bool ok;
        int64_t value;
    } rows[] = {
        {"0", 0, 1, true, 0},
        {"-0", 0, 1, true, 0},
        {"3600", 0, 3600, true, 3600},
        {"3601", 0, 3600, false, 0},
        {"-1", 0, 3600, false, 0},
        {"-5", -10, 10, true, -5},
        {"4294967296", 0, 0xFFFFFFFFll, false, 0},
        {"9223372036854775807", 0, INT64_MAX, true, INT64_MAX},
        {"9223372036854775808", 0, INT64_MAX, false, 0},
        {"18446744073709551617", 0, INT64_MAX, false, 0},
        {"", 0, 1, false, 0},
        {"-", 0, 1, false, 0},
        {"+1", 0, 1, false, 0},
        {" 1", 0, 1, false, 0},
        {"1 ", 0, 1, false, 0},
        {"0x10", 0, 100, false, 0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.text);
        int64_t value = -99;
        EXPECT_EQ(ParseWholeNumber(r.text, r.low, r.high, &value), r.ok);
        EXPECT_EQ(value, r.ok ? r.value : -99);
    }
}

TEST(CommandLine, HelpListsEveryOptionOfTheTable) {
    FILE *out = tmpfile();
    PrintHelp(out);
    std::string help(static_cast<size_t>(ftell(out)), '\0');
    rewind(out);
    help.resize(fread(help.data(), 1, help.size(), out));
    fclose(out);
    for (int k = 0; k < kOptionCount; ++k) {
        if (!kOptions[k].help) continue;
        EXPECT_NE(help.find(std::string("--") + kOptions[k].name + (kOptions[k].argName ? " " : "")),
                  std::string::npos)
            << kOptions[k].name;
    }
    EXPECT_EQ(help.find('\t'), std::string::npos);
}

} // namespace
