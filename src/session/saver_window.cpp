// The saver window's own event handling: starts a session (settings, first pattern, display, text slots,
// engine, frame timer), runs the engine once per timer tick, turns keys into requests and toggles, pauses,
// guards and accepts the close request, and restarts after a close the host refused. Called by the host's
// class procedure for every event it does not keep; never writes the settings store and calls no OS function
// (everything of the window system goes through the platform seam).
#include <cstdio>
#include <cstdlib>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "session/session.h"

// The overlay parameters the session draws with.
constexpr int32_t HINT_TEXT_SIZE = 16; // pixels
constexpr int32_t NAME_TEXT_SIZE = 16;
constexpr int32_t KEY_HELP_TEXT_SIZE = 12;
constexpr uint32_t HINT_COLOUR = 255; // COLORREF pure red
constexpr uint32_t GREY_FROM_MIX = 0; // COLORREF 0: the grey level of the mix, white at 1.0

// Ctrl with '1'..'5' morphs to the last five standard patterns.
constexpr int32_t CTRL_DIGIT_FIRST_PATTERN = 10;

static void DrawOverlay(const char *text, int32_t size, int slot, uint32_t colour) {
    DDDrawText(text, "", 1.0f, true, size, slot, colour, true);
}

static void StopSession(WindowHandle window, bool stopTimer) {
    if (stopTimer && gFrameTimerStarted != 0) PlatformStopTimer(window, FRAME_TIMER_ID);
    DDCleanUp();
    FreeTrails();
    if (gPresets) {
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
    }
}

static bool StartSession(WindowHandle window) {
    gSessionStopped = 0;

    PlatformVersion version;
    gOldNtPlatform =
        PlatformVersionInfo(&version) && version.platformId == VER_PLATFORM_NT && version.major < 5;
    PlatformSetNormalPriority();
    SeedRand(PlatformCalendarSeconds() >> 1);

    gPresets = nullptr; // StopSession released it; GetSettings builds a fresh library
    gPresetCount = 0;
    // Without a pattern library there is nothing to run (GetSettings has logged why).
    if (!GetSettings(false) || !gPresets) return false;
    if (gPreviewMode) gDoubleSize = 1;
    // The first pattern, then the background. The start-up hint reads neither, nor the random generator, so
    // composing it after the background is the same as composing it between the two.
    ChooseStartingPreset();
    char hint[HINT_TEXT_LEN];
    GetPerformanceHint(hint, sizeof hint); // before DDInit: it reads the desktop mode the user works in

    if (!DDInit(window, gScreenWidth, gScreenHeight)) return false; // already reported to the user

    if (gShowHints) DrawOverlay(hint, HINT_TEXT_SIZE, TEXT_SLOT_HINT, HINT_COLOUR);
    DrawOverlay(gPresets[gCurrentPreset].name, NAME_TEXT_SIZE, TEXT_SLOT_NAME, GREY_FROM_MIX);
    DrawOverlay(kKeyHelpLine1, KEY_HELP_TEXT_SIZE, TEXT_SLOT_KEYHELP1, GREY_FROM_MIX);
    DrawOverlay(kKeyHelpLine2, KEY_HELP_TEXT_SIZE, TEXT_SLOT_KEYHELP2, GREY_FROM_MIX);
    ResetTrailHead();

    // Last, so that no tick arrives before everything above exists.
    gFrameTimerStarted =
        static_cast<uint16_t>(PlatformStartTimer(window, FRAME_TIMER_ID, FRAME_TIMER_PERIOD_MS) & 0xFFFFu);
    return true;
}

static void Tick(WindowHandle window) {
    if (gSessionStopped || gPaused) return; // paused: the last frame stays and keys keep working
    UpdateTrails(window);
    char hint[HINT_TEXT_LEN];
    GetPerformanceHint(hint, sizeof hint);
    if (gShowHints) {
        if (gHintRequested && hint[0] == '\0') {
            // Only after the user asked for hints with H; hints on from the settings alone stay silent.
            snprintf(hint, sizeof hint, "%s", NO_HINT_TEXT);
        }
        DrawOverlay(hint, HINT_TEXT_SIZE, TEXT_SLOT_HINT, HINT_COLOUR);
    }
}

static void TogglePainting() {
    gPainting = !gPainting;
    // A stopped session holds no patterns; its restart takes the painting decision afresh anyway.
    if (!gPresets) return;
    if (!gPainting)
        gTrail.fadeSpeed = gPresets[gCurrentPreset].fadeSpeed;
    else if (gTrail.spiralTrail == 0)
        gTrail.fadeSpeed = 0; // painted trails must not fade out of the picture they build
    RefreshTrailSettings();
}

