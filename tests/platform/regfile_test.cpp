// The settings file: what it reads of regedit's formats, what it writes, and how it survives broken files and
// failing writes without losing what is already stored.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "patterns/patterns.h"
#include "platform/store.h"
#include "platform/store_tree.h"
#include "support/scripted.h"

namespace {

namespace fs = std::filesystem;

std::string Utf16(const std::u16string &text) {
    std::string out = "\xff\xfe";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

class RegFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int counter = 0;
        dir_ = fs::temp_directory_path() /
               ("tavo-regfile-" + std::to_string(++counter) + "-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        path_ = (dir_ / "tavo.reg").string();
        SetRegFilePath(path_.c_str());
        SetStoreBackend(RegFileStoreBackend());
        srand(std::random_device{}()); // the temporary log's name draws on rand(): apart from parallel test
                                       // runs
        InstallTemporaryLog();
        InstallMessageBoxRecorder();
    }
    void TearDown() override {
        SetRegFileFault(REGFILE_FAULT_NONE, 0);
        UninstallMessageBoxRecorder();
        UninstallTemporaryLog();
        SetStoreBackend(nullptr);
        SetRegFilePath(nullptr);
        fs::remove_all(dir_);
    }
    void WriteFile(const std::string &bytes, const std::string &name = "tavo.reg") {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string FileText(const std::string &name = "tavo.reg") {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string Read(const char *path, const char *name) {
        StoreKey key;
        if (StoreOpenKey(path, STORE_READ, &key) != STORE_SUCCESS) return "<no key>";
        char data[64];
        uint32_t type = 0, size = sizeof data;
        const int32_t result = StoreReadValue(key, name, &type, data, &size);
        StoreCloseKey(key);
        return result == STORE_SUCCESS ? std::string(data, size) : "<missing>";
    }
    static int32_t Write(const char *path, const char *name, uint32_t value) {
        StoreKey key;
        int32_t result = StoreCreateKey(path, &key);
        if (result != STORE_SUCCESS) return result;
        result = StoreWriteValue(key, name, STORE_DWORD, &value, 4);
        StoreCloseKey(key);
        return result;
    }
    static std::string Dword(uint32_t v) { return std::string(reinterpret_cast<const char *>(&v), 4); }
    std::string TakeProblem() {
        char text[2500];
        return StoreTakeProblem(text, sizeof text) ? text : "";
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(RegFileTest, ReadsRegeditUtf16ExportWithContinuedHexAndCodePageText) {
    WriteFile(Utf16(u"Windows Registry Editor Version 5.00\r\n\r\n"
                    u"[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\Caf\u00e9 \u20ac]\r\n"
                    u"\"Trail Length\"=dword:0000012c\r\n"
                    u"\"Spiral Inc\"=hex:18,2d,44,54,fb,21,\\\r\n  f9,3f\r\n"
                    u"\"Note\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
                    u"\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"));
    const char *key = "Software\\Halvex\\Tavo\\caf\xc9 \x80";
    EXPECT_EQ(Read(key, "trail length"), Dword(300));
    const double halfPi = 1.5707963267948966;
    EXPECT_EQ(Read(key, "Spiral Inc"), std::string(reinterpret_cast<const char *>(&halfPi), 8));
    EXPECT_EQ(Read(key, "Note"), std::string("say \"hi\" C:\\x\0", 14));
    EXPECT_EQ(Read(key, "Path"), std::string("%A%\0", 4)) << "UTF-16 string data becomes 8-bit text";
    EXPECT_EQ(TakeProblem(), "");
}

TEST_F(RegFileTest, ReadsRegedit4AndAppliesDeletionsAndMerges) {
    WriteFile(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\n\"Preset\"=dword:00000001\n\"Gone\"=\"x\"\n"
        "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\Old]\n\"A\"=dword:1\n"
        "[-HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\Old]\n"
        "[hkey_current_user\\software\\halvex\\TAVO]\n\"preset\"=dword:00000002\n\"Gone\"=-\n"
        "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\New]\n\"Bytes\"=hex(2):41,00\n");
    EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(2)) << "a repeated section merges, the later value winning";
    EXPECT_EQ(Read(SETTINGS_KEY, "Gone"), "<missing>");
    EXPECT_EQ(Read(SETTINGS_KEY "\\Old", "A"), "<no key>");
    EXPECT_EQ(Read(SETTINGS_KEY "\\New", "Bytes"), std::string("A\0", 2))
        << "REGEDIT4 hex(2) is 8-bit already";
}

TEST_F(RegFileTest, WritesEightBitTextRegeditImports) {
    StoreKey key;
    ASSERT_EQ(StoreCreateKey(SETTINGS_KEY "\\Caf\xe9", &key), STORE_SUCCESS);
    const uint32_t dword = 0x1F;
    const unsigned char spiral[10] = {1, 2, 3, 0xAB, 0, 0, 0, 0, 0, 0xFF};
    StoreWriteValue(key, "Trail Length", STORE_DWORD, &dword, 4);
    StoreWriteValue(key, "Say \"\\\"", STORE_SZ, "a\\b\"c", 5);
    StoreWriteValue(key, "Spiral Inc", STORE_BINARY, spiral, 10);
    StoreWriteValue(key, "Odd", 11, "\x01\x02", 2);
    StoreCloseKey(key);
    EXPECT_EQ(FileText(), "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Halvex]\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\Caf\xe9]\r\n"
                          "\"Trail Length\"=dword:0000001f\r\n"
                          "\"Say \\\"\\\\\\\"\"=\"a\\\\b\\\"c\"\r\n"
                          "\"Spiral Inc\"=hex:01,02,03,ab,00,00,00,00,00,ff\r\n"
                          "\"Odd\"=hex(b):01,02\r\n\r\n");
    SetRegFilePath(path_.c_str()); // forget what is in memory: everything comes back from the file
    EXPECT_EQ(Read(SETTINGS_KEY "\\CAF\xc9", "Say \"\\\""), std::string("a\\b\"c\0", 6));
    EXPECT_EQ(Read(SETTINGS_KEY "\\Caf\xe9", "Spiral Inc"),
              std::string(reinterpret_cast<const char *>(spiral), 10));
    EXPECT_EQ(Read(SETTINGS_KEY "\\Caf\xe9", "Odd"), "\x01\x02");
}

TEST_F(RegFileTest, SettingsSurviveTheRoundTripThroughTheFile) {
    ResetMemoryStore();
    SetStoreBackend(RegFileStoreBackend());
    Write(SETTINGS_KEY, "Preset", 3);
    SetRegFilePath(path_.c_str());
    // another process's save is seen at the next open
    std::string text = FileText();
    text += "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\r\n\"Preset\"=dword:00000004\r\n";
    WriteFile(text);
    EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(4));
}

TEST_F(RegFileTest, BrokenFilesLoadWhatTheyCanAndAreReportedOnce) {
    const std::string good =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\r\n"
        "\"Preset\"=dword:00000007\r\n";
    const std::string cases[] = {
        good + "\"Morph Duration\"=dword:0000\r\n\"Morph Inter", // truncated in the middle of a line
        good + std::string("\x00\x01\xfe\x89junk\x7f\r\n\"x\"=hex:zz\r\n", 22), // binary junk
        good + "\"Big\"=\"" + std::string(10 * 1024 * 1024, 'b') + "\r\n", // a 10 MB line without its quote
        good +
            "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\r\n\"Preset\"=dword:00000007\r\n\"Preset\"=bad\r\n",
    };
    for (const std::string &bytes : cases) {
        WriteFile(bytes);
        SetRegFilePath(path_.c_str());
        EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(7));
        const std::string problem = TakeProblem();
        EXPECT_NE(problem.find("could not be read and were skipped"), std::string::npos)
            << problem << bytes.size();
        EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(7));
        EXPECT_EQ(TakeProblem(), "") << "told once";
    }
    // a UTF-16 file of odd length loses only its half character
    std::string odd =
        Utf16(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\r\n"
              u"\"Preset\"=dword:00000007\r\n");
    WriteFile(odd + "\x41");
    SetRegFilePath(path_.c_str());
    EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(7));
    EXPECT_NE(TakeProblem().find("half a character"), std::string::npos);
}

