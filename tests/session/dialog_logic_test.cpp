// The settings dialog's logic away from its window: inverted sliders, what the pane writes into a record and
// the globals into the settings, the list text and the selected pattern's name, which changes count as
// unsaved edits and the save question, the help contexts, the name prompt's check, and Copy and Rename.
#include <set>
#include <string>

#include "../resources/resource.h"
#include "patterns/settings_fixture.h"
#include "platform/msgbox.h"
#include "session/session.h"

namespace {

constexpr int kOkButton = 1; // the dialog manager's OK

class DialogLogicTest : public SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        gPaneModified = 0;
        gAskingToSave = 0;
    }
    void LoadAndGet(const std::string &sections) {
        Load(sections);
        ASSERT_TRUE(GetSettings(false));
    }
    static std::string LastBox() { return RecordedBoxes().empty() ? "" : RecordedBoxes().back().text; }
};

// A stand-in for the name prompt: records what it was asked and answers as told.
struct FakePrompt {
    explicit FakePrompt(const char *answerText) : answer(answerText) {}
    std::string answer, question, proposal;
    int runs = 0;
    static void Run(void *context) {
        auto *self = static_cast<FakePrompt *>(context);
        ++self->runs;
        self->question = gNamePrompt;
        self->proposal = gNameProposal;
        snprintf(gNameAnswer, sizeof gNameAnswer, "%s", self->answer.c_str());
    }
};

TEST(DialogSliders, InvertedSlidersPutTheSmallestStoredValueAtTheRightEnd) {
    for (const DialogSlider *s :
         {&kTrailDensitySlider, &kSparklinessSlider, &kColourSpeedSlider, &kMorphSpeedSlider}) {
        EXPECT_EQ(SliderValue(*s, s->maximum), s->minimum) << s->control; // "High" / "Fast"
        EXPECT_EQ(SliderValue(*s, s->minimum), s->maximum) << s->control;
        for (int32_t v = s->minimum; v <= s->maximum; ++v)
            ASSERT_EQ(SliderValue(*s, SliderPosition(*s, v)), v) << s->control;
    }
    EXPECT_EQ(SliderPosition(kTrailDensitySlider, 1), 50);
    EXPECT_EQ(SliderPosition(kSparklinessSlider, 4), 200);
    EXPECT_EQ(SliderPosition(kColourSpeedSlider, 1), 300);
    EXPECT_EQ(SliderPosition(kMorphSpeedSlider, 6000), 14001);
    EXPECT_EQ(SliderPosition(kTrailLengthSlider, 250), 250);
    EXPECT_EQ(SliderValue(kBrightnessSlider, 255), 255);
}

TEST(DialogSliders, PositionsOutsideTheRangeReadAsTheNearestEnd) {
    EXPECT_EQ(SliderValue(kTrailDensitySlider, 0), 50);
    EXPECT_EQ(SliderValue(kTrailDensitySlider, 51), 1);
    EXPECT_EQ(SliderValue(kTrailLengthSlider, 0), 1);
    EXPECT_EQ(SliderValue(kMorphSpeedSlider, 30000), 1);
}

TEST_F(DialogLogicTest, PaneWritesOnlyTheEditableFieldsEachInRange) {
    LoadAndGet("");
    Preset record = gPresets[4]; // "Jellyfish": spiral trail
    PatternPane pane = PatternPaneFrom(record);
    EXPECT_EQ(pane.trailDensity, 48); // density 3 shown inverted
    pane.trailDensity = 50;           // "High"
    pane.colourSpeed = 1;             // "Slow" end
    pane.numberOfTrails = 0;          // a number box that read nothing
    pane.jumpSpeed = 99999;
    pane.sparkle = 2;
    pane.dontUse = 1;
    StorePaneInPreset(pane, &record);
    EXPECT_EQ(record.trailDensity, 1);
    EXPECT_EQ(record.colourSpeed, 300);
    EXPECT_EQ(record.numberOfTrails, 1) << "the engine divides by the number of trails";
    EXPECT_EQ(record.jumpSpeed, 3600);
    EXPECT_EQ(record.sparkle, 1);
    EXPECT_EQ(record.dontUse, 1);
    EXPECT_STREQ(record.name, "Jellyfish");
    EXPECT_EQ(record.spiralTrail, 1);
    EXPECT_EQ(record.spiralInc, gPresets[4].spiralInc);
    EXPECT_EQ(record.alwaysPaint, 0);
    EXPECT_EQ(record.is3D, 0);
}

TEST_F(DialogLogicTest, GlobalControlsRoundTripAndOkTakesTheListSelection) {
    LoadAndGet(KEY "]\n\"Morph Duration\"=dword:00000001\n\"Painting Mode\"=dword:0000000a\n");
    GlobalPane pane = GlobalPaneFromSettings();
    EXPECT_EQ(pane.morphSpeed, 20000); // the fastest morph sits at the right end
    EXPECT_EQ(pane.paintingMode, 10);
    pane.morphSettings = 0;
    pane.morphSpeed = 1;
    pane.morphInterval = 5000;
    StoreGlobalPane(pane, 3);
    EXPECT_EQ(gMorphSettings, 0);
    EXPECT_EQ(gMorphDuration, 20000);
    EXPECT_EQ(gMorphInterval, 3600);
    EXPECT_EQ(gCurrentPreset, 3);
    StoreGlobalPane(pane, -1); // nothing selected: the current pattern stays
    EXPECT_EQ(gCurrentPreset, 3);
    StoreGlobalPane(pane, 15); // past the last pattern
    EXPECT_EQ(gCurrentPreset, 3);
}

