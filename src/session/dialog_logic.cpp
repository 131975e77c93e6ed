// The settings dialog's logic that needs no window: slider mappings, the pane <-> record and global
// transfers, the list text, the pane-modified rules and the save question, help contexts, the name prompt's
// check and the Copy and Rename buttons. Called by the Windows dialog and by tests; it never touches a window
// or the OS.
#include <cstdio>
#include <cstring>

#include "../../resources/resource.h"
#include "display/display.h"
#include "session/session.h"

// In the order the pane is filled; the inverted ones show their smallest stored value at the right end.
const DialogSlider kTrailLengthSlider = {IDC_TRAIL_LENGTH, 1, 1000, 100, 0};
const DialogSlider kTrailWidthSlider = {IDC_TRAIL_WIDTH, 0, 90, 10, 0};
const DialogSlider kTrailDensitySlider = {IDC_TRAIL_DENSITY, 1, 50, 5, 51};
const DialogSlider kTrailKinkinessSlider = {IDC_TRAIL_KINKINESS, 0, 50, 5, 0};
const DialogSlider kSparklinessSlider = {IDC_SPARKLINESS, 4, 200, 25, 204};
const DialogSlider kFadeSpeedSlider = {IDC_FADE_SPEED, 0, 100, 10, 0};
const DialogSlider kColourSpeedSlider = {IDC_COLOUR_SPEED, 1, 300, 25, 301};
const DialogSlider kMorphSpeedSlider = {IDC_MORPH_SPEED, 1, 20000, 2000, 20001};
const DialogSlider kPaintingModeSlider = {IDC_PAINTING_MODE, 0, 10, 1, 0};
const DialogSlider kBrightnessSlider = {IDC_BG_BRIGHTNESS, 0, 255, 32, 0};

constexpr uint32_t MAX_TRAILS = 100;          // "Number of Trails" arrows
constexpr uint32_t MAX_JUMP_SECONDS = 3600;   // "Seconds Between Jumps" arrows
constexpr uint32_t MAX_MORPH_INTERVAL = 3600; // "Change patterns every" arrows, seconds

int gPaneModified = 0;
int gAskingToSave = 0;
char gNamePrompt[NAME_PROMPT_LEN + 1];
char gNameProposal[NAME_PROPOSAL_LEN + 1];
char gNameAnswer[PRESET_NAME_LEN + 1];

static int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : value > high ? high : value;
}
static int32_t ClampCount(uint32_t value, uint32_t high) {
    return static_cast<int32_t>(value < 1 ? 1 : value > high ? high : value);
}
static int32_t Flag(int32_t ticked) {
    return ticked != 0;
}

int32_t SliderPosition(const DialogSlider &slider, int32_t value) {
    return slider.invertSum ? slider.invertSum - value : value;
}

int32_t SliderValue(const DialogSlider &slider, int32_t position) {
    const int32_t at = Clamp(position, slider.minimum, slider.maximum);
    return slider.invertSum ? slider.invertSum - at : at;
}

// ---------------------------------------------------------------------------------------------------------------
// Pattern pane and global controls
// ---------------------------------------------------------------------------------------------------------------
PatternPane PatternPaneFrom(const Preset &p) {
    PatternPane pane;
    pane.trailLength = SliderPosition(kTrailLengthSlider, p.trailLength);
    pane.trailWidth = SliderPosition(kTrailWidthSlider, p.trailWidth);
    pane.trailDensity = SliderPosition(kTrailDensitySlider, p.trailDensity);
    pane.trailKinkiness = SliderPosition(kTrailKinkinessSlider, p.trailKinkiness);
    pane.sparkliness = SliderPosition(kSparklinessSlider, p.sparkliness);
    pane.fadeSpeed = SliderPosition(kFadeSpeedSlider, p.fadeSpeed);
    pane.colourSpeed = SliderPosition(kColourSpeedSlider, p.colourSpeed);
    pane.numberOfTrails = static_cast<uint32_t>(p.numberOfTrails);
    pane.jumpSpeed = static_cast<uint32_t>(p.jumpSpeed);
    pane.sparkle = p.sparkle;
    pane.alwaysFadeHead = p.alwaysFadeHead;
    pane.alwaysQuicksand = p.alwaysQuicksand;
    pane.dontUse = p.dontUse;
    return pane;
}

