#include "session/session_fixture.h"

namespace {

// --- keys and buttons
// --------------------------------------------------------------------------------------------

TEST_F(SessionTest, WhileCtrlIsHeldNoKeyOrButtonReachesTheHost) {
    ASSERT_NE(Create(), -1);
    SetScriptedKey(VKEY_CONTROL, true);
    for (uint32_t event :
         {EV_KEYDOWN, EV_SYSKEYDOWN, EV_SYSKEYUP, EV_LBUTTONDOWN, EV_RBUTTONDOWN, EV_MBUTTONDOWN})
        EXPECT_EQ(Send(event, 'X', MousePositionParam(5, 5)), 0) << event;
    EXPECT_EQ(Key(VKEY_ESCAPE), 0);
    EXPECT_EQ(PostedCloseCount(), 0u);
    EXPECT_EQ(gInputSeen, 0);
    EXPECT_EQ(gMorphRequested, 0);
}

TEST_F(SessionTest, CtrlWithOneToFiveMorphsToTheLastStandardPatternsLowestDigitWinning) {
    ASSERT_NE(Create(), -1);
    for (uint32_t digit = '1'; digit <= '5'; ++digit) {
        gMorphRequested = 0;
        KeyWith({VKEY_CONTROL}, digit);
        EXPECT_EQ(gMorphRequested, 1);
        EXPECT_EQ(gMorphRequestTarget, static_cast<int32_t>(10 + digit - '1'));
    }
    gMorphRequested = 0;
    KeyWith({VKEY_CONTROL, '4', '2'}, '5');
    EXPECT_EQ(gMorphRequestTarget, 11);
    // The button press is tested too: with Ctrl and '3' held, a click asks for pattern 12.
    SetScriptedKey(VKEY_CONTROL, true);
    SetScriptedKey('3', true);
    EXPECT_EQ(Send(EV_LBUTTONDOWN, 1, MousePositionParam(1, 1)), 0);
    ReleaseAllScriptedKeys();
    EXPECT_EQ(gMorphRequestTarget, 12);

    gMorphRequested = 0;
    for (uint32_t digit : {'6', '7', '8', '9', '0'})
        KeyWith({VKEY_CONTROL}, digit);
    EXPECT_EQ(gMorphRequested, 0);
    EXPECT_EQ(PostedCloseCount(), 0u);
}

TEST_F(SessionTest, DigitsAndMRequestMorphs) {
    ASSERT_NE(Create(), -1);
    const struct {
        uint32_t key;
        int32_t target;
    } cases[] = {{'1', 0}, {'5', 4}, {'9', 8}, {'0', 9}, {'M', -1}};
    for (const auto &c : cases) {
        gMorphRequested = 0;
        EXPECT_EQ(Key(c.key), 0);
        EXPECT_EQ(gMorphRequested, 1);
        EXPECT_EQ(gMorphRequestTarget, c.target) << c.key;
    }
    EXPECT_EQ(gInputSeen, 0);
}

TEST_F(SessionTest, EachEffectKeyRequestsItsOwnEffect) {
    ASSERT_NE(Create(), -1);
    const struct {
        uint32_t key;
        EffectId effect;
    } cases[] = {{'C', EFFECT_CENTRE_PULL},  {'F', EFFECT_FADE_HEAD},    {'J', EFFECT_REVERSAL},
                 {'L', EFFECT_PULSE},        {'O', EFFECT_COLOUR_RAMP},  {'Q', EFFECT_QUICKSAND},
                 {'S', EFFECT_FAN},          {'V', EFFECT_COSINE_SPEED}, {'W', EFFECT_FOUNTAIN},
                 {'Z', EFFECT_FIXED_HEADING}};
    for (const auto &c : cases) {
        for (Effect &e : gEffects)
            e.request = 0;
        EXPECT_EQ(Key(c.key), 0);
        for (int e = 0; e < NUM_EFFECTS; ++e)
            EXPECT_EQ(gEffects[e].request, e == c.effect ? 1 : 0) << c.key;
    }
    EXPECT_EQ(PostedCloseCount(), 0u);
}

TEST_F(SessionTest, OtherKeysAndButtonsMarkInputAndAskTheHostToClose) {
    ASSERT_NE(Create(), -1);
    Send(EV_SYSKEYUP, VKEY_MENU);
    EXPECT_EQ(gInputSeen, 1); // passed on, but a key release closes nothing
    EXPECT_EQ(PostedCloseCount(), 0u);
    for (uint32_t key :
         {static_cast<uint32_t>(VKEY_SHIFT), static_cast<uint32_t>('A'), VKEY_ESCAPE, VKEY_F1 + 1}) {
        ClearPostedMessages();
        Key(key);
        EXPECT_EQ(PostedCloseCount(), 1u) << key;
    }
    ClearPostedMessages();
    Send(EV_SYSKEYDOWN, VKEY_MENU);
    Send(EV_RBUTTONDOWN, 2, MousePositionParam(3, 3));
    EXPECT_EQ(PostedCloseCount(), 2u);
    EXPECT_TRUE(TimerRunning()); // only posted: the session itself runs on until the close arrives
}

// --- mouse
// -------------------------------------------------------------------------------------------------------

TEST_F(SessionTest, MovesWithinThreePixelsOfTheModesCentreAreNotInput) {
    StoreSettings("\"Resolution\"=\"800 x 600\"\n");
    ASSERT_NE(Create(), -1);
    SetScriptedCursor(10000, 10000); // anything the host looked at would close
    for (auto [x, y] : {std::pair{400, 300}, {397, 303}, {403, 297}}) {
        EXPECT_EQ(Send(EV_MOUSEMOVE, 0, MousePositionParam(x, y)), 1);
    }
    EXPECT_EQ(gInputSeen, 0);
    EXPECT_EQ(PostedCloseCount(), 0u);
    Send(EV_MOUSEMOVE, 0, MousePositionParam(404, 300));
    EXPECT_EQ(gInputSeen, 1);
    EXPECT_EQ(PostedCloseCount(), 1u);
}

// --- close guard
// -------------------------------------------------------------------------------------------------

TEST_F(SessionTest, OldNtIgnoresAnEarlyCloseUntilInputOrTenSeconds) {
    SetScriptedVersion(VER_PLATFORM_NT, 4, 0);
    ASSERT_NE(Create(), -1);
    AdvanceScriptedTime(9999);
    EXPECT_EQ(Send(EV_CLOSE), 0);
    EXPECT_EQ(gSessionStopped, 0);
    EXPECT_TRUE(TimerRunning());
    EXPECT_TRUE(DefaultProcCalls().empty() || DefaultProcCalls().back().message != EV_CLOSE);
    AdvanceScriptedTime(1);
    Send(EV_CLOSE);
    EXPECT_EQ(gSessionStopped, 1);
    EXPECT_FALSE(TimerRunning());
    ASSERT_FALSE(DefaultProcCalls().empty());
    EXPECT_EQ(DefaultProcCalls().back().message, EV_CLOSE);
}

TEST_F(SessionTest, ACloseIsHonouredAtOnceAfterInputOrOnOtherPlatforms) {
    const struct {
        uint32_t platform, major;
        bool input;
    } cases[] = {{VER_PLATFORM_NT, 4, true},
                 {VER_PLATFORM_NT, 5, false},
                 {VER_PLATFORM_WIN9X, 4, false},
                 {0, 0, false}};
    for (const auto &c : cases) {
        ResetSessionForTests();
        SetScriptedVersion(c.platform, c.major, 0);
        ASSERT_NE(Create(), -1);
        if (c.input) Key('A');
        Send(EV_CLOSE);
        EXPECT_EQ(gSessionStopped, 1) << c.platform << "." << c.major;
    }
}

// --- pause
// -------------------------------------------------------------------------------------------------------

TEST_F(SessionTest, PauseFreezesTheFramesWhileKeysStillAct) {
    ASSERT_NE(Create(), -1);
    Tick();
    const uint32_t clock = gMorphClock;
    Tick();
    EXPECT_GT(gMorphClock, clock); // ticks run the frame step

    Key(VKEY_PAUSE);
    const uint32_t frozen = gMorphClock;
    const int doubleSize = gDoubleSize, names = gShowNames, painting = gPainting;
    Key('D');
    Key('N');
    Key('P');
    Key(VKEY_F1);
    Key('4');
    Key('W');
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(gMorphClock, frozen);
    EXPECT_EQ(gDoubleSize, !doubleSize);
    EXPECT_EQ(gShowNames, !names);
    EXPECT_EQ(gPainting, !painting);
    EXPECT_EQ(gShowKeyHelp, 1);
    EXPECT_EQ(gMorphRequestTarget, 3);
    EXPECT_EQ(gEffects[EFFECT_FOUNTAIN].request, 1);
    EXPECT_EQ(PostedCloseCount(), 0u);

    Key(VKEY_PAUSE);
    Tick();
    EXPECT_GT(gMorphClock, frozen);
}

// --- toggles
// -----------------------------------------------------------------------------------------------------

TEST_F(SessionTest, PaintingToggleZeroesTheFadeWithoutSpiralAndRestoresThePatternsFade) {
    StoreSettings("\"Preset\"=dword:0000000a\n\"Painting Mode\"=dword:00000000\n");
    ASSERT_NE(Create(), -1);
    ASSERT_EQ(gCurrentPreset, 10);
    ASSERT_EQ(gPainting, 0);
    gTrail.spiralTrail = 0;
    gTrail.fadeSpeed = 55;
    Key('P');
    EXPECT_EQ(gPainting, 1);
    EXPECT_EQ(gTrail.fadeSpeed, 0); // no exception for pattern 10 here
    Key('P');
    EXPECT_EQ(gPainting, 0);
    EXPECT_EQ(gTrail.fadeSpeed, gPresets[10].fadeSpeed);
    gTrail.spiralTrail = 1;
    gTrail.fadeSpeed = 37;
    Key('P');
    EXPECT_EQ(gPainting, 1);
    EXPECT_EQ(gTrail.fadeSpeed, 37);
}

TEST_F(SessionTest, PreviewAlwaysDrawsDoubleSize) {
    StoreSettings("\"Double Size\"=dword:00000000\n");
    gPreviewMode = 1;
    ASSERT_NE(Create(), -1);
    EXPECT_EQ(gDoubleSize, 1);
}

// --- stop and restart
// --------------------------------------------------------------------------------------------

TEST_F(SessionTest, ARefusedCloseLeavesAStoppedSessionThatTheNextRegionPaintRestartsWithFreshSettings) {
    gOnWin9x = 1;
    gCheckPasswordBeforeClose = [](WindowHandle) { return false; };
    StoreSettings("\"Show Names\"=dword:00000000\n");
    ASSERT_NE(Create(), -1);
    Key('N');
    ASSERT_EQ(gShowNames, 1);

    EXPECT_EQ(Send(EV_CLOSE), 0); // refused by the password check: the window stays
    EXPECT_EQ(gSessionStopped, 1);
    EXPECT_FALSE(TimerRunning());
    EXPECT_EQ(gPresets, nullptr);
    EXPECT_EQ(gDisplay.ready, 0);
    for (const ScriptedMessage &m : DefaultProcCalls())
        EXPECT_NE(m.message, EV_CLOSE);
    const uint32_t clock = gMorphClock;
    Tick();
    EXPECT_EQ(gMorphClock, clock); // a stopped session ignores ticks
    Key('P');                      // keys on a stopped session are harmless

    StoreSettings("\"Show Names\"=dword:00000001\n\"Double Size\"=dword:00000001\n");
    Send(EV_NCPAINT, 1); // the whole window: not a restart
    EXPECT_EQ(gSessionStopped, 1);
    Send(EV_ENABLE, 0);
    Send(EV_NCPAINT, 0x2345); // disabled while the password dialog is up: not a restart
    EXPECT_EQ(gSessionStopped, 1);
    Send(EV_ENABLE, 1);
    AdvanceScriptedTime(500);
    Send(EV_NCPAINT, 0x2345);
    EXPECT_EQ(gSessionStopped, 0);
    EXPECT_TRUE(TimerRunning());
    EXPECT_EQ(gStartTick, ScriptedTime());
    EXPECT_NE(gPresets, nullptr);
    EXPECT_EQ(gDoubleSize, 1); // loaded afresh
    Tick();
    EXPECT_GT(gMorphClock, clock);
}

TEST_F(SessionTest, ARegionPaintWhileRunningStopsTheSessionBeforeStartingAgain) {
    ASSERT_NE(Create(), -1);
    Tick();
    Send(EV_NCPAINT, 0x77);
    const std::vector<ScriptedTimerCall> &calls = TimerCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].start);
    EXPECT_FALSE(calls[1].start);
    EXPECT_TRUE(calls[2].start);
    EXPECT_EQ(gSessionStopped, 0);
    Tick();
}

