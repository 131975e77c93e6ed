// The password check of the Windows 9x family, driven through a fake system: the verifier, the libraries, the
// registry value, the queue of timer ticks and the screen-saver-running state.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host.h"
#include "support/scripted.h"
#include "support/scripted_winsys.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1234);
WindowHandle const kOwner = reinterpret_cast<WindowHandle>(0x777);
LibraryHandle const kPasswordCpl = reinterpret_cast<LibraryHandle>(0x10);
LibraryHandle const kMpr = reinterpret_cast<LibraryHandle>(0x20);

struct FakeSystem {
    bool keyOpens = true;
    uint32_t usePassword = 1;
    bool passwordCplPresent = true, verifierPresent = true;
    bool mprPresent = true, changeEntryPresent = true;
    int answer = 0; // the verifier's answer
    int verifierCalls = 0;
    int keyReads = 0;
    std::function<void()> duringPrompt; // runs inside the verifier, as the prompt's own message loop would
    int pendingTimers = 0;
    std::vector<std::string> loaded;
    std::vector<LibraryHandle> freed;
    std::vector<uint32_t> runningStates;
    std::vector<WindowHandle> changeOwners;
    bool inCheckDuringPrompt = false;
} gFake;

int FakeVerify(WindowHandle window) {
    EXPECT_EQ(window, kWindow);
    ++gFake.verifierCalls;
    gFake.inCheckDuringPrompt = gInPasswordCheck != 0;
    if (gFake.duringPrompt) gFake.duringPrompt();
    return gFake.answer;
}

const PasswordBackend kFakeBackend = {
    [](uint32_t *value) {
        ++gFake.keyReads;
        *value = gFake.usePassword;
        return gFake.keyOpens;
    },
    [](const char *name) -> LibraryHandle {
        gFake.loaded.push_back(name);
        if (std::string(name) == "PASSWORD.CPL") return gFake.passwordCplPresent ? kPasswordCpl : nullptr;
        if (std::string(name) == "MPR.DLL") return gFake.mprPresent ? kMpr : nullptr;
        return nullptr;
    },
    [](LibraryHandle library) { gFake.freed.push_back(library); },
    [](LibraryHandle library) -> VerifyPasswordProc {
        EXPECT_EQ(library, kPasswordCpl);
        return gFake.verifierPresent ? FakeVerify : nullptr;
    },
    [](LibraryHandle library, WindowHandle owner) {
        EXPECT_EQ(library, kMpr);
        if (!gFake.changeEntryPresent) return false;
        gFake.changeOwners.push_back(owner);
        return true;
    },
    [](uint32_t state) { gFake.runningStates.push_back(state); },
    [](WindowHandle) {
        if (gFake.pendingTimers == 0) return false;
        --gFake.pendingTimers;
        return true;
    },
    // The request reaches the host's default handling as it would through the class and session procedures.
    [](WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return HostDefaultProc(window, message, wParam, lParam);
    },
};

class PasswordCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        gFake = FakeSystem{};
        ResetHostInputForTests();
        ResetPasswordForTests();
        InstallScriptedWinSys();
        InstallScriptedClock(0xFFFFFF80u); // 128 ms before the tick count wraps
        SetPasswordBackend(&kFakeBackend);
        gOnWin9x = 1;
        gCheckPasswordBeforeClose = CheckPasswordBeforeClose;
    }
    void TearDown() override {
        UninstallScriptedClock();
        UninstallScriptedWinSys();
        ResetPasswordForTests();
        ResetHostInputForTests();
    }
    static size_t ClosesReachingTheSystem() {
        size_t n = 0;
        for (const ScriptedMessage &m : DefaultProcCalls())
            n += m.message == EV_CLOSE;
        return n;
    }
};

TEST_F(PasswordCheck, WithoutVerifierTheFirstCloseIsAllowedAndInputRulesStop) {
    EXPECT_EQ(HostDefaultProc(kWindow, EV_CLOSE, 0, 0), 0);
    EXPECT_EQ(ClosesReachingTheSystem(), 1u);
    EXPECT_EQ(gCloseAllowed, 1);
    EXPECT_FALSE(CheckPasswordBeforeClose(kWindow)); // an allowed close is never checked again
    HostDefaultProc(kWindow, EV_KEYDOWN, 'A', 0);
    EXPECT_EQ(PostedCloseCount(), 0u);
}

