// The headless renderer run twice from one command line: the same files, and the run's settings reach it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#ifdef TAVO_HAVE_LIBPNG
#include <unistd.h>
#endif

#include "host/options.h"

namespace {

#ifdef TAVO_HAVE_LIBPNG
std::string ReadAll(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Snapshot(const std::string &dir, bool names) {
    std::vector<const char *> args = {"tavo",      "--snapshot", dir.c_str(), "--pattern", "5",
                                      "--seconds", "1",          "--fps",     "2"};
    if (names) args.push_back("--names");
    static CommandLine c;
    char error[200];
    if (!ParseCommandLine(static_cast<int>(args.size()), args.data(), nullptr, &c, error, sizeof error) ||
        !SetRunSettings(&c, error, sizeof error))
        return -1;
    const int code = RunSnapshot(c.snap);
    SetRunSettings(nullptr, error, sizeof error);
    return code;
}

TEST(SnapshotRun, SameArgumentsWriteTheSameFilesAndTheNamesOptionShows) {
    const auto base =
        std::filesystem::temp_directory_path() / ("tavo-snapshot-test-" + std::to_string(getpid()));
    ASSERT_EQ(Snapshot((base / "a").string(), true), 0);
    ASSERT_EQ(Snapshot((base / "b").string(), true), 0);
    ASSERT_EQ(Snapshot((base / "c").string(), false), 0);
    for (const char *name : {"pattern-05-frame-0001.png", "pattern-05-frame-0002.png"}) {
        const std::string fa = ReadAll(base / "a" / name), fb = ReadAll(base / "b" / name);
        ASSERT_GT(fa.size(), 100u) << name;
        EXPECT_EQ(fa.substr(1, 3), "PNG");
        EXPECT_TRUE(fa == fb) << name;
        EXPECT_FALSE(fa == ReadAll(base / "c" / name)) << "the name is drawn in " << name;
    }
    EXPECT_FALSE(std::filesystem::exists(base / "a" / "pattern-05-frame-0003.png"));
    std::filesystem::remove_all(base);
}
#endif

} // namespace
