// The settings commands of the command line against a settings file of the test's own: each row runs one
// command line and checks its exit code, what it printed, and the file; a refused command leaves the file
// byte for byte as it was.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/options.h"
#include "host/terminal.h"
#include "patterns/patterns.h"
#include "platform/memory.h"
#include "platform/store.h"
#include "support/scripted.h"

namespace {

namespace fs = std::filesystem;

const char kKey[] = "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo";
const std::string kBase = std::string("REGEDIT4\n") + kKey + "]\n\"Preset\"=dword:0000000f\n" +
                          "\"Don't Use Presets\"=\"03\"\n" + kKey + "\\tavo]\n" + kKey +
                          "\\Mine]\n\"Trail Length\"=dword:0000012c\n";

struct Row {
    std::vector<std::string> args;
    int code;
    std::vector<std::string> out = {}; // each printed on standard output
    std::string err = "";              // printed on standard error ("" nothing)
    std::string file = "";             // in the file afterwards
    std::string setup = kBase;
    int utf8 = 0;
};

std::string Slurp(FILE *f) {
    std::string text;
    rewind(f);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, got);
    fclose(f);
    return text;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SettingsCommands : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tavo-cli-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        file_ = (dir_ / "my.reg").string();
        srand(std::random_device{}()); // the temporary log's name draws on rand()
        InstallTemporaryLog();
    }
    void TearDown() override {
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
        UninstallTemporaryLog();
        SetStoreBackend(nullptr);
        SetRegFilePath(nullptr);
        SetTerminalUtf8(-1);
        fs::remove_all(dir_);
    }
    fs::path dir_;
    std::string file_;
};

TEST_P(SettingsCommands, RunAsTheDialogWouldAndLoseNothing) {
    const Row &row = GetParam();
    if (!row.setup.empty()) std::ofstream(file_, std::ios::binary) << row.setup;
    const std::string before = ReadFile(file_);
    std::vector<std::string> args = {"tavo", "--settings-file", file_};
    args.insert(args.end(), row.args.begin(), row.args.end());
    std::vector<const char *> argv;
    for (const std::string &a : args)
        argv.push_back(a.c_str());
    static CommandLine line;
    char error[320];
    ASSERT_TRUE(
        ParseCommandLine(static_cast<int>(argv.size()), argv.data(), nullptr, &line, error, sizeof error))
        << error;
    SetRegFilePath(line.settingsFile);
    SetStoreBackend(RegFileStoreBackend());
    SetTerminalUtf8(row.utf8);
    FILE *out = tmpfile(), *err = tmpfile();
    EXPECT_EQ(RunSettingsCommands(line, out, err), row.code);
    const std::string printed = Slurp(out), complaint = Slurp(err), after = ReadFile(file_);
    for (const std::string &text : row.out)
        EXPECT_NE(printed.find(text), std::string::npos) << text << " in:\n" << printed;
    if (row.err.empty())
        EXPECT_EQ(complaint, "");
    else
        EXPECT_NE(complaint.find(row.err), std::string::npos) << complaint;
    EXPECT_NE(after.find(row.file), std::string::npos) << after;
    if (row.code != 0) {
        EXPECT_EQ(after, before) << "a refused command changed the file";
    }
}

const std::string kLong(31, 'n');