TEST_F(SessionTest, KeysChangeTheRunningSessionButNeverTheStore) {
    StoreSettings(
        "\"Double Size\"=dword:00000000\n\"Show Hints\"=dword:00000000\n\"Show Names\"=dword:00000001\n");
    ASSERT_NE(Create(), -1);
    Key('D');
    Key('H');
    Key('N');
    EXPECT_EQ(gDoubleSize, 1);
    EXPECT_EQ(gShowHints, 1);
    EXPECT_EQ(gShowNames, 0);
    Send(EV_NCPAINT, 0x10); // a restart reloads what is stored
    EXPECT_EQ(gDoubleSize, 0);
    EXPECT_EQ(gShowHints, 0);
    EXPECT_EQ(gShowNames, 1);
}

// --- start
// -------------------------------------------------------------------------------------------------------

TEST_F(SessionTest, TheFrameTimerStartsLastOnceTheDisplayEngineAndTextSlotsAreReady) {
    bool displayReady = false, headReset = false;
    int32_t widths[4] = {};
    SetScriptedTimerStartHook([&] {
        displayReady = gDisplay.ready != 0;
        headReset = gTimeStep == 0.001;
        for (int slot = 0; slot < 4; ++slot)
            widths[slot] = SlotWidth(slot);
    });
    gTimeStep = 0.5;
    ASSERT_NE(Create(), -1);
    EXPECT_TRUE(displayReady);
    EXPECT_TRUE(headReset);
    EXPECT_GT(widths[0], widths[3]); // the key help's first line is the widest text
    EXPECT_GT(widths[1], 0);
    EXPECT_GT(widths[3], 0); // the pattern's name
    EXPECT_EQ(widths[2], 0); // hints are off
    ASSERT_EQ(TimerCalls().size(), 1u);
    EXPECT_EQ(TimerCalls()[0].id, FRAME_TIMER_ID);
    EXPECT_EQ(TimerCalls()[0].periodMs, 1u);
    EXPECT_EQ(gFrameTimerStarted, FRAME_TIMER_ID);
    EXPECT_EQ(ScriptedPriorityCalls(), 1u);
    EXPECT_EQ(gStartTick, ScriptedTime());
}

