// Loading and saving the settings: what GetSettings makes of an empty, a partial, a hand-edited and a broken
// store, and what SaveSettings and SavePreset leave in it.
#include "patterns/settings_fixture.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "host/host.h"

namespace {

using SettingsTest = SettingsFixture;

// Every stored global with its default, its range (a flag: any non-zero value is 1) and its place in the
// store; every pattern value likewise. Checked on load from a hand-edited store and through a save.
struct Global {
    const char *name;
    int32_t *value;
    int32_t fallback, low, high;
};
const Global kGlobals[] = {{"Show More Options", &gShowMoreOptions, 0, 0, 1},
                           {"Use Random Preset", &gUseRandomPreset, 0, 0, 1},
                           {"Morph Settings", &gMorphSettings, 1, 0, 1},
                           {"Morph Interval", &gMorphInterval, 20, 0, 3600},
                           {"Morph Duration", &gMorphDuration, 6000, 1, 20000},
                           {"Show Names", &gShowNames, 0, 0, 1},
                           {"Show Hints", &gShowHints, 0, 0, 1},
                           {"Double Size", &gDoubleSize, 0, 0, 1},
                           {"Painting Mode", &gPaintingMode, 3, 0, 10},
                           {"Background Brightness", &gBackgroundBrightness, 100, 0, 255},
                           {"Random Background", &gRandomBackground, 1, 0, 1}};
struct Field {
    const char *name;
    int32_t Preset::*value;
    int32_t low, high; // the default is pattern 0's value, or 0 for the last three
};
const Field kFields[] = {{"Trail Kinkiness", &Preset::trailKinkiness, 0, 50},
                         {"Trail Length", &Preset::trailLength, 1, 1000},
                         {"Trail Density", &Preset::trailDensity, 1, 50},
                         {"Trail Width", &Preset::trailWidth, 0, 90},
                         {"Number Of Trails", &Preset::numberOfTrails, 1, 100},
                         {"Sparkle", &Preset::sparkle, 0, 1},
                         {"Sparkliness", &Preset::sparkliness, 4, 200},
                         {"Fade Speed", &Preset::fadeSpeed, 0, 100},
                         {"Colour Speed", &Preset::colourSpeed, 1, 300},
                         {"Jump Speed", &Preset::jumpSpeed, 1, 3600},
                         {"Spiral Trail", &Preset::spiralTrail, 0, 1},
                         {"Always Fade Head", &Preset::alwaysFadeHead, 0, 1},
                         {"Always Quicksand", &Preset::alwaysQuicksand, 0, 1},
                         {"Don't Use Presets", &Preset::dontUse, 0, 1}};

std::string Dword(const char *name, int64_t v) {
    char text[80];
    snprintf(text, sizeof text, "\"%s\"=dword:%08x\n", name, static_cast<uint32_t>(v));
    return text;
}

TEST_F(SettingsTest, EveryStoredValueHasItsDefaultAndRangeOnLoadAndSurvivesASave) {
    for (int keyed : {0, 1}) { // no key at all, then a key without values
        if (keyed) Load(KEY "]\n");
        for (const Global &g : kGlobals)
            *g.value = -5;
        gPhysicsRate = 7;
        ASSERT_TRUE(GetSettings(false));
        for (const Global &g : kGlobals)
            EXPECT_EQ(*g.value, keyed || g.value != &gShowMoreOptions ? g.fallback : -5) << g.name;
        EXPECT_EQ(gPhysicsRate, 50000u);
        EXPECT_EQ(gPresetCount, 15);
        EXPECT_EQ(gCurrentPreset + gAllPresetsUsed, 1);
    }
    const int64_t stored[] = {-1, 0, 1, 2, 7, 11, 256, 3601, 20001, 0x7FFFFFFF};
    for (int64_t v : stored) {
        std::string text = KEY "]\n" + Dword("Physics Rate", v * 1000) + KEY "\\Mine]\n";
        for (const Global &g : kGlobals)
            text.insert(text.find("]\n") + 2, Dword(g.name, v));
        for (const Field &f : kFields)
            text += Dword(f.name, v);
        Load(text);
        ASSERT_TRUE(GetSettings(false));
        for (const Global &g : kGlobals) {
            const int32_t want = g.high == 1 ? v != 0 : std::clamp<int64_t>(v, g.low, g.high);
            EXPECT_EQ(*g.value, want) << g.name << " stored " << v;
        }
        const uint32_t rate = static_cast<uint32_t>(v * 1000); // taken unsigned
        EXPECT_EQ(gPhysicsRate, rate > 10000000u ? 10000000u : rate);
        for (const Field &f : kFields) {
            const int32_t want = f.high == 1 ? v != 0 : std::clamp<int64_t>(v, f.low, f.high);
            EXPECT_EQ(gPresets[15].*f.value, want) << f.name << " stored " << v;
        }
    }
    Load(KEY "\\Mine]\n"); // a pattern without values takes pattern 0's, and the flags 0
    ASSERT_TRUE(GetSettings(false));
    for (size_t k = 0; k < std::size(kFields); ++k)
        EXPECT_EQ(gPresets[15].*kFields[k].value, k < 11 ? gPresets[0].*kFields[k].value : 0)
            << kFields[k].name;

    // A save stores what a load gives back, value by value under its own name.
    int32_t n = 0;
    for (const Global &g : kGlobals)
        *g.value = g.high == 1 ? (g.fallback ^ 1) : g.high - (++n);
    for (const Field &f : kFields)
        gPresets[15].*f.value = f.high == 1 ? 1 : f.low + (++n) % (f.high - f.low);
    gPresets[15].spiralInc = -0.125;
    gPhysicsRate = 4321;
    const std::vector<int32_t> saved = [&] {
        std::vector<int32_t> all;
        for (const Global &g : kGlobals)
            all.push_back(*g.value);
        for (const Field &f : kFields)
            all.push_back(gPresets[15].*f.value);
        return all;
    }();
    SaveSettings();
    SavePreset(15);
    for (size_t k = 0; k < std::size(kGlobals); ++k)
        EXPECT_EQ(ReadDword(SETTINGS_KEY, kGlobals[k].name), saved[k]) << kGlobals[k].name;
    for (size_t k = 0; k < std::size(kFields); ++k)
        EXPECT_EQ(ReadDword(SETTINGS_KEY "\\Mine", kFields[k].name), saved[std::size(kGlobals) + k])
            << kFields[k].name;
    for (const Global &g : kGlobals)
        *g.value = -9;
    ASSERT_TRUE(GetSettings(false));
    size_t k = 0;
    for (const Global &g : kGlobals)
        EXPECT_EQ(*g.value, saved[k++]) << g.name;
    for (const Field &f : kFields)
        EXPECT_EQ(gPresets[15].*f.value, saved[k++]) << f.name;
    EXPECT_EQ(gPresets[15].spiralInc, -0.125);
    EXPECT_EQ(gPhysicsRate, 4321u);
    EXPECT_EQ(gPresets[15].modified, 0) << "only standard patterns become modified";
}

TEST_F(SettingsTest, StandardNameInOtherCaseIsTheModifiedStandardPattern) {
    Load(KEY "\\tavo]\n\"Trail Length\"=dword:00000064\n" KEY "\\Mine]\n" KEY "\\Zed]\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gPresetCount, 17);
    EXPECT_STREQ(gPresets[0].name, "tavo") << "spelled as the subkey is";
    EXPECT_EQ(gPresets[0].modified, 1);
    EXPECT_EQ(gPresets[0].trailLength, 100);
    EXPECT_STREQ(gPresets[15].name, "Mine");
    EXPECT_EQ(gPresets[15].trailLength, 250) << "read before \"tavo\": pattern 0 was still built in";
    EXPECT_EQ(gPresets[15].modified, 0);
    EXPECT_STREQ(gPresets[16].name, "Zed");
    EXPECT_EQ(gPresets[16].trailLength, 100) << "read after: pattern 0's stored value";
}

TEST_F(SettingsTest, StoredPresetIsClampedToTheLastPatternTakenUnsigned) {
    for (const char *stored : {"00000028", "ffffffff"}) {
        Load(std::string(KEY "]\n\"Preset\"=dword:") + stored + "\n" KEY "\\A]\n" KEY "\\B]\n");
        ASSERT_TRUE(GetSettings(false));
        EXPECT_EQ(gPresetCount, 17);
        EXPECT_EQ(gCurrentPreset, 16) << stored;
    }
}

TEST_F(SettingsTest, ExclusionListExcludesItsStandardPatternsAndIgnoresMalformedEntries) {
    Load(KEY "]\n\"Don't Use Presets\"=\"0310\"\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gPresets[3].dontUse, 1);
    EXPECT_EQ(gPresets[10].dontUse, 1);
    EXPECT_EQ(CountExcludedPresets(), 2);
    EXPECT_EQ(gAllPresetsUsed, 0);

    // pairs: "x1" and "0:" not digits, "03", "01", "16" a user pattern's index, "-9", "91" out of range, "6" odd tail
    Load(KEY "]\n\"Don't Use Presets\"=\"x103010:16-9916\"\n" KEY "\\A]\n" KEY "\\B]\n");
    ASSERT_TRUE(GetSettings(false));
    ASSERT_EQ(gPresetCount, 17);
    EXPECT_EQ(gPresets[3].dontUse, 1);
    EXPECT_EQ(gPresets[1].dontUse, 1);
    EXPECT_EQ(CountExcludedPresets(), 2);
}

TEST_F(SettingsTest, OnePatternLeftInUseTurnsMorphingOff) {
    std::string text = KEY "]\n\"Morph Settings\"=dword:00000001\n\"Don't Use Presets\"=\"";
    for (int k = 1; k < 15; ++k) {
        char entry[8];
        snprintf(entry, sizeof entry, "%02d", k);
        text += entry;
    }
    Load(text + "\"\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(CountExcludedPresets(), 14);
    EXPECT_EQ(gMorphSettings, 0);
}

TEST_F(SettingsTest, TextsOverThirtyCharactersReadAsMissing) {
    const std::string thirty = "1024 x 768" + std::string(20, ' ');
    Load(KEY "]\n\"Resolution\"=\"" + thirty +
         "\"\n\"Don't Use Presets\"=\"0001020304050607080910111213141\"\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_STREQ(gResolution, thirty.c_str()) << "exactly 30 characters are fine";
    EXPECT_EQ(gScreenWidth, 1024u);
    EXPECT_EQ(CountExcludedPresets(), 0) << "a 31-character list reads as missing";

    Load(KEY "]\n\"Resolution\"=\"" + thirty + "x\"\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_STREQ(gResolution, "640 x 480");

    // the system's own writer stores texts without a NUL; 31 such bytes must not run off the buffer
    WriteRoot("Resolution", STORE_SZ, std::string(31, '8'));
    ASSERT_TRUE(GetSettings(false));
    EXPECT_STREQ(gResolution, "640 x 480");
}

TEST_F(SettingsTest, ResolutionSetsTheDisplaySizeExceptInPreview) {
    Load(KEY "]\n\"Resolution\"=\"800 x 600\"\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gScreenWidth, 800u);
    EXPECT_EQ(gScreenHeight, 600u);
    gPreviewMode = 1;
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gScreenWidth, 640u);
    EXPECT_EQ(gScreenHeight, 480u);
    gPreviewMode = 0;
    for (const char *bad : {"wide", "800 by 600", "100 x 100", "800 x 99999999999", "-800 x 600"}) {
        Load(std::string(KEY "]\n\"Resolution\"=\"") + bad + "\"\n");
        ASSERT_TRUE(GetSettings(false));
        EXPECT_EQ(gScreenWidth, 640u) << bad;
        EXPECT_EQ(gScreenHeight, 480u) << bad;
    }
}

TEST_F(SettingsTest, HostSizeIsDrawnAtOnlyWhenNoResolutionIsStored) {
    struct Case {
        const char *stored; // "Resolution" in the store, nullptr for none
        uint32_t hostW, hostH;
        int preview;
        uint32_t wantW, wantH;
    } const cases[] = {
        {nullptr, 1920, 1080, 0, 1920, 1080}, {"800 x 600", 1920, 1080, 0, 800, 600},
        {nullptr, 1920, 1080, 1, 640, 480},   {nullptr, 300, 200, 0, 640, 480},
        {nullptr, 0, 0, 0, 640, 480},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.stored ? c.stored : "none") << " host " << c.hostW);
        Load(c.stored ? std::string(KEY "]\n\"Resolution\"=\"") + c.stored + "\"\n" : std::string(KEY "]\n"));
        gResolutionStored = 0;
        gNativeScreenWidth = c.hostW;
        gNativeScreenHeight = c.hostH;
        gPreviewMode = c.preview;
        ASSERT_TRUE(GetSettings(false));
        EXPECT_EQ(gScreenWidth, c.wantW);
        EXPECT_EQ(gScreenHeight, c.wantH);
        EXPECT_EQ(gResolutionStored, c.stored ? 1 : 0);
        if (!c.preview) { // the start-up hint compares the desktop with the size in use
            uint32_t w = 0, h = 0;
            EXPECT_TRUE(ParseResolution(gResolution, &w, &h) && w == c.wantW && h == c.wantH) << gResolution;
        }
    }
    gNativeScreenWidth = gNativeScreenHeight = 0;
    gResolutionStored = 0;
    gPreviewMode = 0;
}

TEST_F(SettingsTest, HandEditedValuesAreMadeSaneAtLoad) {
    Load(KEY "]\n\"Morph Duration\"=dword:00000000\n\"Painting Mode\"=dword:ffffffff\n"
             "\"Background Brightness\"=dword:00001000\n\"Physics Rate\"=dword:ffffffff\n\"Show "
             "Names\"=dword:00000007\n" KEY
             "\\Odd]\n\"Trail Density\"=dword:00000000\n\"Number Of Trails\"=dword:80000000\n"
             "\"Sparkliness\"=dword:00000001\n\"Sparkle\"=dword:00000005\n"
             "\"Spiral Inc\"=hex:00,00,00,00,00,00,f0,7f\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gMorphDuration, 1);
    EXPECT_EQ(gPaintingMode, 0);
    EXPECT_EQ(gBackgroundBrightness, 255);
    EXPECT_EQ(gPhysicsRate, 10000000u);
    EXPECT_EQ(gShowNames, 1);
    const Preset &p = gPresets[15];
    EXPECT_EQ(p.trailDensity, 1);
    EXPECT_EQ(p.numberOfTrails, 1);
    EXPECT_EQ(p.sparkliness, 4);
    EXPECT_EQ(p.sparkle, 1);
    EXPECT_EQ(p.spiralInc, 0.0) << "infinity takes pattern 0's value";
}

TEST_F(SettingsTest, ShortDwordAndBinaryValuesCountAsMissing) {
    Load(KEY "]\n\"Morph Interval\"=hex:05\n" KEY "\\Short]\n\"Trail Length\"=hex(4):07,00\n"
             "\"Spiral Inc\"=hex:01,02,03\n\"Trail Width\"=\"12\"\n");
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gMorphInterval, 20);
    EXPECT_EQ(gPresets[15].trailLength, 250);
    EXPECT_EQ(gPresets[15].spiralInc, 0.0);
    EXPECT_EQ(gPresets[15].trailWidth, 20) << "a 3-byte text is too short for a DWORD";
}

TEST_F(SettingsTest, LongSubkeyNamesAreSkipped) {
    Load(KEY "\\" + std::string(31, 'L') + "]\n" KEY "\\" + std::string(30, 'k') + "]\n");
    ASSERT_TRUE(GetSettings(false));
    ASSERT_EQ(gPresetCount, 16);
    EXPECT_EQ(std::string(gPresets[15].name), std::string(30, 'k'));
}

TEST_F(SettingsTest, PatternsOnlyLeavesOtherGlobalsInMemory) {
    Load(KEY "]\n\"Preset\"=dword:00000002\n\"Morph Duration\"=dword:00000064\n");
    gMorphDuration = 1234;
    ASSERT_TRUE(GetSettings(true));
    EXPECT_EQ(gCurrentPreset, 2);
    EXPECT_EQ(gMorphDuration, 1234);
}

TEST_F(SettingsTest, FailedFirstAllocationKeepsTheOldLibrary) {
    Load(KEY "\\Mine]\n");
    ASSERT_TRUE(GetSettings(false));
    Preset *old = gPresets;
    SetAllocationFaults(0, 1);
    EXPECT_FALSE(GetSettings(false));
    SetAllocationFaults(0, 0);
    EXPECT_EQ(gPresets, old);
    EXPECT_EQ(gPresetCount, 16);
    EXPECT_NE(LogContents().find("GetSettings: Allocating memory for gPresets failed.\n"), std::string::npos);
}

TEST_F(SettingsTest, FailedGrowthStopsEnumerationButFinishesTheLoad) {
    Load(KEY "]\n\"Preset\"=dword:00000010\n\"Don't Use Presets\"=\"03\"\n\"Resolution\"=\"800 x 600\"\n" KEY
             "\\A]\n" KEY "\\B]\n" KEY "\\C]\n");
    SetAllocationFaults(2, 1); // the block of 15 and pattern A succeed; growing for B fails
    ASSERT_TRUE(GetSettings(false));
    SetAllocationFaults(0, 0);
    EXPECT_EQ(gPresetCount, 16);
    EXPECT_EQ(gCurrentPreset, 15) << "the Preset clamp still runs";
    EXPECT_EQ(gPresets[3].dontUse, 1) << "and the exclusions";
    EXPECT_EQ(gScreenWidth, 800u) << "and the display size";
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text, "A system error occurred reading the settings from the registry.");
    StoreKey key;
    ASSERT_EQ(StoreOpenKey(SETTINGS_KEY, STORE_READ, &key), STORE_SUCCESS) << "the key was closed";
    StoreCloseKey(key);
}

TEST_F(SettingsTest, UnopenableSubkeyIsLoggedAndTakesNoIndex) {
    Load(KEY "\\A]\n" KEY "\\Tavo]\n\"Trail Length\"=dword:00000001\n");
    SetMemoryStoreFaults(STORE_OP_OPEN, 1, 2, STORE_ACCESS_DENIED);
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gPresetCount, 15);
    EXPECT_EQ(gPresets[0].modified, 1);
    EXPECT_EQ(gPresets[0].trailLength, 250);
    EXPECT_NE(
        LogContents().find("Couldn't open registry key \"Software\\Halvex\\Tavo\\A\" for setting \"A\"\n"),
        std::string::npos);
}

TEST_F(SettingsTest, SavePresetWritesFifteenValuesAndMarksStandardModified) {
    ASSERT_TRUE(GetSettings(false));
    gPresets[4].trailLength = 999;
    SavePreset(4);
    EXPECT_EQ(gPresets[4].modified, 1);
    EXPECT_EQ(CountPatternValues(SETTINGS_KEY "\\Jellyfish"), 15);
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gPresets[4].trailLength, 999);
    EXPECT_EQ(gPresets[4].spiralInc, 1.0474475511933334);
    EXPECT_EQ(gPresets[4].modified, 1);
}

} // namespace
