// The frame step against the real Windows message queue: a queued timer tick does not end it, a key does.
#include <windows.h>

#include "engine_fixture.h"

class FrameStepQueue : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        UninstallScriptedMessages(); // the thread's own message queue
        window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        Drain();
        gTrail.trailDensity = 1;
        gTrail.trailLength = 100000;
        QuietHeadAtCentre();
        gHeadVX = 5.0;
        SetScriptedAutoAdvanceUs(1000); // unpaced steps, a millisecond per clock reading
    }
    void TearDown() override {
        Drain();
        DestroyWindow(window);
        EngineTest::TearDown();
    }
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND window = nullptr;
};

TEST_F(FrameStepQueue, QueuedTimerTickDoesNotEndTheStepButAKeyEndsItBeforeThePhysics) {
    ASSERT_TRUE(PostMessageA(window, WM_TIMER, 200, 0));
    UpdateTrails(window);
    EXPECT_GT(CountParticles(), 100); // ran on to its budget
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER)); // looked at, never removed
    Drain();

    RemoveAllTrailParticles();
    QuietHeadAtCentre();
    gHeadVX = 5.0;
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, 'A', 0));
    UpdateTrails(window);
    EXPECT_EQ(CountParticles(), 0);
    EXPECT_EQ(gHeadX, 320.0);
}