TEST_F(DialogLogicTest, ListShowsModifiedStandardPatternsButQuestionsUseTheRecordName) {
    LoadAndGet(KEY "\\tavo]\n" KEY "\\Abcdefghijklmnopqrstuvwxyz1234]\n");
    char text[PATTERN_LIST_TEXT_LEN];
    FormatPatternListText(gPresets[0], text, sizeof text);
    EXPECT_STREQ(text, "tavo (Modified)");
    FormatPatternListText(gPresets[1], text, sizeof text);
    EXPECT_STREQ(text, "Pentagonal Lines");
    FormatPatternListText(gPresets[15], text, sizeof text);
    EXPECT_STREQ(text, "Abcdefghijklmnopqrstuvwxyz1234");
    char name[PRESET_NAME_LEN + 1];
    EXPECT_EQ(SelectedPatternIndex(0, name), 0);
    EXPECT_STREQ(name, "tavo");
    gCurrentPreset = 2;
    EXPECT_EQ(SelectedPatternIndex(-1, name), 2);
    EXPECT_STREQ(name, "Slow Ripples");
}

TEST_F(DialogLogicTest, OnlyPatternControlsLeaveThePaneModified) {
    for (int control : {IDC_MORPH_SPEED, IDC_PAINTING_MODE, IDC_BG_BRIGHTNESS, IDC_MORPH_INTERVAL_ARROWS,
                        IDC_DONT_USE, IDC_USE_ALL, IDC_MORPH_ON, IDC_RANDOM_START, IDC_SHOW_NAMES,
                        IDC_DOUBLE_SIZE, IDC_SHOW_HINTS, IDC_RANDOM_BG, kOkButton, IDC_PANE_TOGGLE}) {
        EXPECT_FALSE(NotePaneChange(control)) << control;
        EXPECT_EQ(gPaneModified, 0) << control;
    }
    for (int control : {IDC_TRAIL_LENGTH, IDC_TRAIL_WIDTH, IDC_TRAIL_DENSITY, IDC_SPARKLINESS,
                        IDC_TRAIL_KINKINESS, IDC_FADE_SPEED, IDC_COLOUR_SPEED, IDC_TRAILS_ARROWS,
                        IDC_JUMP_ARROWS, IDC_SPARKLES, IDC_ALWAYS_FADE, IDC_ALWAYS_STICKY}) {
        gPaneModified = 0;
        EXPECT_TRUE(NotePaneChange(control)) << control;
        EXPECT_EQ(gPaneModified, 1) << control;
    }
}

TEST_F(DialogLogicTest, SaveQuestionOnlyWithEditsAndOnceAtATime) {
    int stored = 0;
    auto store = [](void *count) { ++*static_cast<int *>(count); };
    AskToSavePane("Tavo", store, &stored);
    EXPECT_TRUE(RecordedBoxes().empty()) << "no edits, no question";

    gPaneModified = 1;
    QueueMessageBoxAnswer(MBOX_IDNO);
    AskToSavePane("Tavo", store, &stored);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(LastBox(), "Do you want to save your changes to \"Tavo\" first?");
    EXPECT_EQ(RecordedBoxes()[0].style & MBOX_DEFBUTTON2, 0u) << "Yes is the default";
    EXPECT_EQ(stored, 0);
    EXPECT_EQ(gPaneModified, 1) << "No keeps the edits: the question comes again";

    // the list gets the focus back while the question is up: no second question
    static int *sStored;
    sStored = &stored;
    auto storeAndRefocus = [](void *) {
        ++*sStored;
        AskToSavePane(
            "Tavo", [](void *) { ++*sStored; }, nullptr);
    };
    QueueMessageBoxAnswer(MBOX_IDYES);
    AskToSavePane("Tavo", storeAndRefocus, nullptr);
    EXPECT_EQ(RecordedBoxes().size(), 2u);
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(gAskingToSave, 0);
}

TEST(DialogHelp, EveryControlHasOneContextAndTheTableEnds) {
    std::set<uint32_t> controls;
    size_t pairs = 0;
    const uint32_t *pair = kHelpContextTable;
    for (; pair[0] != 0; pair += 2, ++pairs)
        EXPECT_TRUE(controls.insert(pair[0]).second) << "control " << pair[0] << " listed twice";
    EXPECT_EQ(pair[1], 0u);
    EXPECT_EQ(pairs, 53u);
    EXPECT_EQ(HelpContextOf(IDC_TRAILS_ARROWS), 30u);
    EXPECT_EQ(HelpContextOf(IDC_LABEL_JUMP), 110u);
    EXPECT_EQ(HelpContextOf(IDC_ALWAYS_STICKY), 230u);
    EXPECT_EQ(HelpContextOf(IDC_LINK), 210u);
    EXPECT_EQ(HelpContextOf(IDC_VERSION), NO_HELP_CONTEXT);
    EXPECT_EQ(HelpContextOf(IDC_F1_NOTE), NO_HELP_CONTEXT);
    EXPECT_EQ(HelpContextOf(kOkButton), 0u);
}

