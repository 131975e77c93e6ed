// The pattern library operations: what each leaves in memory and in the store, the refusals and questions
// with their texts and default buttons, and the random and starting choices.
#include <cstring>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/settings_fixture.h"
#include "platform/msgbox.h"

using namespace std::string_literals;

namespace {

using LibraryTest = SettingsFixture;

TEST_F(LibraryTest, StandardExclusionsRebuildTheGlobalList) {
    LoadAndGet("");
    SetPresetExcluded(3, true);
    SetPresetExcluded(10, true);
    EXPECT_EQ(ReadRoot("Don't Use Presets"), "0310");
    SetPresetExcluded(3, false);
    SetPresetExcluded(3, true);
    EXPECT_EQ(ReadRoot("Don't Use Presets"), "1003");
    EXPECT_EQ(gAllPresetsUsed, 0);
    EXPECT_FALSE(KeyExists(SETTINGS_KEY "\\Spirograph")) << "a standard pattern's subkey is not touched";
    LoadAndGet(KEY "]\n\"Don't Use Presets\"=\"03030:zz9914\"\n"); // duplicates and strays are dropped
    SetPresetExcluded(5, true);
    EXPECT_EQ(ReadRoot("Don't Use Presets"), "031405");
}

TEST_F(LibraryTest, ExcludingAUserPatternWritesOnlyItsSubkey) {
    LoadAndGet(KEY "]\n\"Don't Use Presets\"=\"02\"\n" KEY "\\Mine]\n");
    SetPresetExcluded(15, true);
    EXPECT_EQ(ReadDword(SETTINGS_KEY "\\Mine", "Don't Use Presets"), 1);
    EXPECT_EQ(ReadRoot("Don't Use Presets"), "02\0"s);
    SetPresetExcluded(15, false);
    SetPresetExcluded(2, false);
    EXPECT_EQ(gAllPresetsUsed, 1);
}

TEST_F(LibraryTest, UseAllRewritesOnlyUserSubkeys) {
    LoadAndGet(KEY "]\n\"Don't Use Presets\"=\"01\"\n" KEY
                   "\\Jellyfish]\n\"Don't Use Presets\"=dword:00000001\n" KEY
                   "\\Mine]\n\"Don't Use Presets\"=dword:00000001\n");
    ASSERT_EQ(CountExcludedPresets(), 3);
    UseAllPresets();
    EXPECT_EQ(CountExcludedPresets(), 0);
    EXPECT_EQ(gAllPresetsUsed, 1);
    EXPECT_EQ(ReadRoot("Don't Use Presets"), "");
    EXPECT_EQ(ReadDword(SETTINGS_KEY "\\Mine", "Don't Use Presets"), 0);
    EXPECT_EQ(CountPatternValues(SETTINGS_KEY "\\Mine"), 15);
    EXPECT_EQ(ReadDword(SETTINGS_KEY "\\Jellyfish", "Don't Use Presets"), 1);
    ASSERT_TRUE(GetSettings(false));
    EXPECT_EQ(gPresets[4].dontUse, 1) << "a standard pattern saved while excluded is excluded again";
    EXPECT_EQ(gPresets[1].dontUse, 0);
}

TEST_F(LibraryTest, AllExcludedIsRefusedOnClose) {
    LoadAndGet("");
    for (int k = 0; k < gPresetCount - 1; ++k)
        gPresets[k].dontUse = 1;
    EXPECT_TRUE(CheckSomePresetUsed());
    SetPresetExcluded(14, true);
    EXPECT_FALSE(CheckSomePresetUsed());
    EXPECT_EQ(LastBox(), "You can't tick \"Don't use this pattern\" for all patterns!");
    EXPECT_EQ(RecordedBoxes().back().style, MBOX_OK | MBOX_ICONERROR);
}

TEST_F(LibraryTest, NamesAreUniqueWithoutRegardToCaseOfAnyLetter) {
    LoadAndGet(KEY "\\Caf\xe9]\n");
    EXPECT_FALSE(IsPresetNameFree("jellyFISH"));
    EXPECT_EQ(LastBox(), "There is already a pattern called \"jellyFISH\".\nChoose a different name.");
    EXPECT_FALSE(IsPresetNameFree("CAF\xc9")) << "the store would put both in one subkey";
    EXPECT_TRUE(IsPresetNameFree("Jellyfish 2"));
    EXPECT_TRUE(IsPresetNameAllowed("A/B"));
    EXPECT_FALSE(IsPresetNameAllowed("A\\B"));
    EXPECT_EQ(LastBox(), "A pattern name can't contain a backslash.");
}

TEST_F(LibraryTest, CopiesAreUserPatternsThatKeepTheSpiral) {
    LoadAndGet("");
    Preset pane = gPresets[13];
    pane.trailLength = 77; // edited in the pane, not saved
    ASSERT_EQ(CopyPreset(13, "My 3D", &pane), 15);
    EXPECT_EQ(gPresets[15].is3D, 0);
    EXPECT_EQ(gPresets[15].trailLength, 77);
    EXPECT_EQ(gPresets[15].modified, 0);
    EXPECT_EQ(gPresets[13].modified, 0) << "the source is not saved";

    const int index = CopyPreset(4, "Jelly", &gPresets[4]);
    ASSERT_EQ(index, 15) << "'Jelly' enumerates before 'My 3D'";
    EXPECT_EQ(gPresets[index].spiralTrail, 1);
    EXPECT_EQ(gPresets[index].spiralInc, 1.0474475511933334);
    EXPECT_STREQ(gPresets[16].name, "My 3D");
    EXPECT_EQ(CountPatternValues(SETTINGS_KEY "\\Jelly"), 15);

    ASSERT_TRUE(GetSettings(false));
    EXPECT_STREQ(gPresets[15].name, "Jelly") << "memory already held the order the next load gives";
    EXPECT_EQ(gPresets[16].trailLength, 77);
}

TEST_F(LibraryTest, CopyThatCannotGrowChangesNothing) {
    LoadAndGet("");
    SetAllocationFaults(0, 1);
    EXPECT_EQ(CopyPreset(0, "Copy of Tavo", &gPresets[0]), -1);
    SetAllocationFaults(0, 0);
    EXPECT_EQ(LastBox(), "A system error occurred copying the preset.");
    EXPECT_EQ(gPresetCount, 15);
    EXPECT_FALSE(KeyExists(SETTINGS_KEY "\\Copy of Tavo"));
}

TEST_F(LibraryTest, CopyNameIsCutToThirtyCharacters) {
    LoadAndGet(KEY "\\" + std::string(30, 'n') + "]\n");
    char name[64];
    MakeCopyName(0, name, sizeof name);
    EXPECT_STREQ(name, "Copy of Tavo");
    MakeCopyName(15, name, sizeof name);
    EXPECT_EQ(std::string(name), "Copy of " + std::string(22, 'n'));
}

TEST_F(LibraryTest, CurrentPatternAndSelectionFollowTheReorder) {
    LoadAndGet(KEY "\\Bravo]\n" KEY "\\Delta]\n");
    gCurrentPreset = 16; // Delta
    const int renamed = RenamePreset(16, "Alpha");
    EXPECT_EQ(renamed, 15);
    EXPECT_EQ(gCurrentPreset, 15);
    EXPECT_STREQ(gPresets[15].name, "Alpha");
    EXPECT_STREQ(gPresets[16].name, "Bravo");
    EXPECT_FALSE(KeyExists(SETTINGS_KEY "\\Delta"));
    EXPECT_EQ(CountPatternValues(SETTINGS_KEY "\\Alpha"), 15);
}

TEST_F(LibraryTest, RenameRefusesStandardPatternsAndKeepsOldKeyWhenNewCannotBeWritten) {
    LoadAndGet(KEY "\\Mine]\n\"Trail Length\"=dword:00000005\n");
    EXPECT_EQ(RenamePreset(3, "Spiro"), -1);
    EXPECT_EQ(LastBox(), "You can't rename the standard patterns.");
    EXPECT_STREQ(gPresets[3].name, "Spirograph");

    SetMemoryStoreFaults(STORE_OP_WRITE, 3, 1, STORE_CANT_WRITE);
    RenamePreset(15, "Yours");
    EXPECT_TRUE(KeyExists(SETTINGS_KEY "\\Mine")) << "a failed write must not lose the pattern";
    EXPECT_EQ(ReadDword(SETTINGS_KEY "\\Mine", "Trail Length"), 5);
}

TEST_F(LibraryTest, RenameToOwnNameInOtherCaseIsRefusedByThePrompt) {
    LoadAndGet(KEY "\\Mine]\n");
    EXPECT_FALSE(IsPresetNameFree("MINE"));
    EXPECT_EQ(LastBox(), "There is already a pattern called \"MINE\".\nChoose a different name.");
    // and a direct call never deletes the pattern it has just written
    RenamePreset(15, "mine");
    EXPECT_TRUE(KeyExists(SETTINGS_KEY "\\Mine"));
}

TEST_F(LibraryTest, DeleteStoresThePresetBeforeItOnlyAboveTheFirstUserPattern) {
    LoadAndGet(KEY "]\n\"Preset\"=dword:00000011\n" KEY "\\A]\n" KEY "\\B]\n" KEY "\\C]\n");
    ASSERT_EQ(gCurrentPreset, 17);
    QueueMessageBoxAnswer(MBOX_IDYES);
    ASSERT_TRUE(DeletePreset(17));
    EXPECT_EQ(ReadDword(SETTINGS_KEY, "Preset"), 16);
    EXPECT_EQ(gPresetCount, 17);
    EXPECT_EQ(gCurrentPreset, 16);
    EXPECT_EQ(RecordedBoxes().back().text, "Are you sure you want to delete \"C\"?");
    EXPECT_EQ(RecordedBoxes().back().style, MBOX_YESNO | MBOX_ICONQUESTION | MBOX_DEFBUTTON2);

    QueueMessageBoxAnswer(MBOX_IDYES);
    ASSERT_TRUE(DeletePreset(15));
    EXPECT_EQ(ReadDword(SETTINGS_KEY, "Preset"), 16) << "deleting 15 leaves the stored Preset";
    EXPECT_EQ(gPresetCount, 16);
    EXPECT_EQ(gCurrentPreset, 15) << "clamped to the last pattern";
    EXPECT_STREQ(gPresets[15].name, "B");
}

TEST_F(LibraryTest, DeleteRefusalsAndNoAnswerChangeNothing) {
    LoadAndGet(KEY "\\A]\n");
    EXPECT_FALSE(DeletePreset(2));
    EXPECT_EQ(LastBox(), "You can't delete the standard patterns.");
    QueueMessageBoxAnswer(MBOX_IDNO);
    EXPECT_FALSE(DeletePreset(15));
    EXPECT_TRUE(KeyExists(SETTINGS_KEY "\\A"));
    EXPECT_EQ(gPresetCount, 16);
}

TEST_F(LibraryTest, RevertRestoresBuiltInValuesAndKeepsTheExclusion) {
    LoadAndGet(KEY "]\n\"Don't Use Presets\"=\"04\"\n" KEY
                   "\\Jellyfish]\n\"Trail Length\"=dword:00000009\n" KEY "\\Mine]\n");
    ASSERT_EQ(gPresets[4].modified, 1);
    EXPECT_FALSE(RevertPreset(15));
    EXPECT_EQ(LastBox(), "You can only restore the standard patterns to their default settings.");
    QueueMessageBoxAnswer(MBOX_IDYES);
    ASSERT_TRUE(RevertPreset(4));
    EXPECT_EQ(RecordedBoxes().back().text,
              "Are you sure you want to revert \"Jellyfish\" back to its default settings?");
    EXPECT_EQ(RecordedBoxes().back().style & MBOX_DEFBUTTON2, MBOX_DEFBUTTON2);
    EXPECT_EQ(gPresets[4].modified, 0);
    EXPECT_EQ(gPresets[4].trailLength, 150);
    EXPECT_EQ(gPresets[4].dontUse, 1) << "shown as used while the store still excludes it";
    EXPECT_FALSE(KeyExists(SETTINGS_KEY "\\Jellyfish"));
    EXPECT_STREQ(ReadRoot("Don't Use Presets").c_str(), "04") << "the exclusion was lost";
}

TEST_F(LibraryTest, RandomChoiceSkipsExcludedPatternsAndEndsWhenAllAre) {
    LoadAndGet("");
    for (int k = 0; k < gPresetCount; ++k)
        gPresets[k].dontUse = k != 7;
    SeedRand(12345);
    for (int n = 0; n < 20; ++n) {
        ChooseRandomPreset();
        EXPECT_EQ(gCurrentPreset, 7);
    }
    for (int k = 0; k < gPresetCount; ++k)
        gPresets[k].dontUse = 1;
    SeedRand(1);
    const uint32_t expected = ((1u * 214013u + 2531011u) >> 16 & 0x7FFF) % 15;
    ChooseRandomPreset();
    EXPECT_EQ(gCurrentPreset, static_cast<int32_t>(expected)) << "one draw, exclusions ignored";
}

TEST_F(LibraryTest, StartingPatternAndBackground) {
    LoadAndGet(
        KEY "]\n\"Preset\"=dword:00000005\n\"Don't Use Presets\"=\"05\"\n\"Morph Settings\"=dword:00000000\n"
            "\"Random Background\"=dword:00000000\n\"Background Brightness\"=dword:00000000\n");
    ChooseStartingPreset();
    EXPECT_EQ(gCurrentPreset, 5) << "without morphing the excluded stored pattern stays";
    EXPECT_EQ(gBlueBackground, 0);

    gMorphSettings = 1;
    gBackgroundBrightness = 10;
    ChooseStartingPreset();
    EXPECT_NE(gCurrentPreset, 5) << "with morphing an excluded pattern is replaced";
    EXPECT_EQ(gBlueBackground, 1);

    gRandomBackground = 1;
    gUseRandomPreset = 1;
    SeedRand(99);
    uint32_t state = 99;
    int draws[2];
    for (int &d : draws) {
        state = state * 214013u + 2531011u;
        d = static_cast<int>(state >> 16 & 0x7FFF);
    }
    ASSERT_NE(draws[0] % 15, 5) << "this seed must pick a pattern in use at the first draw";
    ChooseStartingPreset();
    EXPECT_EQ(gCurrentPreset, draws[0] % 15);
    EXPECT_EQ(gBlueBackground, draws[1] % 2);
}

} // namespace