void StorePaneInPreset(const PatternPane &pane, Preset *r) {
    // a number box the user cannot type into can still read back as 0; the engine divides by the trails
    r->alwaysFadeHead = Flag(pane.alwaysFadeHead);
    r->alwaysQuicksand = Flag(pane.alwaysQuicksand);
    r->trailLength = SliderValue(kTrailLengthSlider, pane.trailLength);
    r->trailWidth = SliderValue(kTrailWidthSlider, pane.trailWidth);
    r->trailDensity = SliderValue(kTrailDensitySlider, pane.trailDensity);
    r->trailKinkiness = SliderValue(kTrailKinkinessSlider, pane.trailKinkiness);
    r->sparkliness = SliderValue(kSparklinessSlider, pane.sparkliness);
    r->sparkle = Flag(pane.sparkle);
    r->dontUse = Flag(pane.dontUse);
    r->fadeSpeed = SliderValue(kFadeSpeedSlider, pane.fadeSpeed);
    r->colourSpeed = SliderValue(kColourSpeedSlider, pane.colourSpeed);
    r->numberOfTrails = ClampCount(pane.numberOfTrails, MAX_TRAILS);
    r->jumpSpeed = ClampCount(pane.jumpSpeed, MAX_JUMP_SECONDS);
}

GlobalPane GlobalPaneFromSettings() {
    GlobalPane pane;
    pane.useRandomPreset = gUseRandomPreset;
    pane.morphSettings = gMorphSettings;
    pane.morphInterval = static_cast<uint32_t>(gMorphInterval);
    pane.morphSpeed = SliderPosition(kMorphSpeedSlider, gMorphDuration);
    pane.paintingMode = SliderPosition(kPaintingModeSlider, gPaintingMode);
    pane.backgroundBrightness = SliderPosition(kBrightnessSlider, gBackgroundBrightness);
    pane.randomBackground = gRandomBackground;
    pane.showNames = gShowNames;
    pane.showHints = gShowHints;
    pane.doubleSize = gDoubleSize;
    return pane;
}

void StoreGlobalPane(const GlobalPane &pane, int listSelection) {
    gCurrentPreset = SelectedPatternIndex(listSelection, nullptr);
    gUseRandomPreset = Flag(pane.useRandomPreset);
    gMorphSettings = Flag(pane.morphSettings);
    gMorphInterval = static_cast<int32_t>(pane.morphInterval > MAX_MORPH_INTERVAL ? MAX_MORPH_INTERVAL
                                                                                  : pane.morphInterval);
    gMorphDuration = SliderValue(kMorphSpeedSlider, pane.morphSpeed);
    gShowNames = Flag(pane.showNames);
    gShowHints = Flag(pane.showHints);
    gDoubleSize = Flag(pane.doubleSize);
    gPaintingMode = SliderValue(kPaintingModeSlider, pane.paintingMode);
    gBackgroundBrightness = SliderValue(kBrightnessSlider, pane.backgroundBrightness);
    gRandomBackground = Flag(pane.randomBackground);
}

// ---------------------------------------------------------------------------------------------------------------
// The pattern list
// ---------------------------------------------------------------------------------------------------------------
void FormatPatternListText(const Preset &p, char *text, size_t size) {
    if (p.modified)
        snprintf(text, size, "%s (Modified)", p.name);
    else
        snprintf(text, size, "%s", p.name);
}

int SelectedPatternIndex(int listSelection, char *name) {
    const int index = listSelection >= 0 && listSelection < gPresetCount ? listSelection : gCurrentPreset;
    // the list text of a modified standard pattern carries its suffix: questions and prompts use the record's
    if (name) snprintf(name, PRESET_NAME_LEN + 1, "%s", gPresets[index].name);
    return index;
}

// ---------------------------------------------------------------------------------------------------------------
// Unsaved edits in the pattern pane
// ---------------------------------------------------------------------------------------------------------------
bool NotePaneChange(int control) {
    switch (control) {
        case IDC_TRAIL_LENGTH:
        case IDC_TRAIL_WIDTH:
        case IDC_TRAIL_DENSITY:
        case IDC_SPARKLINESS:
        case IDC_TRAIL_KINKINESS:
        case IDC_FADE_SPEED:
        case IDC_COLOUR_SPEED:
        case IDC_TRAILS_ARROWS:
        case IDC_JUMP_ARROWS:
        case IDC_SPARKLES:
        case IDC_ALWAYS_FADE:
        case IDC_ALWAYS_STICKY: gPaneModified = 1; return true;
        default: return false; // global controls are saved by OK; "Don't use this pattern" at once
    }
}