TEST_F(RegFileTest, FirstSaveOverUnreadableLinesKeepsTheOldFile) {
    const std::string old =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\r\nwhat is this\r\n\"Preset\"=dword:1\r\n";
    WriteFile(old);
    ASSERT_EQ(Write(SETTINGS_KEY, "Morph Interval", 9), STORE_SUCCESS);
    EXPECT_EQ(FileText("tavo.reg.bak"), old);
    EXPECT_EQ(FileText().find("what is this"), std::string::npos);
    EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(1));
    EXPECT_NE(TakeProblem().find("tavo.reg.bak"), std::string::npos);
    fs::remove(dir_ / "tavo.reg.bak");
    ASSERT_EQ(Write(SETTINGS_KEY, "Morph Interval", 10), STORE_SUCCESS);
    EXPECT_FALSE(fs::exists(dir_ / "tavo.reg.bak")) << "a clean file needs no copy";
}

TEST_F(RegFileTest, FailingWritesLeaveTheOldFileAndTheStoreAsTheyWere) {
    ASSERT_EQ(Write(SETTINGS_KEY, "Preset", 5), STORE_SUCCESS);
    const std::string before = FileText();
    for (RegFileFault fault :
         {REGFILE_FAULT_OPEN, REGFILE_FAULT_WRITE, REGFILE_FAULT_FLUSH, REGFILE_FAULT_RENAME}) {
        SetRegFileFault(fault, 1);
        EXPECT_EQ(Write(SETTINGS_KEY, "Preset", 6), STORE_CANT_WRITE) << fault;
        EXPECT_EQ(FileText(), before);
        EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), Dword(5));
        SetRegFileFault(fault, 1);
        EXPECT_EQ(Write(SETTINGS_KEY "\\New", "A", 1), STORE_CANT_WRITE);
        EXPECT_EQ(Read(SETTINGS_KEY "\\New", "A"), "<no key>")
            << "a key that could not be saved does not exist";
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(dir_))
        ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

