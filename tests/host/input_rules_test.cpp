#include <gtest/gtest.h>

#include "host/host.h"
#include "support/scripted.h"
#include "support/scripted_winsys.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1234);

class HostInput : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallScriptedClock();
        InstallScriptedWinSys();
        ResetHostInputForTests();
    }
    void TearDown() override {
        ResetHostInputForTests();
        UninstallScriptedWinSys();
        UninstallScriptedClock();
    }
    // The default handling as the session hands an event on to it; false when the rules answered it.
    static bool GoesOnToSystem(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        intptr_t result = 0;
        return !HostInputRules(kWindow, message, wParam, lParam, &result);
    }
};

TEST_F(HostInput, MouseMoveClosesOnlyBeyondSummedDistanceFourAndMovesTheReference) {
    gCursorRef = {100, 100};
    SetScriptedCursor(103, 101); // 3 + 1 = 4
    EXPECT_TRUE(GoesOnToSystem(EV_MOUSEMOVE));
    EXPECT_EQ(PostedCloseCount(), 0u);
    SetScriptedCursor(97, 102); // 3 + 2 = 5 from the unchanged reference
    GoesOnToSystem(EV_MOUSEMOVE);
    EXPECT_EQ(PostedCloseCount(), 1u);
    EXPECT_EQ(gCursorRef.x, 97);
    EXPECT_EQ(gCursorRef.y, 102);
    SetScriptedCursor(99, 103); // 2 + 1 from the new reference
    GoesOnToSystem(EV_MOUSEMOVE);
    EXPECT_EQ(PostedCloseCount(), 1u);
}

TEST_F(HostInput, KeysButtonsDeactivationAndPowerPostACloseAndStillReachTheSystem) {
    const uint32_t closing[] = {EV_KEYDOWN,     EV_SYSKEYDOWN,  EV_LBUTTONDOWN,
                                EV_RBUTTONDOWN, EV_MBUTTONDOWN, EV_POWERBROADCAST};
    for (uint32_t message : closing) {
        ClearPostedMessages();
        EXPECT_TRUE(GoesOnToSystem(message, 0x41)) << message;
        ASSERT_EQ(PostedMessages().size(), 1u) << message;
        EXPECT_EQ(PostedMessages()[0].message, EV_CLOSE);
        EXPECT_EQ(PostedMessages()[0].window, kWindow);
    }
    ClearPostedMessages();
    GoesOnToSystem(EV_ACTIVATEAPP, 1); // activated: stays
    GoesOnToSystem(EV_POWER, 1);       // not a critical resume: stays
    GoesOnToSystem(EV_KEYUP, 0x41);
    GoesOnToSystem(EV_SYSKEYUP, 0x12);
    EXPECT_EQ(PostedCloseCount(), 0u);
    GoesOnToSystem(EV_ACTIVATEAPP, 0);
    GoesOnToSystem(EV_POWER, POWER_CRITICALRESUME);
    EXPECT_EQ(PostedCloseCount(), 2u);
}

TEST_F(HostInput, TheCloseRequestItselfGoesToTheSystemWhichDestroysTheWindow) {
    intptr_t result = 7;
    EXPECT_EQ(HostDefaultProc(kWindow, EV_CLOSE, 0, 0), 0);
    ASSERT_EQ(DefaultProcCalls().size(), 1u);
    EXPECT_EQ(DefaultProcCalls()[0].message, EV_CLOSE);
    EXPECT_FALSE(HostInputRules(kWindow, EV_CLOSE, 0, 0, &result));
    EXPECT_EQ(PostedCloseCount(), 0u);
}

TEST_F(HostInput, NothingEndsThePreviewAWindowOrAPasswordCheckInProgress) {
    const uint32_t inputs[] = {EV_KEYDOWN, EV_LBUTTONDOWN, EV_POWERBROADCAST, EV_MOUSEMOVE};
    SetScriptedCursor(500, 500);
    for (int mode = 0; mode < 3; ++mode) {
        ResetHostInputForTests();
        if (mode == 0) gPreviewMode = 1;
        if (mode == 1) gInputEndsSaver = 0;
        if (mode == 2) gInPasswordCheck = 1;
        for (uint32_t message : inputs)
            GoesOnToSystem(message);
        GoesOnToSystem(EV_ACTIVATEAPP, 0);
        EXPECT_EQ(PostedCloseCount(), 0u) << "mode " << mode;
    }
    EXPECT_EQ(ScriptedCursorHides(), 0u);
}

TEST_F(HostInput, SetCursorHidesTheCursorAndIsAnsweredWhereInputEndsTheSaver) {
    intptr_t result = 0;
    EXPECT_TRUE(HostInputRules(kWindow, EV_SETCURSOR, 0, 0, &result));
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(ScriptedCursorVisible());
    gInputEndsSaver = 0;
    EXPECT_FALSE(HostInputRules(kWindow, EV_SETCURSOR, 0, 0, &result));
}