const Row kRows[] = {
    {{"--list-patterns"},
     0,
     {"   0  tavo (Modified)\n", "   3  Spirograph  [not used]\n", "* 15  Mine (user)\n"}},
    {{"--set", "morph duration=250", "--set", "Resolution=1024x768", "--settings"},
     0,
     {"Morph Duration=250\n", "Resolution=1024 x 768\n", "Physics Rate=50000\n"},
     "",
     "\"Morph Duration\"=dword:000000fa"},
    {{"--set", "Morph Duration=0"},
     2,
     {},
     "\"Morph Duration\" must be a whole number from 1 to 20000, not \"0\""},
    {{"--set", "Physics Rate=99999999999999999999"}, 2, {}, "from 0 to 10000000"},
    {{"--set", "Preset=16"}, 2, {}, "from 0 to 15"},
    {{"--set", "Painting Mode=3x"}, 2, {}, "\"Painting Mode\" must be"},
    {{"--set", "Colour=1"}, 2, {}, "there is no setting called \"Colour\""},
    {{"--set", "Resolution=10 x 10"}, 2, {}, "\"Resolution\" must be"},
    // what --settings shows is what the saver uses, and no stored byte reaches the terminal raw
    {{"--settings"},
     0,
     {"Resolution=640 x 480 (the stored \"\\x1b[2J\\\\\" is not a size)\n"},
     "",
     "",
     std::string("REGEDIT4\n") + kKey + "]\n\"Resolution\"=\"\x1b[2J\\\\\"\n"},
    {{"--list-patterns"},
     0,
     {"  15  Evil\\x1b]0;x\\x07 (user)\n"},
     "",
     "",
     std::string("REGEDIT4\n") + kKey + "\\Evil\x1b]0;x\x07]\n"},
    // the library commands: the dialog's operations and refusals
    {{"--copy-pattern", "mine", "Yours", "--list-patterns"},
     0,
     {"  16  Yours (user)\n"},
     "",
     "Yours]\r\n\"Trail Kinkiness\"=dword:0000001e\r\n\"Trail Length\"=dword:0000012c"},
    {{"--copy-pattern", "Mine", "TAVO"},
     2,
     {},
     "There is already a pattern called \"TAVO\". Choose a different"},
    {{"--copy-pattern", "Mine", "a\\b"}, 2, {}, "A pattern name can't contain a backslash."},
    {{"--copy-pattern", "Mine", kLong}, 2, {}, "can't be longer than 30 characters"},
    {{"--copy-pattern", "Mine", ""}, 2, {}, "A pattern needs a name."},
    {{"--copy-pattern", "Nobody", "X"}, 2, {}, "--copy-pattern: there is no pattern called \"Nobody\""},
    {{"--rename-pattern", "Mine", "Ours", "--list-patterns"}, 0, {"* 15  Ours (user)\n"}, "", "\\Ours]"},
    {{"--rename-pattern", "Tavo", "X"}, 2, {}, "You can't rename the standard patterns."},
    {{"--delete-pattern", "Mine", "--list-patterns"}, 0, {"* 14  3D Sea Snakes\n"}},
    {{"--delete-pattern", "Ribbons"}, 2, {}, "You can't delete the standard patterns."},
    {{"--revert-pattern", "tavo", "--list-patterns"}, 0, {"   0  Tavo\n"}},
    {{"--revert-pattern", "Mine"}, 2, {}, "You can only restore the standard patterns"},
    {{"--include-pattern", "Spirograph", "--exclude-pattern", "Jellyfish", "--list-patterns"},
     0,
     {"   3  Spirograph\n", "   4  Jellyfish  [not used]\n"},
     "",
     "\"Don't Use Presets\"=\"04\""},
    {{"--exclude-pattern", "Mine"},
     2,
     {},
     "You can't tick \"Don't use this pattern\" for all patterns!",
     "",
     std::string("REGEDIT4\n") + kKey + "]\n\"Don't Use Presets\"=\"000102030405060708091011121314\"\n" +
         kKey + "\\Mine]\n"},
    {{"--set-pattern", "Mine", "trail length=1000", "--set-pattern", "Mine", "Sparkliness=4"},
     0,
     {},
     "",
     "\"Trail Length\"=dword:000003e8"},
    {{"--set-pattern", "Mine", "Trail Length=1001"},
     2,
     {},
     "\"Trail Length\" must be a whole number from 1 to 1000"},
    {{"--set-pattern", "Mine", "Sparkliness=3"}, 2, {}, "from 4 to 200"},
    {{"--set-pattern", "Mine", "Trail Density=51"}, 2, {}, "from 1 to 50"},
    {{"--set-pattern", "Mine", "Colour=1"}, 2, {}, "needs \"Field=value\""},
    // names typed and shown in UTF-8 where the terminal takes it; stored in the code page
    {{"--copy-pattern", "Mine", "Caf\xc3\xa9 \xe2\x82\xac", "--list-patterns"},
     0,
     {"  Caf\xc3\xa9 \xe2\x82\xac (user)\n"},
     "",
     "\\Caf\xe9 \x80]",
     kBase,
     1},
    {{"--copy-pattern", "Mine", "Caf\xc3\xa9", "--list-patterns"},
     0,
     {"  Caf\\xc3\\xa9 (user)\n"},
     "",
     "\\Caf\xc3\xa9]"},
    {{"--copy-pattern", "Mine", "\xce\xa9"}, 2, {}, "U+03A9 cannot be stored", "", kBase, 1},
    {{"--copy-pattern", "Mine", "\xe9t\xe9"}, 2, {}, "not UTF-8", "", kBase, 1},
};
INSTANTIATE_TEST_SUITE_P(Rows, SettingsCommands, ::testing::ValuesIn(kRows));

// The settings file as the command line meets it: unusable ones are refused with the system's reason and
// the exit code that tells a bad path (2) from an unreadable file (1); what a save could not keep is named.
// Paths, file kinds and system reasons as a POSIX system gives them.
#ifndef _WIN32
// Runs one command line on `file` the way the program does; what it printed on standard error in *err.
int RunOn(const std::string &file, std::vector<std::string> args, std::string *err) {
    args.insert(args.begin(), {"tavo", "--settings-file", file});
    std::vector<const char *> argv;
    for (const std::string &a : args)
        argv.push_back(a.c_str());
    static CommandLine line;
    char error[320];
    if (!ParseCommandLine(static_cast<int>(argv.size()), argv.data(), nullptr, &line, error, sizeof error))
        return -1;
    SetRegFilePath(line.settingsFile);
    SetStoreBackend(RegFileStoreBackend());
    FILE *out = tmpfile(), *errFile = tmpfile();
    const int code = RunSettingsCommands(line, out, errFile);
    Slurp(out);
    *err = Slurp(errFile);
    return code;
}

using SettingsFileTest = SettingsCommands;

TEST_F(SettingsFileTest, TheSettingsFileIsUsedWhateverItsPathOrRefusedWithItsReason) {
    std::string err_;
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
        SetRegFileFault(row.fault, 1);
        EXPECT_EQ(RunOn(row.file, {"--set", "Show Names=1"}, &err_), row.code) << err_;
        SetRegFileFault(REGFILE_FAULT_NONE, 0);
        EXPECT_NE(err_.find(row.err), std::string::npos) << err_;
        if (row.code == 0) {
            std::ifstream in(row.file, std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), {}};
            EXPECT_NE(text.find("\"Show Names\"=dword:00000001"), std::string::npos)
                << "the file named, no other";
        }
    }
}
#endif

} // namespace
