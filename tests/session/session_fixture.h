// A saver window's session on scripted platform pieces: clock, message peek, window system, settings in
// memory and the headless display device. Events go in through the host's class procedure, as the host's
// message loop would dispatch them.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/memory.h"
#include "platform/softdevice.h"
#include "platform/store.h"
#include "session/session.h"
#include "support/scripted.h"
#include "support/scripted_winsys.h"

class SessionTest : public ::testing::Test {
  protected:
    static inline WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x5a5a);

    void SetUp() override {
        InstallScriptedClock(100000);
        InstallScriptedMessages(60);
        InstallScriptedWinSys();
        InstallTemporaryLog();
        InstallMessageBoxRecorder();
        SetStoreBackend(MemoryStoreBackend());
        ResetMemoryStore();
        ResetEngineForTests();
        ResetSessionForTests();
        ResetHintsForTests();
        ResetHostInputForTests();
        InstallTestDisplay();
        gPhysicsRate = 0;
    }
    void TearDown() override {
        gOldNtPlatform = 0; // the close below must not be ignored
        gOnWin9x = 0;
        Send(EV_CLOSE); // releases whatever the session still holds
        ResetHostInputForTests();
        ResetEngineForTests();
        ResetSessionForTests();
        ResetHintsForTests();
        UninstallTestDisplay();
        SetStoreBackend(nullptr);
        UninstallMessageBoxRecorder();
        UninstallTemporaryLog();
        UninstallScriptedWinSys();
        UninstallScriptedMessages();
        UninstallScriptedClock();
    }

    // Settings as the store holds them (.reg text under the saver's key).
    static void StoreSettings(const std::string &values) {
        const std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo]\n" + values;
        ASSERT_EQ(LoadMemoryStoreFromRegText(text.data(), text.size()), 0);
    }

    static intptr_t Send(uint32_t event, uintptr_t wParam = 0, intptr_t lParam = 0) {
        return SaverClassProc(kWindow, event, wParam, lParam);
    }
    static intptr_t Create() { return Send(EV_CREATE); }
    static intptr_t Key(uint32_t vkey) { return Send(EV_KEYDOWN, vkey, 1); }
    // A key pressed while others are held, as the keyboard state shows it during the key's message.
    static intptr_t KeyWith(std::initializer_list<uint32_t> held, uint32_t vkey) {
        for (uint32_t k : held)
            SetScriptedKey(k, true);
        SetScriptedKey(vkey, true);
        const intptr_t result = Key(vkey);
        ReleaseAllScriptedKeys();
        return result;
    }
    static void Tick() {
        // The frame step returns at once: input is waiting.
        ScriptNonTimerMessageAt(ScriptedTime());
        Send(EV_TIMER, FRAME_TIMER_ID);
        ClearScriptedMessages();
    }
    static bool TimerRunning() {
        bool running = false;
        for (const ScriptedTimerCall &c : TimerCalls())
            if (c.id == FRAME_TIMER_ID) running = c.start;
        return running;
    }
    static int TimerStarts() {
        int n = 0;
        for (const ScriptedTimerCall &c : TimerCalls())
            n += c.start;
        return n;
    }

    static void InstallTestDisplay() {
        DDResetForTests();
        SoftDeviceReset();
        SetDisplayDevice(SoftDisplayDevice());
        ResetDrawForTests();
    }
    static void UninstallTestDisplay() {
        DDResetForTests();
        EXPECT_EQ(SoftDeviceLiveObjects(), 0) << "display objects left allocated";
        SoftDeviceReset();
        SetDisplayDevice(nullptr);
        ResetDrawForTests();
    }
    // Text slots are as wide as the text last drawn into them.
    static int32_t SlotWidth(int slot) { return gTextSlotRect[slot].right - gTextSlotRect[slot].left; }
};