// Files of kinds, links and modes that only a POSIX file system has.
#ifndef _WIN32
// What is at the settings path when it is not a plain, small file: each is refused with the system's reason,
// read as no settings, and left exactly as it is.
TEST_F(RegFileTest, OnlyARegularFileOfAtMost16MiBIsReadAndOthersAreNeverWrittenOver) {
    const fs::path file = dir_ / "tavo.reg";
    const struct {
        const char *what;
        std::function<std::string()> make; // returns the path to use
        const char *reason;
    } kCases[] = {
        {"folder",
         [&] {
             fs::create_directories(file);
             return file.string();
         },
         "not a regular file"},
        {"FIFO",
         [&] {
             mkfifo(file.c_str(), 0600);
             return file.string();
         },
         "not a regular file"},
        {"device", [] { return std::string("/dev/zero"); }, "not a regular file"},
        {"17 MiB",
         [&] {
             WriteFile("REGEDIT4\r\n");
             fs::resize_file(file, 17u << 20);
             return file.string();
         },
         "larger than 16 MiB"},
        {"link loop",
         [&] {
             fs::create_symlink("tavo.reg", file);
             return file.string();
         },
         strerror(ELOOP)},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(file);
        const std::string path = c.make();
        const auto before = fs::symlink_status(path).type();
        SetRegFilePath(path.c_str());
        EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), "<no key>");
        char why[2500];
        EXPECT_EQ(RegFileReadProblem(why, sizeof why), 1);
        EXPECT_EQ(std::string(why), "cannot read \"" + path + "\": " + c.reason);
        EXPECT_NE(TakeProblem().find(why), std::string::npos);
        EXPECT_EQ(Write(SETTINGS_KEY, "Preset", 1), STORE_CANT_WRITE);
        StoreErrorText(STORE_CANT_WRITE, why, sizeof why);
        EXPECT_NE(std::string(why).find(c.reason), std::string::npos) << why;
        EXPECT_EQ(fs::symlink_status(path).type(), before);
        if (before == fs::file_type::regular) {
            EXPECT_EQ(fs::file_size(path), 17u << 20);
        }
    }
    fs::remove_all(file);
    WriteFile("REGEDIT4\r\n");
    SetRegFilePath(path_.c_str());
    EXPECT_EQ(Write(SETTINGS_KEY, "Preset", 1), STORE_SUCCESS);
    EXPECT_EQ(RegFileReadProblem(nullptr, 0), 0) << "a file that reads again is used again";
}

