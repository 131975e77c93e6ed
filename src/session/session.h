// The saver session: the saver window's event handling (start, frame timer, keys, pause, close, restart).
#pragma once
#include <cstdint>

#include "platform/winsys.h"

extern int gShowKeyHelp; // F1 toggle: the frame shows the two key-help text slots

// ---------------------------------------------------------------------------------------------------------------
// The saver window's procedure and the session state (saver_window.cpp, state.cpp)
// ---------------------------------------------------------------------------------------------------------------
constexpr uint32_t FRAME_TIMER_ID = 200;      // the frame timer's identifier
constexpr uint32_t FRAME_TIMER_PERIOD_MS = 1; // the engine paces itself; the timer only keeps it running
constexpr uint32_t CLOSE_GUARD_MS = 10000;    // old NT: an early close without input is ignored this long
constexpr uint32_t CENTRE_BOX_PX = 3;         // mouse moves this close to the mode's centre are not input
constexpr int HINT_TEXT_LEN = 200;            // characters of a performance-hint buffer, with its NUL

extern const char NO_HINT_TEXT[]; // shown in the hint slot when H switched hints on and no hint applies

extern int gSessionStopped;         // an accepted close stopped the session; ticks do nothing
extern int gPaused;                 // Pause key; survives a restart
extern uint32_t gStartTick;         // tick count at the last start, ms
extern int gInputSeen;              // user input went on to the host's default handling; never cleared
extern int gWindowEnabled;          // the enabled state last reported for the window
extern int gOldNtPlatform;          // NT below version 5: the close guard applies
extern uint16_t gFrameTimerStarted; // low 16 bits of the frame timer's identifier; nonzero: started
extern int gHintRequested;          // the H key last switched hints to this value

// The saver window's event handling. Events carry the Windows message numbers (EV_*); what it does not
// consume goes on to HostDefaultProc, whose answer is returned.
intptr_t SaverWindowProc(WindowHandle window, uint32_t event, uintptr_t wParam, intptr_t lParam);

// Tests: every session variable back to its start value.
void ResetSessionForTests();

// ---------------------------------------------------------------------------------------------------------------
// The settings dialog away from any window (dialog_logic.cpp): what its controls show for a pattern and for
// the global settings, how they read back, which changes leave the pattern pane with unsaved edits, the help
// contexts, the name prompt's buffers and check, and the library buttons. The Windows dialog
// (settings_dialog_win32.cpp) only moves these values in and out of its controls.
// ---------------------------------------------------------------------------------------------------------------
#include <cstddef>
#include <cstdint>

#include "patterns/patterns.h"

// A slider of the dialog: its control, range and step (page size and tick spacing), and how a stored value
// becomes its position: as stored, or inverted (position = invertSum - value) so that the right end is "High"
// or "Fast" where the stored value is smallest.
struct DialogSlider {
    int control;
    int32_t minimum, maximum, step;
    int32_t invertSum; // 0: shown as stored
};
extern const DialogSlider kTrailLengthSlider, kTrailWidthSlider, kTrailDensitySlider, kTrailKinkinessSlider,
    kSparklinessSlider, kFadeSpeedSlider, kColourSpeedSlider, kMorphSpeedSlider, kPaintingModeSlider,
    kBrightnessSlider;
int32_t SliderPosition(const DialogSlider &slider, int32_t value); // stored value -> position
int32_t SliderValue(const DialogSlider &slider, int32_t position); // position -> stored value, in range

// What the pattern pane's controls show: slider positions, the two number boxes, the check boxes.
struct PatternPane {
    int32_t trailLength, trailWidth, trailDensity, trailKinkiness, sparkliness, fadeSpeed, colourSpeed;
    uint32_t numberOfTrails, jumpSpeed;
    int32_t sparkle, alwaysFadeHead, alwaysQuicksand, dontUse;
};
PatternPane PatternPaneFrom(const Preset &p);
// Writes the pane into the record's editable fields, each kept inside its dialog range; nothing else changes.
void StorePaneInPreset(const PatternPane &pane, Preset *record);

// What the global controls show (the resolution list aside).
struct GlobalPane {
    int32_t useRandomPreset, morphSettings;
    uint32_t morphInterval; // seconds, number box
    int32_t morphSpeed;     // slider position
    int32_t paintingMode, backgroundBrightness;
    int32_t randomBackground, showNames, showHints, doubleSize;
};
GlobalPane GlobalPaneFromSettings();
// OK: the global controls and the pattern list's selection back into the settings, each inside its range.
void StoreGlobalPane(const GlobalPane &pane, int listSelection);

constexpr size_t PATTERN_LIST_TEXT_LEN = 48; // "%s (Modified)" with a 30-character name, and room to spare
void FormatPatternListText(const Preset &p, char *text, size_t size);
// The pattern that the list's selection stands for (the current pattern when nothing valid is selected);
// `name` (room for a name and its NUL, may be nullptr) receives the record's own name, never the list text.
int SelectedPatternIndex(int listSelection, char *name);

// Set while the pane holds edits not yet stored into its pattern; cleared whenever the pane is filled anew.
extern int gPaneModified;
extern int gAskingToSave; // the save question is on screen
// A control of the dialog was changed by the user: pattern sliders, the two pattern arrows and the three
// pattern check boxes leave the pane modified; global controls and "Don't use this pattern" (saved at once)
// do not. True when the change counts.
bool NotePaneChange(int control);
// The pattern list got the focus: with unsaved edits, asks (once at a time) whether to save them into
// `name`; `store` runs on Yes.
void AskToSavePane(const char *name, void (*store)(void *context), void *context);

// Context help: pairs of control and help context ending with 0, 0, as the help system takes them.
constexpr uint32_t NO_HELP_CONTEXT = 0xFFFFFFFFu; // context -1: the control has no help
constexpr int LABEL_CONTROL_ID = 0xFFFF;          // labels without a function: no help request at all
extern const uint32_t kHelpContextTable[];
uint32_t HelpContextOf(int control); // 0 when the control is not in the table
// The help built into the program: a control's line for its help context (none for a context without one),
// and the dialog's own page with the saver's keys.
const char *HelpTextOf(uint32_t context);
extern const char *const kDialogHelpText;

// The name prompt's buffers, shared with the dialog that runs it.
constexpr int NAME_PROMPT_LEN = 199;                   // the question
constexpr int NAME_PROPOSAL_LEN = 8 + PRESET_NAME_LEN; // "Copy of " and a name
extern char gNamePrompt[NAME_PROMPT_LEN + 1];
extern char gNameProposal[NAME_PROPOSAL_LEN + 1];
extern char gNameAnswer[PRESET_NAME_LEN + 1]; // empty: cancelled
// The prompt's OK: takes at most a name's 30 characters of `text` into gNameAnswer and checks it (no
// backslash, then unique, each refusal shown); true when the prompt may close.
bool AcceptNamePromptAnswer(const char *text);

// The library buttons for the selected pattern. `runPrompt` shows the name prompt for gNamePrompt and
// gNameProposal and leaves the answer in gNameAnswer. Each returns the index the list should select
// afterwards, or -1 when nothing changed.
int DialogCopyPattern(int selected, const PatternPane &pane, void (*runPrompt)(void *context), void *context);
int DialogRenamePattern(int selected, const PatternPane &pane, void (*runPrompt)(void *context),
                        void *context);

// The settings dialog, run modally with `ownerHwnd` (a window handle, or nullptr) as its owner after the
// dialog's window classes are prepared: 1 after OK, 0 after Cancel. Windows only.
int RunSettingsDialog(void *ownerHwnd);
