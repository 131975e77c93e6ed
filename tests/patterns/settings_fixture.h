// Shared set-up of the settings and library tests: a fresh memory store filled from .reg text, the message
// boxes recorded, the log in a temporary file, and the library freed after each test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "patterns/patterns.h"
#include "platform/memory.h"
#include "platform/store.h"
#include "support/scripted.h"

#define KEY "[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo"

extern int gPreviewMode;

class SettingsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMemoryStore();
        SetStoreBackend(MemoryStoreBackend());
        InstallMessageBoxRecorder();
        srand(std::random_device{}()); // the temporary log's name draws on rand(): apart from parallel test
                                       // runs
        InstallTemporaryLog();
        gPreviewMode = 0;
    }
    void TearDown() override {
        SetAllocationFaults(0, 0);
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
        gCurrentPreset = 0;
        UninstallTemporaryLog();
        UninstallMessageBoxRecorder();
        SetStoreBackend(nullptr);
        ResetMemoryStore();
    }
    // Replaces the store's content with these sections.
    static void Load(const std::string &sections) {
        ResetMemoryStore();
        const std::string text = "Windows Registry Editor Version 5.00\n\n" + sections;
        ASSERT_EQ(LoadMemoryStoreFromRegText(text.data(), text.size()), 0) << text;
    }
    static void LoadAndGet(const std::string &sections) {
        Load(sections);
        ASSERT_TRUE(GetSettings(false));
    }
    static std::string LastBox() { return RecordedBoxes().empty() ? "" : RecordedBoxes().back().text; }
    static void WriteRoot(const char *name, uint32_t type, const std::string &data) {
        StoreKey key;
        ASSERT_EQ(StoreCreateKey(SETTINGS_KEY, &key), STORE_SUCCESS);
        StoreWriteValue(key, name, type, data.data(), static_cast<uint32_t>(data.size()));
        StoreCloseKey(key);
    }
    // The raw bytes of a value ("<missing>" when absent).
    static std::string ReadValue(const char *path, const char *name) {
        StoreKey key;
        if (StoreOpenKey(path, STORE_READ, &key) != STORE_SUCCESS) return "<missing>";
        char data[256];
        uint32_t type, size = sizeof data;
        const bool ok = StoreReadValue(key, name, &type, data, &size) == STORE_SUCCESS;
        StoreCloseKey(key);
        return ok ? std::string(data, size) : "<missing>";
    }
    static std::string ReadRoot(const char *name) { return ReadValue(SETTINGS_KEY, name); }
    static int32_t ReadDword(const char *path, const char *name) {
        const std::string bytes = ReadValue(path, name);
        if (bytes.size() != 4) return -999999;
        return static_cast<int32_t>(static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8 |
                                    static_cast<uint8_t>(bytes[2]) << 16 |
                                    static_cast<uint32_t>(static_cast<uint8_t>(bytes[3])) << 24);
    }
    static bool KeyExists(const std::string &path) {
        StoreKey key;
        if (StoreOpenKey(path.c_str(), STORE_READ, &key) != STORE_SUCCESS) return false;
        StoreCloseKey(key);
        return true;
    }
    static int CountPatternValues(const char *path) {
        int count = 0;
        for (const char *name :
             {"Trail Kinkiness", "Trail Length", "Trail Density", "Trail Width", "Number Of Trails",
              "Sparkle", "Sparkliness", "Fade Speed", "Colour Speed", "Jump Speed", "Spiral Trail",
              "Spiral Inc", "Always Fade Head", "Always Quicksand", "Don't Use Presets"})
            count += ReadValue(path, name) != "<missing>";
        return count;
    }
};