// A save writes the file the user keeps: through a link, with its mode, at a path of any length, and tells
// why when it cannot.
TEST_F(RegFileTest, SavesKeepLinksModesAndLongPathsAndSayWhyTheyFail) {
    fs::create_directories(dir_ / "real");
    std::ofstream(dir_ / "real" / "kept.reg") << "REGEDIT4\r\n";
    fs::permissions(dir_ / "real" / "kept.reg", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real/kept.reg", dir_ / "tavo.reg");
    ASSERT_EQ(Write(SETTINGS_KEY, "Preset", 2), STORE_SUCCESS);
    EXPECT_TRUE(fs::is_symlink(dir_ / "tavo.reg"));
    EXPECT_NE(FileText("real/kept.reg").find("\"Preset\"=dword:00000002"), std::string::npos);
    EXPECT_EQ(fs::status(dir_ / "real" / "kept.reg").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    SetRegFileFault(REGFILE_FAULT_WRITE, 1);
    EXPECT_EQ(Write(SETTINGS_KEY, "Preset", 3), STORE_CANT_WRITE);
    char why[2500];
    StoreErrorText(STORE_CANT_WRITE, why, sizeof why);
    EXPECT_NE(std::string(why).find(strerror(ENOSPC)), std::string::npos) << why;

    std::string deep = dir_.string();
    for (int k = 0; k < 6; ++k)
        deep += "/" + std::string(200, static_cast<char>('a' + k));
    const std::string longPath = deep + "/tavo.reg";
    SetRegFilePath(longPath.c_str());
    ASSERT_EQ(Write(SETTINGS_KEY, "Preset", 4), STORE_SUCCESS);
    EXPECT_TRUE(fs::is_regular_file(longPath)) << "the very file named, not a cut-off one";
    const std::string tooLong = dir_.string() + "/" + std::string(300, 'x') + "/tavo.reg";
    SetRegFilePath(tooLong.c_str());
    EXPECT_EQ(Read(SETTINGS_KEY, "Preset"), "<no key>");
    EXPECT_EQ(RegFileReadProblem(why, sizeof why), 2) << why;
    EXPECT_NE(Write(SETTINGS_KEY, "Preset", 4), STORE_SUCCESS);
}
#endif

// What a save cannot write back as it was read (comments, texts outside the code page) is kept in a copy,
// and the lines are named; names outside the code page are written back intact, in UTF-16.
TEST_F(RegFileTest, SavesKeepNamesOutsideTheCodePageAndCopyWhatTheyCannotKeep) {
    const std::string old = Utf16(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                  u"; my patterns\r\n"
                                  u"[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\\u0416 1]\r\n"
                                  u"\"Trail Length\"=dword:00000001\r\n"
                                  u"[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\\u0414 1]\r\n"
                                  u"\"Trail Length\"=dword:00000002\r\n"
                                  u"\"Note\"=\"\u65e5\"\r\n");
    WriteFile(old);
    StoreKey key;
    ASSERT_EQ(StoreOpenKey(SETTINGS_KEY, STORE_READ, &key), STORE_SUCCESS);
    char name[STORE_NAME_BUFFER];
    uint32_t size = sizeof name;
    ASSERT_EQ(StoreEnumKey(key, 0, name, &size), STORE_SUCCESS);
    EXPECT_EQ(std::string(name), "? 1") << "shown as the registry shows it to 8-bit programs";
    StoreCloseKey(key);
    ASSERT_EQ(Write(SETTINGS_KEY, "Preset", 1), STORE_SUCCESS);
    EXPECT_EQ(FileText("tavo.reg.bak"), old);
    EXPECT_NE(
        TakeProblem().find("lines 3 and 8 (comments or lines that could not be read) could not be kept"),
        std::string::npos);
    const std::string saved = FileText();
    EXPECT_EQ(saved.substr(0, 2), "\xff\xfe");
    for (const char16_t *part :
         {u"\\\u0416 1]\r\n\"Trail Length\"=dword:00000001",
          u"\\\u0414 1]\r\n\"Trail Length\"=dword:00000002", u"\"Preset\"=dword:00000001"})
        EXPECT_NE(saved.find(Utf16(part).substr(2)), std::string::npos);
    fs::remove(dir_ / "tavo.reg.bak");
    ASSERT_EQ(Write(SETTINGS_KEY, "Preset", 2), STORE_SUCCESS);
    EXPECT_FALSE(fs::exists(dir_ / "tavo.reg.bak")) << "its own file it keeps whole";
}

TEST_F(RegFileTest, ParserNeverLosesALineItWroteItself) {
    StoreTree tree;
    const std::string text =
        "Windows Registry Editor Version 5.00\n[HKCU\\A\\B]\n@=\"default\"\n\"n\"=hex(7):41,00,00,00\n"
        "\"long\"=hex:" +
        std::string("00,").append("00") + "\n";
    const RegParseResult first = RegTextParse(text.data(), text.size(), &tree);
    EXPECT_EQ(first.badLines, 0);
    StoreTree again;
    const std::string written = RegTextWrite(tree);
    const RegParseResult second = RegTextParse(written.data(), written.size(), &again);
    EXPECT_EQ(second.badLines, 0);
    EXPECT_EQ(RegTextWrite(again), written);
    EXPECT_NE(written.find("[HKEY_CURRENT_USER\\A\\B]\r\n@=\"default\""), std::string::npos);
}

} // namespace