void AskToSavePane(const char *name, void (*store)(void *context), void *context) {
    if (!gPaneModified || gAskingToSave) return;
    gAskingToSave = 1; // the list gets the focus back when the question closes: ask once
    char question[PRESET_NAME_LEN + 64];
    snprintf(question, sizeof question, "Do you want to save your changes to \"%s\" first?", name);
    if (AskYesNo(question, true)) store(context);
    gAskingToSave = 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Context help
// ---------------------------------------------------------------------------------------------------------------
// clang-format off
const uint32_t kHelpContextTable[] = {
    IDC_TRAIL_LENGTH, 10, IDC_LABEL_LENGTH, 10,
    IDC_TRAIL_WIDTH, 20, IDC_LABEL_WIDTH, 20,
    IDC_TRAILS, 30, IDC_TRAILS_ARROWS, 30, IDC_LABEL_TRAILS, 30,
    IDC_SPARKLES, 40,
    IDC_PANE_TOGGLE, 60,
    IDC_TRAIL_DENSITY, 70, IDC_LABEL_DENSITY, 70,
    IDC_RESOLUTION, 80, IDC_LABEL_RESOLUTION, 80,
    IDC_SPARKLINESS, 90, IDC_LABEL_SPARKLINESS, 90,
    IDC_TRAIL_KINKINESS, 100, IDC_LABEL_KINKINESS, 100,
    IDC_JUMP, 110, IDC_JUMP_ARROWS, 110, IDC_LABEL_JUMP, 110,
    IDC_FADE_SPEED, 120, IDC_LABEL_FADE, 120,
    IDC_COLOUR_SPEED, 140, IDC_LABEL_COLOUR, 140,
    IDC_PATTERN_LIST, 160, IDC_LABEL_PATTERN, 160,
    IDC_RANDOM_START, 170,
    IDC_MORPH_ON, 180,
    IDC_MORPH_SPEED, 190, IDC_LABEL_MORPH_SPEED, 190,
    IDC_MORPH_INTERVAL, 200, IDC_MORPH_INTERVAL_ARROWS, 200, IDC_LABEL_SECONDS, 200,
    IDC_LINK, 210,
    IDC_ALWAYS_FADE, 220,
    IDC_ALWAYS_STICKY, 230,
    IDC_DONT_USE, 250,
    IDC_USE_ALL, 260,
    IDC_DEFAULTS, 270,
    IDC_COPY, 280,
    IDC_RENAME, 300,
    IDC_DELETE, 310,
    IDC_SHOW_NAMES, 320,
    IDC_DOUBLE_SIZE, 330,
    IDC_HELP_BUTTON, 340,
    IDC_SHOW_HINTS, 350,
    IDC_PAINTING_MODE, 360, IDC_LABEL_PAINTING, 360,
    IDC_BG_BRIGHTNESS, 370, IDC_LABEL_BRIGHTNESS, 370,
    IDC_RANDOM_BG, 380,
    IDC_VERSION, NO_HELP_CONTEXT, IDC_F1_NOTE, NO_HELP_CONTEXT,
    0, 0,
};
// clang-format on

uint32_t HelpContextOf(int control) {
    for (const uint32_t *pair = kHelpContextTable; pair[0] != 0; pair += 2)
        if (pair[0] == static_cast<uint32_t>(control)) return pair[1];
    return 0;
}

// ---------------------------------------------------------------------------------------------------------------
// The name prompt and the buttons that use it
// ---------------------------------------------------------------------------------------------------------------
bool AcceptNamePromptAnswer(const char *text) {
    snprintf(gNameAnswer, sizeof gNameAnswer, "%.*s", PRESET_NAME_LEN, text);
    // a backslash would name a nested key: refused first, before the check for a name already in use
    if (!IsPresetNameAllowed(gNameAnswer)) return false;
    return IsPresetNameFree(gNameAnswer); // an empty answer passes: the caller takes it as a cancel
}

static void AskForName(const char *question, const char *proposal, void (*runPrompt)(void *), void *context) {
    snprintf(gNamePrompt, sizeof gNamePrompt, "%s", question);
    snprintf(gNameProposal, sizeof gNameProposal, "%s", proposal);
    gNameAnswer[0] = '\0'; // a prompt that never ran counts as cancelled
    runPrompt(context);
}

int DialogCopyPattern(int selected, const PatternPane &pane, void (*runPrompt)(void *), void *context) {
    char proposal[NAME_PROPOSAL_LEN + 1];
    snprintf(proposal, sizeof proposal, "Copy of %s", gPresets[selected].name);
    AskForName("What do you want to call the new pattern?", proposal, runPrompt, context);
    if (!gNameAnswer[0]) return -1;
    Preset values = gPresets[selected]; // the pane as a record: its edits count even if never stored
    StorePaneInPreset(pane, &values);
    return CopyPreset(selected, gNameAnswer, &values);
}

int DialogRenamePattern(int selected, const PatternPane &pane, void (*runPrompt)(void *), void *context) {
    if (selected < NUM_STANDARD_PRESETS) {
        ErrorBox("You can't rename the standard patterns.");
        return -1;
    }
    char name[PRESET_NAME_LEN + 1];
    snprintf(name, sizeof name, "%s", gPresets[selected].name);
    AskForName("What do you want to call this pattern?", name, runPrompt, context);
    if (!gNameAnswer[0]) return -1;
    StorePaneInPreset(pane, &gPresets[selected]);
    return RenamePreset(selected, gNameAnswer);
}
