// The store seam's rules, run against every backend of the build: memory, the .reg file, and (Windows build,
// under Wine) the registry itself below a key of the tests' own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "patterns/patterns.h"
#include "platform/store.h"
#include "support/scripted.h"

namespace {

enum class Backend { Memory, File, Registry };

const char *kBase = "Software\\Halvex\\TavoStoreTest"; // the tests' own key, never the saver's

std::filesystem::path TempDir() {
    static int counter = 0;
    auto dir = std::filesystem::temp_directory_path() /
               ("tavo-store-" + std::to_string(++counter) + "-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    return dir;
}

// Removes a key and everything below it through the seam.
void DeleteTree(const std::string &path) {
    StoreKey key;
    if (StoreOpenKey(path.c_str(), STORE_ALL_ACCESS, &key) != STORE_SUCCESS) return;
    char name[256];
    uint32_t size = sizeof name;
    while (StoreEnumKey(key, 0, name, &size) == STORE_SUCCESS) {
        DeleteTree(path + "\\" + name);
        StoreDeleteKey(key, name);
        size = sizeof name;
    }
    StoreCloseKey(key);
}

class StoreTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        switch (GetParam()) {
            case Backend::Memory:
                ResetMemoryStore();
                SetStoreBackend(MemoryStoreBackend());
                break;
            case Backend::File:
                dir_ = TempDir();
                SetRegFilePath((dir_ / "tavo.reg").string().c_str());
                SetStoreBackend(RegFileStoreBackend());
                break;
            case Backend::Registry:
                SetStoreBackend(SystemStoreBackend());
                DeleteTree(kBase);
                break;
        }
    }
    void TearDown() override {
        if (GetParam() == Backend::Registry) {
            DeleteTree(kBase);
            StoreKey parent;
            if (StoreOpenKey("Software\\Halvex", STORE_ALL_ACCESS, &parent) == STORE_SUCCESS) {
                StoreDeleteKey(parent, "TavoStoreTest");
                StoreCloseKey(parent);
            }
        }
        SetStoreBackend(nullptr);
        SetRegFilePath(nullptr);
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    std::string Path(const char *sub = nullptr) const {
        return sub ? std::string(kBase) + "\\" + sub : kBase;
    }
    StoreKey Create(const char *sub = nullptr) {
        StoreKey key = nullptr;
        EXPECT_EQ(StoreCreateKey(Path(sub).c_str(), &key), STORE_SUCCESS);
        return key;
    }
    std::filesystem::path dir_;
};

TEST_P(StoreTest, MissingKeysAndValuesAreNotFound) {
    StoreKey key;
    EXPECT_EQ(StoreOpenKey(Path("Nowhere").c_str(), STORE_READ, &key), STORE_NOT_FOUND);
    StoreCloseKey(Create());
    ASSERT_EQ(StoreOpenKey(Path().c_str(), STORE_READ, &key), STORE_SUCCESS) << "created keys persist";
    uint32_t value = 0, type = 0, size = 4;
    EXPECT_EQ(StoreReadValue(key, "Missing", &type, &value, &size), STORE_NOT_FOUND);
    StoreCloseKey(key);
}

TEST_P(StoreTest, ValuesComeBackWithTheirTypeAndStoredSize) {
    StoreKey key = Create();
    const uint32_t dword = 0xCAFEF00D;
    const double spiral = 1.0474475511933334;
    ASSERT_EQ(StoreWriteValue(key, "Trail Length", STORE_DWORD, &dword, 4), STORE_SUCCESS);
    ASSERT_EQ(StoreWriteValue(key, "Spiral Inc", STORE_BINARY, &spiral, 8), STORE_SUCCESS);
    ASSERT_EQ(StoreWriteValue(key, "Resolution", STORE_SZ, "800 x 600", 9), STORE_SUCCESS);
    StoreCloseKey(key);

    ASSERT_EQ(StoreOpenKey(Path().c_str(), STORE_READ, &key), STORE_SUCCESS);
    uint32_t type = 0, size = 4, readDword = 0;
    EXPECT_EQ(StoreReadValue(key, "trail length", &type, &readDword, &size), STORE_SUCCESS) << "names fold";
    EXPECT_EQ(type, STORE_DWORD);
    EXPECT_EQ(readDword, 0xCAFEF00Du);

    double readDouble = 0;
    size = 8;
    EXPECT_EQ(StoreReadValue(key, "Spiral Inc", &type, &readDouble, &size), STORE_SUCCESS);
    EXPECT_EQ(type, STORE_BINARY);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(readDouble, spiral);

    unsigned char big[16];
    size = sizeof big;
    EXPECT_EQ(StoreReadValue(key, "Trail Length", &type, big, &size), STORE_SUCCESS);
    EXPECT_EQ(size, 4u) << "a larger buffer learns the stored size, so a short value can be told apart";

    size = 4;
    EXPECT_EQ(StoreReadValue(key, "Spiral Inc", &type, big, &size), STORE_MORE_DATA);
    EXPECT_EQ(size, 8u);

    char text[31] = {};
    size = sizeof text;
    EXPECT_EQ(StoreReadValue(key, "Resolution", &type, text, &size), STORE_SUCCESS);
    EXPECT_EQ(type, STORE_SZ);
    EXPECT_EQ(std::string(text, strnlen(text, size)), "800 x 600");
    EXPECT_GE(size, 9u);
    EXPECT_LE(size, 10u) << "a text comes back with at most its NUL added";
    StoreCloseKey(key);
}

TEST_P(StoreTest, RewritingReplacesAndAccessIsWhatTheKeyWasOpenedFor) {
    StoreKey key = Create();
    const uint32_t one = 1, two = 2;
    ASSERT_EQ(StoreWriteValue(key, "Preset", STORE_DWORD, &one, 4), STORE_SUCCESS);
    ASSERT_EQ(StoreWriteValue(key, "PRESET", STORE_DWORD, &two, 4), STORE_SUCCESS);
    uint32_t value = 0, type, size = 4;
    EXPECT_EQ(StoreReadValue(key, "Preset", &type, &value, &size), STORE_ACCESS_DENIED)
        << "created for writing";
    StoreCloseKey(key);
    ASSERT_EQ(StoreOpenKey(Path().c_str(), STORE_READ, &key), STORE_SUCCESS);
    EXPECT_EQ(StoreReadValue(key, "Preset", &type, &value, &size), STORE_SUCCESS);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(StoreWriteValue(key, "Preset", STORE_DWORD, &one, 4), STORE_ACCESS_DENIED)
        << "opened for query";
    StoreCloseKey(key);
}

TEST_P(StoreTest, SubkeysEnumerateWithoutRegardToCase) {
    for (const char *name : {"Zeta", "alpha", "Beta", "beta two", "3D"})
        StoreCloseKey(Create(name));
    StoreKey key;
    ASSERT_EQ(StoreOpenKey(Path().c_str(), STORE_READ, &key), STORE_SUCCESS);
    std::string order;
    char name[STORE_NAME_BUFFER];
    uint32_t index = 0, size = sizeof name;
    while (StoreEnumKey(key, index++, name, &size) == STORE_SUCCESS) {
        order += std::string(name) + "|";
        size = sizeof name;
    }
    EXPECT_EQ(order, "3D|alpha|Beta|beta two|Zeta|");
    size = sizeof name;
    EXPECT_EQ(StoreEnumKey(key, 5, name, &size), STORE_NO_MORE_ITEMS);
    StoreCloseKey(key);
}

TEST_P(StoreTest, EnumerationReportsNamesLongerThanThirtyAndGoesOn) {
    const std::string thirty(30, 'a'), thirtyOne = "b" + std::string(30, 'b');
    StoreCloseKey(Create(thirty.c_str()));
    StoreCloseKey(Create(thirtyOne.c_str()));
    StoreCloseKey(Create("c"));
    StoreKey key;
    ASSERT_EQ(StoreOpenKey(Path().c_str(), STORE_READ, &key), STORE_SUCCESS);
    char name[STORE_NAME_BUFFER];
    uint32_t size = sizeof name;
    EXPECT_EQ(StoreEnumKey(key, 0, name, &size), STORE_SUCCESS);
    EXPECT_EQ(std::string(name), thirty);
    EXPECT_EQ(size, 30u);
    size = sizeof name;
    EXPECT_EQ(StoreEnumKey(key, 1, name, &size), STORE_MORE_DATA);
    size = sizeof name;
    EXPECT_EQ(StoreEnumKey(key, 2, name, &size), STORE_SUCCESS);
    EXPECT_EQ(std::string(name), "c");
    StoreCloseKey(key);
}

TEST_P(StoreTest, DeleteTakesOnlyKeysWithoutSubkeys) {
    StoreCloseKey(Create("Parent\\Child"));
    StoreKey key;
    ASSERT_EQ(StoreOpenKey(Path().c_str(), STORE_ALL_ACCESS, &key), STORE_SUCCESS);
    EXPECT_NE(StoreDeleteKey(key, "Parent"), STORE_SUCCESS);
    EXPECT_EQ(StoreDeleteKey(key, "Missing"), STORE_NOT_FOUND);
    EXPECT_EQ(StoreDeleteKey(key, "Parent\\Child"), STORE_SUCCESS);
    EXPECT_EQ(StoreDeleteKey(key, "PARENT"), STORE_SUCCESS);
    char name[STORE_NAME_BUFFER];
    uint32_t size = sizeof name;
    EXPECT_EQ(StoreEnumKey(key, 0, name, &size), STORE_NO_MORE_ITEMS);
    StoreCloseKey(key);
}

std::string BackendName(const ::testing::TestParamInfo<Backend> &info) {
    switch (info.param) {
        case Backend::Memory: return "Memory";
        case Backend::File: return "RegFile";
        case Backend::Registry: return "Registry";
    }
    return "Unknown";
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(AllBackends, StoreTest,
                         ::testing::Values(Backend::Memory, Backend::File, Backend::Registry), BackendName);
#else
INSTANTIATE_TEST_SUITE_P(AllBackends, StoreTest, ::testing::Values(Backend::Memory, Backend::File),
                         BackendName);
#endif

TEST(StoreNames, EveryLetterOfTheCodePageFoldsToUpperCase) {
    EXPECT_EQ(StoreCompareNames("caf\xe9", "CAF\xc9"), 0);                   // é É
    EXPECT_EQ(StoreCompareNames("\x9a\x9c\x9e\xff", "\x8a\x8c\x8e\x9f"), 0); // š œ ž ÿ
    EXPECT_NE(StoreCompareNames("\xf7", "\xd7"), 0);   // ÷ and × are not a letter pair
    EXPECT_LT(StoreCompareNames("A\\Z", "A B"), 0);    // a key's subkeys follow it directly
    EXPECT_LT(StoreCompareNames("Z", "\x8a"), 0);      // Š (U+0160) after ASCII, by code point
    EXPECT_LT(StoreCompareNames("zeta", "_under"), 0); // folded up, as Windows orders: '_' after 'Z'
}

// A setting is taken only from a value of its own type: the bytes of a text or of another type never become a
// number, and a number never becomes a text. Each refusal gives the default and says so in the log.
TEST(StoredTypes, ANumberComesOnlyFromANumberAndATextOnlyFromAText) {
    const struct {
        const char *name, *stored;
        int32_t *global; // nullptr: the "Resolution" text
        int32_t expected;
        bool logged;
    } kRows[] = {
        {"Morph Interval", "dword:00000e10", &gMorphInterval, 3600, false},
        {"Morph Interval", "dword:00000000", &gMorphInterval, 0, false},
        {"Morph Interval", "dword:ffffffff", &gMorphInterval, 0, false}, // read signed, clamped to the bottom
        {"Morph Interval", "hex:0a,00,00,00", &gMorphInterval, 10, false}, // four bytes of binary count
        {"Morph Interval", "\"abc\"", &gMorphInterval, 20, true},
        {"Morph Interval", "hex(5):00,00,00,0a", &gMorphInterval, 20, true}, // big-endian
        {"Morph Interval", "hex(4):0a,00", &gMorphInterval, 20, true},       // wrong length
        {"Morph Interval", "hex:0a,00,00,00,00", &gMorphInterval, 20, true},
        {"Painting Mode", "hex(2):35,00,00,00", &gPaintingMode, 3, true},
        {"Resolution", "dword:00000320", nullptr, 0, true},
        {"Resolution", "hex:38,30,30,20,78,20,36,30,30,00", nullptr, 0, true},
        {"Resolution", "\"800 x 600\"", nullptr, 800, false},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(std::string(row.name) + "=" + row.stored);
        ResetMemoryStore();
        SetStoreBackend(MemoryStoreBackend());
        InstallTemporaryLog();
        const std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\" SETTINGS_KEY "]\n\"" +
                                 std::string(row.name) + "\"=" + row.stored + "\n";
        ASSERT_EQ(LoadMemoryStoreFromRegText(text.data(), text.size()), 0);
        ASSERT_TRUE(GetSettings(false));
        if (row.global)
            EXPECT_EQ(*row.global, row.expected);
        else
            EXPECT_EQ(gScreenWidth, row.expected ? uint32_t(row.expected) : 640u);
        EXPECT_EQ(LogContents().find(std::string("\"") + row.name + "\" is stored as") != std::string::npos,
                  row.logged)
            << LogContents();
        UninstallTemporaryLog();
        SetStoreBackend(nullptr);
    }
}

} // namespace