TEST_F(PasswordCheck, RefusalKeepsTheWindowAndIsRepeatedUnaskedFor200MsAcrossTheTickWrap) {
    LoadPasswordCheck();
    ASSERT_NE(gVerifyPassword, nullptr);
    SetScriptedCursor(300, 200);

    EXPECT_EQ(HostDefaultProc(kWindow, EV_CLOSE, 0, 0), 0);
    EXPECT_EQ(gFake.verifierCalls, 1);
    EXPECT_EQ(ClosesReachingTheSystem(), 0u);
    EXPECT_EQ(gCloseAllowed, 0);
    EXPECT_FALSE(ScriptedCursorVisible());
    EXPECT_EQ(gCursorRef.x, 300); // the movement rule starts again from where the pointer is
    EXPECT_EQ(gCursorRef.y, 200);

    AdvanceScriptedTime(199); // the count has wrapped in between
    gFake.answer = 1;
    HostDefaultProc(kWindow, EV_CLOSE, 0, 0);
    EXPECT_EQ(gFake.verifierCalls, 1);
    EXPECT_EQ(ClosesReachingTheSystem(), 0u);

    AdvanceScriptedTime(1);
    HostDefaultProc(kWindow, EV_CLOSE, 0, 0);
    EXPECT_EQ(gFake.verifierCalls, 2);
    EXPECT_EQ(gCloseAllowed, 1);
    EXPECT_EQ(ClosesReachingTheSystem(), 1u);
}

TEST_F(PasswordCheck, PromptTakesTwoTimerTicksOffTheQueueAndIgnoresInputWhileUp) {
    LoadPasswordCheck();
    gFake.pendingTimers = 3;
    gFake.duringPrompt = [] {
        HostDefaultProc(kWindow, EV_KEYDOWN, 'A', 0);
        HostDefaultProc(kWindow, EV_LBUTTONDOWN, 0, 0);
        HostDefaultProc(kWindow, EV_ACTIVATEAPP, 0, 0);
        EXPECT_FALSE(CheckPasswordBeforeClose(kWindow)); // no second prompt over the first
    };
    gFake.answer = 1;
    EXPECT_TRUE(CheckPasswordBeforeClose(kWindow));
    EXPECT_EQ(gFake.pendingTimers, 1);
    EXPECT_TRUE(gFake.inCheckDuringPrompt);
    EXPECT_EQ(gFake.verifierCalls, 1);
    EXPECT_EQ(PostedCloseCount(), 0u);
    EXPECT_EQ(gInPasswordCheck, 0);
}

TEST_F(PasswordCheck, VerifierLoadsOnlyOnNineXWhenAskedForAndComplete) {
    struct Case {
        const char *name;
        int onWin9x;
        bool keyOpens;
        uint32_t usePassword;
        bool libraryPresent, entryPresent;
        bool loads;
    };
    const Case cases[] = {
        {"not 9x", 0, true, 1, true, true, false},       {"no desktop key", 1, false, 1, true, true, false},
        {"password off", 1, true, 0, true, true, false}, {"no library", 1, true, 1, false, true, false},
        {"no entry", 1, true, 1, true, false, false},    {"all present", 1, true, 1, true, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gFake = FakeSystem{};
        gFake.keyOpens = c.keyOpens;
        gFake.usePassword = c.usePassword;
        gFake.passwordCplPresent = c.libraryPresent;
        gFake.verifierPresent = c.entryPresent;
        gOnWin9x = c.onWin9x;
        LoadPasswordCheck();
        EXPECT_EQ(gVerifyPassword != nullptr, c.loads);
        EXPECT_EQ(gPasswordLibrary != nullptr, c.loads); // a library without its entry is not kept
        EXPECT_EQ(gFake.runningStates, c.loads ? std::vector<uint32_t>{1} : std::vector<uint32_t>{});
        if (c.libraryPresent && !c.entryPresent) {
            EXPECT_EQ(gFake.freed, std::vector<LibraryHandle>{kPasswordCpl});
        }
        UnloadPasswordCheck();
        EXPECT_EQ(gVerifyPassword, nullptr);
        EXPECT_EQ(gPasswordLibrary, nullptr);
        EXPECT_EQ(gFake.runningStates, c.loads ? (std::vector<uint32_t>{1, 0}) : std::vector<uint32_t>{});
    }
}

TEST_F(PasswordCheck, LoadingAgainReleasesTheFirstLibrary) {
    LoadPasswordCheck();
    LoadPasswordCheck();
    EXPECT_EQ(gFake.freed, std::vector<LibraryHandle>{kPasswordCpl});
    EXPECT_EQ(gFake.runningStates, (std::vector<uint32_t>{1, 0, 1}));
    EXPECT_NE(gVerifyPassword, nullptr);
}

TEST_F(PasswordCheck, PasswordChangeUsesTheSystemLibraryAndAlwaysReleasesIt) {
    ChangePassword(kOwner);
    EXPECT_EQ(gFake.loaded, std::vector<std::string>{"MPR.DLL"});
    EXPECT_EQ(gFake.changeOwners, std::vector<WindowHandle>{kOwner});
    EXPECT_EQ(gFake.freed, std::vector<LibraryHandle>{kMpr});

    gFake = FakeSystem{};
    gFake.changeEntryPresent = false;
    ChangePassword(kOwner);
    EXPECT_TRUE(gFake.changeOwners.empty());
    EXPECT_EQ(gFake.freed, std::vector<LibraryHandle>{kMpr});

    gFake = FakeSystem{};
    gFake.mprPresent = false;
    ChangePassword(kOwner);
    EXPECT_TRUE(gFake.freed.empty());
}

} // namespace
