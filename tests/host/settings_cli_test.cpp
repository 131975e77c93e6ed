// The settings commands of the command line, run against a settings file of the test's own.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/memory.h"
#include "platform/store.h"
#include "support/scripted.h"

namespace {

namespace fs = std::filesystem;

class SettingsCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int counter = 0;
        dir_ = fs::temp_directory_path() /
               ("tavo-cli-" + std::to_string(++counter) + "-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        file_ = (dir_ / "my.reg").string();
        srand(std::random_device{}()); // the temporary log's name draws on rand(): apart from parallel test
                                       // runs
        InstallTemporaryLog();
        InstallMessageBoxRecorder();
    }
    void TearDown() override {
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
        UninstallMessageBoxRecorder();
        UninstallTemporaryLog();
        SetStoreBackend(nullptr);
        SetRegFilePath(nullptr);
        fs::remove_all(dir_);
    }
    // Runs the command line with "--settings-file FILE" in front; returns the exit code.
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"tavo", "--settings-file", file_});
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(args.size());
        FILE *out = tmpfile(), *err = tmpfile();
        const int code = RunSettingsCommandTo(&argc, argv.data(), &handled_, out, err);
        out_ = Slurp(out);
        err_ = Slurp(err);
        rest_.assign(argv.begin() + 1, argv.begin() + argc);
        return code;
    }
    static std::string Slurp(FILE *f) {
        std::string text;
        rewind(f);
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, got);
        fclose(f);
        return text;
    }
    fs::path dir_;
    std::string file_, out_, err_;
    std::vector<std::string> rest_;
    bool handled_ = false;
};

TEST_F(SettingsCliTest, SettingsFileAloneIsTakenOutAndLeavesTheRest) {
    EXPECT_EQ(Run({"--window", "-root"}), 0);
    EXPECT_FALSE(handled_);
    EXPECT_EQ(rest_, (std::vector<std::string>{"--window", "-root"}));
    EXPECT_STREQ(RegFilePath(), file_.c_str());
}

TEST_F(SettingsCliTest, SetWritesOneCheckedValueThatSettingsPrints) {
    EXPECT_EQ(Run({"--set", "morph duration=250", "--set", "Resolution=1024x768", "--settings"}), 0);
    EXPECT_TRUE(handled_);
    EXPECT_NE(out_.find("Morph Duration=250\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("Resolution=1024 x 768\n"), std::string::npos);
    EXPECT_NE(out_.find("Physics Rate=50000\n"), std::string::npos);
    std::ifstream in(file_);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("Show Names"), std::string::npos) << "only the values set are written";
}

TEST_F(SettingsCliTest, OutOfRangeOrUnknownSettingsAreRefusedAndNothingIsWritten) {
    EXPECT_EQ(Run({"--set", "Morph Duration=0"}), 2);
    EXPECT_NE(err_.find("\"Morph Duration\" must be a whole number from 1 to 20000, not \"0\""),
              std::string::npos);
    EXPECT_EQ(Run({"--set", "Painting Mode=3x"}), 2);
    EXPECT_EQ(Run({"--set", "Preset=15"}), 2) << "only 15 patterns";
    EXPECT_EQ(Run({"--set", "Resolution=10 x 10"}), 2);
    EXPECT_EQ(Run({"--set", "Colour=1"}), 2);
    EXPECT_NE(err_.find("there is no setting called \"Colour\""), std::string::npos);
    EXPECT_EQ(Run({"--set"}), 2);
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(SettingsCliTest, ListShowsModifiedAndExcludedPatterns) {
    std::ofstream(file_)
        << "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\n\"Preset\"=dword:0000000f\n"
           "\"Don't Use Presets\"=\"03\"\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\tavo]\n"
           "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\Mine]\n";
    EXPECT_EQ(Run({"--list-patterns"}), 0);
    EXPECT_NE(out_.find("   0  tavo (Modified)\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("   3  Spirograph  [not used]\n"), std::string::npos);
    EXPECT_NE(out_.find("* 15  Mine\n"), std::string::npos);
}

// The settings file as the command line meets it: unusable ones are refused with the system's reason and
// the exit code that tells a bad path (2) from an unreadable file (1); what a save could not keep is named.
TEST_F(SettingsCliTest, TheSettingsFileIsUsedWhateverItsPathOrRefusedWithItsReason) {
    std::string deep = dir_.string();
    for (int k = 0; k < 5; ++k)
        deep += "/" + std::string(220, static_cast<char>('a' + k));
    const struct {
        const char *what;
        std::string file;
        std::string contents; // "<dir>" makes a folder there
        RegFileFault fault;
        int code;
        std::string err;
    } kRows[] = {
        {"a folder", file_, "<dir>", REGFILE_FAULT_NONE, 1,
         "cannot read \"" + file_ + "\": not a regular file"},
        {"path too long", dir_.string() + "/" + std::string(300, 'x') + "/my.reg", "", REGFILE_FAULT_NONE, 2,
         strerror(ENAMETOOLONG)},
        {"path over 1023 bytes", deep + "/my.reg", "", REGFILE_FAULT_NONE, 0, ""},
        {"comments", file_, "REGEDIT4\r\n; mine\r\n", REGFILE_FAULT_NONE, 0,
         "line 2 (comments or lines that could not be read) could not be kept"},
        {"full disk", file_, "", REGFILE_FAULT_WRITE, 1, strerror(ENOSPC)},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(file_);
        if (row.contents == "<dir>")
            fs::create_directories(row.file);
        else if (!row.contents.empty())
            std::ofstream(row.file, std::ios::binary) << row.contents;
        const std::string kept = file_;
        file_ = row.file;
        SetRegFileFault(row.fault, 1);
        EXPECT_EQ(Run({"--set", "Show Names=1"}), row.code) << err_;
        SetRegFileFault(REGFILE_FAULT_NONE, 0);
        file_ = kept;
        EXPECT_NE(err_.find(row.err), std::string::npos) << err_;
        if (row.code == 0) {
            std::ifstream in(row.file, std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), {}};
            EXPECT_NE(text.find("\"Show Names\"=dword:00000001"), std::string::npos)
                << "the file named, no other";
        }
    }
}

} // namespace