TEST_F(HostInput, OnWin9xThePasswordCheckDecidesTheCloseAndTheVerifierAnswersItsRequest) {
    intptr_t result = 9;
    EXPECT_FALSE(HostInputRules(kWindow, EV_APP, 0, 0, &result)); // not 9x: an ordinary message
    gOnWin9x = 1;
    EXPECT_TRUE(HostInputRules(kWindow, EV_APP, 0, 0, &result));
    EXPECT_EQ(result, 1); // no verifier: the password is taken as right
    gVerifyPassword = [](WindowHandle) { return 0; };
    EXPECT_TRUE(HostInputRules(kWindow, EV_APP, 0, 0, &result));
    EXPECT_EQ(result, 0);

    gCheckPasswordBeforeClose = [](WindowHandle) { return false; };
    SetScriptedCursor(40, 50);
    EXPECT_TRUE(HostInputRules(kWindow, EV_CLOSE, 0, 0, &result)); // refused: the window stays
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gCursorRef.x, 40); // the refused user starts afresh from where the pointer is
    EXPECT_EQ(gCursorRef.y, 50);
    gCheckPasswordBeforeClose = [](WindowHandle) { return true; };
    EXPECT_FALSE(HostInputRules(kWindow, EV_CLOSE, 0, 0, &result));
}

TEST_F(HostInput, AutoPlayMessageClosesAndCancelsTheDiscOnlyWithAVerifier) {
    gAutoPlayMessage = 0xC123;
    intptr_t result = 5;
    EXPECT_TRUE(HostInputRules(kWindow, 0xC123, 0, 0, &result));
    EXPECT_EQ(result, 0);
    gVerifyPassword = [](WindowHandle) { return 1; };
    EXPECT_TRUE(HostInputRules(kWindow, 0xC123, 0, 0, &result));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(PostedCloseCount(), 2u);
}

TEST_F(HostInput, ClassProcedureKeepsTaskSwitchingAndTextFromTheFullScreenWindow) {
    intptr_t result = 9;
    for (uintptr_t command : {SYSCMD_NEXTWINDOW, SYSCMD_PREVWINDOW, SYSCMD_SCREENSAVE}) {
        EXPECT_EQ(SaverClassRoute(kWindow, EV_SYSCOMMAND, command, 0, &result), HOST_ROUTE_ANSWERED);
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(SaverClassRoute(kWindow, EV_SYSCOMMAND, 0xF060, 0, &result), HOST_ROUTE_SESSION);
    EXPECT_EQ(SaverClassRoute(kWindow, EV_SETTEXT, 0, 0, &result), HOST_ROUTE_ANSWERED);
    gPreviewMode = 1;
    EXPECT_EQ(SaverClassRoute(kWindow, EV_SYSCOMMAND, SYSCMD_NEXTWINDOW, 0, &result), HOST_ROUTE_SESSION);
}

TEST_F(HostInput, AfterThePasswordPassedInputAndTicksBypassTheSession) {
    intptr_t result = 9;
    gCloseAllowed = 1;
    EXPECT_EQ(SaverClassRoute(kWindow, EV_KEYDOWN, 'A', 0, &result), HOST_ROUTE_SYSTEM);
    EXPECT_EQ(SaverClassRoute(kWindow, EV_MOUSEMOVE, 0, 0, &result), HOST_ROUTE_SYSTEM);
    EXPECT_EQ(SaverClassRoute(kWindow, EV_PAINT, 0, 0, &result), HOST_ROUTE_SYSTEM);
    EXPECT_EQ(SaverClassRoute(kWindow, EV_TIMER, 200, 0, &result), HOST_ROUTE_ANSWERED);
    EXPECT_EQ(result, 0);
    SetScriptedCursor(999, 999);
    EXPECT_TRUE(GoesOnToSystem(EV_KEYDOWN));
    EXPECT_TRUE(GoesOnToSystem(EV_MOUSEMOVE));
    EXPECT_EQ(PostedCloseCount(), 0u);
}

TEST_F(HostInput, CreateTakesTheCursorReferenceAndHidesTheCursorOutsideThePreview) {
    intptr_t result = 0;
    SetScriptedCursor(12, 34);
    EXPECT_EQ(SaverClassRoute(kWindow, EV_CREATE, 0, 0, &result), HOST_ROUTE_SESSION);
    EXPECT_EQ(gCursorRef.x, 12);
    EXPECT_EQ(gCursorRef.y, 34);
    EXPECT_FALSE(ScriptedCursorVisible());
    ResetHostInputForTests();
    InstallScriptedWinSys();
    gPreviewMode = 1;
    SaverClassRoute(kWindow, EV_CREATE, 0, 0, &result);
    EXPECT_TRUE(ScriptedCursorVisible());
}

} // namespace
