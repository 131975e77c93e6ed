#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#ifdef TAVO_HAVE_LIBPNG
#include <unistd.h>
#endif

#include "host/host.h"

namespace {

bool Parse(std::vector<const char *> args, SnapshotOptions *o, std::string *error) {
    args.insert(args.begin(), "tavo");
    char message[256] = "";
    const bool ok = ParseSnapshotOptions(static_cast<int>(args.size()), const_cast<char **>(args.data()), o,
                                         message, sizeof message);
    *error = message;
    return ok;
}

TEST(SnapshotOptions, EveryOptionIsReadAndBadValuesAreRefusedWithTheirName) {
    SnapshotOptions o;
    std::string error;
    ASSERT_TRUE(
        Parse({"--snapshot", "out", "--pattern", "14", "--seed", "4294967295", "--resolution", "1920x1080",
               "--depth", "16", "--seconds", "2.5", "--fps", "4", "--names", "--double-size", "--paint"},
              &o, &error));
    EXPECT_STREQ(o.directory, "out");
    EXPECT_EQ(o.pattern, 14);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_EQ(o.width, 1920u);
    EXPECT_EQ(o.height, 1080u);
    EXPECT_EQ(o.depth, 16u);
    EXPECT_EQ(o.seconds, 2.5);
    EXPECT_EQ(o.framesPerSecond, 4.0);
    EXPECT_TRUE(o.names && o.doubleSize && o.paint);

    const std::vector<std::vector<const char *>> bad = {
        {"--snapshot", "d", "--pattern", "15"},
        {"--snapshot", "d", "--pattern", "-1"},
        {"--snapshot", "d", "--depth", "8"},
        {"--snapshot", "d", "--resolution", "640x200"},
        {"--snapshot", "d", "--resolution", "640x"},
        {"--snapshot", "d", "--resolution", "-640x480"},
        {"--snapshot", "d", "--seconds", "nan"},
        {"--snapshot", "d", "--fps", "0"},
        {"--snapshot", "d", "--seed", "4294967296"},
        {"--snapshot", "d", "--frobnicate"},
        {"--snapshot"},
        {"--pattern", "3"},
        {"--snapshot", "d", "--seconds", "0.1"},
    };
    for (const auto &args : bad) {
        EXPECT_FALSE(Parse(args, &o, &error)) << args.back();
        EXPECT_FALSE(error.empty());
    }
    Parse({"--snapshot", "d", "--depth", "8"}, &o, &error);
    EXPECT_EQ(error, "bad value '8' for --depth");
}

#ifdef TAVO_HAVE_LIBPNG
std::string ReadAll(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SnapshotRun, SameArgumentsWriteTheSameFiles) {
    const auto base =
        std::filesystem::temp_directory_path() / ("tavo-snapshot-test-" + std::to_string(getpid()));
    ("tavo-snap-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
     std::to_string(reinterpret_cast<uintptr_t>(&base) & 0xFFFF));
    std::string a = (base / "a").string(), b = (base / "b").string(), error;
    SnapshotOptions o;
    ASSERT_TRUE(Parse({"--snapshot", a.c_str(), "--pattern", "5", "--seconds", "1", "--fps", "2", "--names"},
                      &o, &error));
    ASSERT_EQ(RunSnapshot(o), 0);
    ASSERT_TRUE(Parse({"--snapshot", b.c_str(), "--pattern", "5", "--seconds", "1", "--fps", "2", "--names"},
                      &o, &error));
    ASSERT_EQ(RunSnapshot(o), 0);
    for (const char *name : {"pattern-05-frame-0001.png", "pattern-05-frame-0002.png"}) {
        const std::string fa = ReadAll(base / "a" / name), fb = ReadAll(base / "b" / name);
        ASSERT_GT(fa.size(), 100u) << name;
        EXPECT_EQ(fa.substr(1, 3), "PNG");
        EXPECT_TRUE(fa == fb) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(base / "a" / "pattern-05-frame-0003.png"));
    std::filesystem::remove_all(base);
}
#endif

} // namespace