TEST_F(SessionTest, TheStartUpHintIsComposedBeforeTheDisplayIsSetUp) {
    SoftDeviceSetDesktop(1024, 768, 32); // the desktop the user works in; "Resolution" is 640 x 480
    SoftDeviceFail(SOFT_CREATE, static_cast<int32_t>(0x80004005));
    EXPECT_EQ(Create(), -1);
    // Had the start waited for the display, the start-up call would come only now, on another desktop.
    SoftDeviceSetDesktop(640, 480, 32);
    char text[HINT_TEXT_LEN];
    GetPerformanceHint(text, sizeof text);
    EXPECT_STREQ(text, "HINT: Try a resolution of 1024 x 768");
}

TEST_F(SessionTest, AFailedDisplaySetUpRefusesTheWindow) {
    SoftDeviceFail(SOFT_CREATE, static_cast<int32_t>(0x80004005));
    EXPECT_EQ(Create(), -1);
    EXPECT_TRUE(TimerCalls().empty());
    EXPECT_EQ(RecordedBoxes().size(), 1u); // the display reported it
}

TEST_F(SessionTest, AFailedRestartLeavesTheSessionIdleUntilClosed) {
    ASSERT_NE(Create(), -1);
    SoftDeviceFail(SOFT_CREATE, static_cast<int32_t>(0x80004005));
    Send(EV_NCPAINT, 0x10);
    EXPECT_FALSE(TimerRunning());
    Tick(); // a stray tick finds nothing to draw on
    Send(EV_CLOSE);
    EXPECT_EQ(gSessionStopped, 1);
    EXPECT_EQ(gPresets, nullptr);
}

TEST_F(SessionTest, WithoutAPatternLibraryTheWindowIsRefused) {
    SetAllocationFaults(0, 1000);
    EXPECT_EQ(Create(), -1);
    SetAllocationFaults(0, 0);
    EXPECT_TRUE(TimerCalls().empty());
    EXPECT_EQ(gDisplay.ready, 0);
}

TEST_F(SessionTest, TheNoHintTextAppearsOnlyAfterHSwitchedHintsOn) {
    SoftDeviceSetDesktop(640, 480, 32); // the "Resolution" in use: no start-up hint
    StoreSettings("\"Show Hints\"=dword:00000001\n");
    ASSERT_NE(Create(), -1);
    Tick();
    EXPECT_EQ(SlotWidth(2), 0);
    Key('H');
    EXPECT_EQ(gShowHints, 0);
    Key('H');
    EXPECT_EQ(gHintRequested, 1);
    Tick();
    EXPECT_GT(SlotWidth(2), 100); // "There is no hint at this time." in 16-pixel bold
}

} // namespace