TEST_F(DialogLogicTest, NamePromptRefusesBackslashesAndNamesInUseAndCutsLongAnswers) {
    LoadAndGet(KEY "\\Mine]\n");
    EXPECT_FALSE(AcceptNamePromptAnswer("My\\Pattern"));
    EXPECT_EQ(LastBox(), "A pattern name can't contain a backslash.");
    EXPECT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_FALSE(AcceptNamePromptAnswer("MINE"));
    EXPECT_EQ(LastBox(), "There is already a pattern called \"MINE\".\nChoose a different name.");
    EXPECT_TRUE(AcceptNamePromptAnswer("Copy of Abcdefghijklmnopqrstuvwxyz"));
    EXPECT_STREQ(gNameAnswer, "Copy of Abcdefghijklmnopqrstuv");
    EXPECT_TRUE(AcceptNamePromptAnswer(""));
    EXPECT_STREQ(gNameAnswer, "") << "an empty answer closes the prompt as a cancel";
}

TEST_F(DialogLogicTest, CopyTakesThePaneAndTheSourcesSpiralAndListsInStoreOrder) {
    LoadAndGet(KEY "\\Alpha]\n" KEY "\\Zulu]\n");
    gCurrentPreset = 4;
    PatternPane pane = PatternPaneFrom(gPresets[4]); // "Jellyfish", edited but not stored
    pane.trailLength = 777;
    FakePrompt prompt("Middle");
    const int copy = DialogCopyPattern(4, pane, FakePrompt::Run, &prompt);
    EXPECT_EQ(prompt.question, "What do you want to call the new pattern?");
    EXPECT_EQ(prompt.proposal, "Copy of Jellyfish");
    ASSERT_EQ(copy, 16) << "between Alpha and Zulu, as the next load will have it";
    EXPECT_STREQ(gPresets[copy].name, "Middle");
    EXPECT_EQ(gPresets[copy].trailLength, 777);
    EXPECT_EQ(gPresets[copy].spiralTrail, 1);
    EXPECT_EQ(CountPatternValues(SETTINGS_KEY "\\Middle"), 15);
    EXPECT_EQ(gCurrentPreset, 4) << "the pane still shows the source";
    EXPECT_EQ(gPresets[4].trailLength, 150) << "the source keeps its own values";

    // OK with the copy selected: "Preset" names the copy at the next start
    StoreGlobalPane(GlobalPaneFromSettings(), copy);
    SaveSettings();
    ASSERT_TRUE(GetSettings(false));
    EXPECT_STREQ(gPresets[gCurrentPreset].name, "Middle");
}

TEST_F(DialogLogicTest, CopyProposesTheWholeLongNameAndAnEmptyAnswerChangesNothing) {
    LoadAndGet(KEY "\\Abcdefghijklmnopqrstuvwxyz1234]\n");
    FakePrompt prompt("");
    EXPECT_EQ(DialogCopyPattern(15, PatternPaneFrom(gPresets[15]), FakePrompt::Run, &prompt), -1);
    EXPECT_EQ(prompt.proposal, "Copy of Abcdefghijklmnopqrstuvwxyz1234");
    EXPECT_EQ(gPresetCount, 16);
}

TEST_F(DialogLogicTest, RenameRefusesStandardPatternsAndStoresThePaneUnderTheNewName) {
    LoadAndGet(KEY "\\Mid]\n" KEY "\\Zed]\n\"Trail Length\"=dword:00000064\n");
    FakePrompt prompt("Able");
    EXPECT_EQ(DialogRenamePattern(3, PatternPaneFrom(gPresets[3]), FakePrompt::Run, &prompt), -1);
    EXPECT_EQ(LastBox(), "You can't rename the standard patterns.");
    EXPECT_EQ(prompt.runs, 0);

    PatternPane pane = PatternPaneFrom(gPresets[16]);
    pane.trailLength = 500;
    const int renamed = DialogRenamePattern(16, pane, FakePrompt::Run, &prompt);
    EXPECT_EQ(prompt.question, "What do you want to call this pattern?");
    EXPECT_EQ(prompt.proposal, "Zed");
    ASSERT_EQ(renamed, 15);
    EXPECT_STREQ(gPresets[15].name, "Able");
    EXPECT_FALSE(KeyExists(SETTINGS_KEY "\\Zed"));
    EXPECT_EQ(ReadDword(SETTINGS_KEY "\\Able", "Trail Length"), 500);

    FakePrompt cancelled("");
    EXPECT_EQ(DialogRenamePattern(15, pane, FakePrompt::Run, &cancelled), -1);
    EXPECT_TRUE(KeyExists(SETTINGS_KEY "\\Able"));
}

} // namespace