static bool EffectKey(uint32_t vkey, EffectId *effect) {
    switch (vkey) {
        case 'C': *effect = EFFECT_CENTRE_PULL; return true;
        case 'F': *effect = EFFECT_FADE_HEAD; return true;
        case 'J': *effect = EFFECT_REVERSAL; return true;
        case 'L': *effect = EFFECT_PULSE; return true;
        case 'O': *effect = EFFECT_COLOUR_RAMP; return true;
        case 'Q': *effect = EFFECT_QUICKSAND; return true;
        case 'S': *effect = EFFECT_FAN; return true;
        case 'V': *effect = EFFECT_COSINE_SPEED; return true;
        case 'W': *effect = EFFECT_FOUNTAIN; return true;
        case 'Z': *effect = EFFECT_FIXED_HEADING; return true;
        default: return false;
    }
}

// The command table for a key down without Ctrl; true when the key is one of the saver's.
static bool KeyCommand(uint32_t vkey) {
    EffectId effect;
    if (vkey >= '1' && vkey <= '9') {
        RequestMorph(static_cast<int32_t>(vkey - '1'));
    } else if (vkey == '0') {
        RequestMorph(9);
    } else if (vkey == 'M') {
        RequestMorph(-1); // the engine picks the target
    } else if (EffectKey(vkey, &effect)) {
        RequestEffect(effect);
    } else {
        switch (vkey) {
            case VKEY_CONTROL: break;
            case VKEY_PAUSE: gPaused = !gPaused; break;
            case 'D':
                gDoubleSize = !gDoubleSize;
                gLowestFrameRate = HINT_RATE_AFTER_DOUBLE_SIZE; // judge the frame rate afresh
                break;
            case 'H':
                gShowHints = !gShowHints;
                gHintRequested = gShowHints;
                break;
            case 'N': gShowNames = !gShowNames; break;
            case 'P': TogglePainting(); break;
            case VKEY_F1: gShowKeyHelp = !gShowKeyHelp; break;
            default: return false;
        }
    }
    return true;
}

// Keys, system keys and button presses; true when the saver consumed the event.
static bool Command(uint32_t event, uintptr_t wParam) {
    uint8_t keys[KEYBOARD_STATE_SIZE];
    PlatformKeyboardState(keys);
    if (keys[VKEY_CONTROL] & KEY_DOWN_BIT) {
        // While Ctrl is held nothing reaches the host, so no key or button ends the saver.
        for (uint32_t digit = '1'; digit <= '5'; ++digit) {
            if (keys[digit] & KEY_DOWN_BIT) {
                RequestMorph(CTRL_DIGIT_FIRST_PATTERN + static_cast<int32_t>(digit - '1'));
                break;
            }
        }
        return true;
    }
    return event == EV_KEYDOWN && KeyCommand(static_cast<uint32_t>(wParam));
}

static bool InCentreBox(intptr_t lParam) {
    const int64_t x = static_cast<uint32_t>(lParam) & 0xFFFFu;
    const int64_t y = (static_cast<uint32_t>(lParam) >> 16) & 0xFFFFu;
    const int64_t cx = gScreenWidth / 2, cy = gScreenHeight / 2;
    return std::llabs(x - cx) <= CENTRE_BOX_PX && std::llabs(y - cy) <= CENTRE_BOX_PX;
}

intptr_t SaverWindowProc(WindowHandle window, uint32_t event, uintptr_t wParam, intptr_t lParam) {
    switch (event) {
        case EV_CREATE:
            gStartTick = PlatformTickCount();
            if (!StartSession(window)) return -1;
            break;
        case EV_ENABLE: gWindowEnabled = wParam != 0; break;
        case EV_NCPAINT:
            if (gWindowEnabled && wParam != 1) {
                // A restart that finds the session running stops it first, so nothing is set up twice.
                if (!gSessionStopped) StopSession(window, true);
                gStartTick = PlatformTickCount();
                StartSession(window); // a failed restart leaves no timer: the session idles until closed
            }
            break;
        case EV_CLOSE:
            if (gOldNtPlatform && !gInputSeen && PlatformTickCount() - gStartTick < CLOSE_GUARD_MS) return 0;
            gSessionStopped = 1;
            StopSession(window, true);
            break;
        case EV_TIMER: Tick(window); break;
        case EV_KEYDOWN:
        case EV_SYSKEYDOWN:
        case EV_SYSKEYUP:
        case EV_LBUTTONDOWN:
        case EV_RBUTTONDOWN:
        case EV_MBUTTONDOWN:
            if (Command(event, wParam)) return 0;
            gInputSeen = 1;
            break;
        case EV_MOUSEMOVE:
            if (InCentreBox(lParam)) return 1;
            gInputSeen = 1;
            break;
        default: break;
    }
    return HostDefaultProc(window, event, wParam, lParam);
}
