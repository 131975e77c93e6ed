// A running saver under display and store faults: lost surfaces at any point of a frame, every device call
// failing in turn, every store operation failing. Each case must end in its one message and log line and a
// clean end, or in drawing that carries on; never a crash, a hang or a box per frame.
#include <algorithm>
#include <cstring>
#include <vector>

#include "session/session_fixture.h"

namespace {

using Picture = std::vector<uint8_t>;

Picture FrontPicture() {
    DDLockDesc d;
    DDPixelFormat f;
    if (!SoftDeviceFrontBuffer(&d, &f)) return {};
    const size_t row = static_cast<size_t>(d.width) * ((f.bitCount + 7) / 8);
    Picture p(row * d.height);
    for (uint32_t y = 0; y < d.height; ++y)
        memcpy(p.data() + y * row, d.surface + static_cast<size_t>(y) * d.pitch, row);
    return p;
}

uint32_t AllDeviceCalls() {
    uint32_t n = 0;
    for (int c = 0; c < SOFT_CALL_COUNT; ++c)
        n += SoftDeviceCalls(static_cast<SoftCall>(c));
    return n;
}

class Faults : public SessionTest {
  protected:
    // Timer ticks, each with 50 ms of physics before input arrives.
    static void Run(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            ScriptNonTimerMessageAt(ScriptedTime() + 50);
            Send(EV_TIMER, FRAME_TIMER_ID);
            ClearScriptedMessages();
        }
    }
    // A flat pattern (no tilt: consecutive draws of the same particles give the same picture) on the blue
    // background, with every text slot shown.
    void StartShowingEverything() {
        StoreSettings("\"Preset\"=dword:00000000\n\"Use Random Preset\"=dword:00000000\n"
                      "\"Morph Settings\"=dword:00000000\n\"Painting Mode\"=dword:00000000\n"
                      "\"Background Brightness\"=dword:00000040\n\"Show Names\"=dword:00000001\n"
                      "\"Show Hints\"=dword:00000001\n\"Physics Rate\"=dword:000003e8\n");
        ASSERT_NE(Create(), -1);
        Key(VKEY_F1);
        Key('H');
        Run(20);
        ASSERT_NE(gTrailParticles, nullptr);
        ASSERT_FALSE(gPainting);
        ASSERT_FALSE(gTrail.is3D);
    }
};

TEST_F(Faults, SurfacesLostAtAnyPointOfAFrameAreBackWholeByTheNextFrame) {
    StartShowingEverything();
    DrawTrails();
    const Picture reference = FrontPicture();
    ASSERT_FALSE(reference.empty());
    const uint32_t before = AllDeviceCalls();
    DrawTrails();
    const uint32_t callsPerFrame = AllDeviceCalls() - before;
    ASSERT_GT(callsPerFrame, 5u);
    for (uint32_t at = 0; at < callsPerFrame; ++at) {
        SCOPED_TRACE(at);
        SoftDeviceLoseSurfacesAfter(static_cast<int>(at));
        DrawTrails();
        SoftDeviceLoseSurfacesAfter(-1);
        DrawTrails();
        EXPECT_TRUE(FrontPicture() == reference) << "background, text or trails missing after the restore";
    }
    EXPECT_TRUE(RecordedBoxes().empty());
}

TEST_F(Faults, RestoresThatKeepFailingDropFramesButNeverStopTheSaver) {
    StartShowingEverything();
    DrawTrails();
    const Picture reference = FrontPicture();
    SoftDeviceFail(SOFT_RESTORE, DDERR_GENERIC, 0, -1);
    SoftDeviceLoseSurfaces();
    for (int i = 0; i < 5; ++i)
        DrawTrails();
    // One try per operation of the frame (clear, four text copies, lock), none after it failed.
    EXPECT_LE(SoftDeviceCalls(SOFT_RESTORE), 5u * 6u) << "a failed restore was retried";
    // Another program gives the display back: the next frame is whole again.
    SoftDeviceFail(SOFT_RESTORE, DD_OK, 0, 0);
    DrawTrails();
    DrawTrails();
    EXPECT_TRUE(FrontPicture() == reference);
    // Lost again at once after every restore: each operation gives up after three more tries.
    SoftDeviceLoseSurfaces();
    const uint32_t restores = SoftDeviceCalls(SOFT_RESTORE);
    for (int i = 0; i < 4; ++i) {
        SoftDeviceFail(SOFT_LOCK, DDERR_SURFACELOST, 0, -1);
        DrawTrails();
    }
    EXPECT_LE(SoftDeviceCalls(SOFT_RESTORE) - restores, 4u * 3u * 4u);
    EXPECT_TRUE(RecordedBoxes().empty());
}

// --- each device call failing in turn
// ----------------------------------------------------------------------------

struct DeviceFault {
    SoftCall call;
    int skip;          // calls of that kind that succeed first
    const char *shown; // the set-up failure's (first) message, or nullptr: the saver draws on
    size_t boxes;      // messages shown for it
    bool ends;         // the window refuses to open
};

const DeviceFault kDeviceFaults[] = {
    {SOFT_CREATE, 0, "DirectDrawCreate failed with error: DDERR_GENERIC", 1, true},
    {SOFT_SET_COOPERATIVE_LEVEL, 0, "SetCooperativeLevel failed with error: DDERR_GENERIC", 1, true},
    {SOFT_ENUM_DISPLAY_MODES, 0, "EnumDisplayModes failed with error: DDERR_GENERIC", 1, true},
    {SOFT_SET_DISPLAY_MODE, 0, "SetDisplayMode failed with error: DDERR_GENERIC", 1, true},
    {SOFT_CREATE_PRIMARY, 0, "CreateSurface failed with error: DDERR_GENERIC", 1, true},
    {SOFT_GET_ATTACHED_SURFACE, 0, "GetAttachedSurface failed with error: DDERR_GENERIC", 1, true},
    {SOFT_GET_PIXEL_FORMAT, 0, "GetPixelFormat failed with error: DDERR_GENERIC", 1, true},
    {SOFT_CREATE_OFFSCREEN, 0, "DDCreateBgSurface failed with error: DDERR_GENERIC", 2, true},
    {SOFT_CREATE_OFFSCREEN, 1, "Name surface DDCreateTextSurface failed with error: DDERR_GENERIC", 1, false},
    {SOFT_LOCK, 0, nullptr, 0, false},
    {SOFT_UNLOCK, 0, nullptr, 0, false},
    {SOFT_COLOUR_FILL, 0, nullptr, 0, false},
    {SOFT_BLT, 0, nullptr, 0, false},
    {SOFT_FLIP, 0, nullptr, 0, false},
};

class DeviceFaultMatrix : public Faults, public ::testing::WithParamInterface<DeviceFault> {};

TEST_P(DeviceFaultMatrix, EndsInItsOneMessageOrDrawsOnOnceTheCallWorksAgain) {
    const DeviceFault &f = GetParam();
    StoreSettings("\"Background Brightness\"=dword:00000040\n\"Show Names\"=dword:00000001\n"
                  "\"Physics Rate\"=dword:000003e8\n");
    SoftDeviceFail(f.call, DDERR_GENERIC, f.skip, -1);
    const intptr_t created = Create();
    Run(30);
    EXPECT_EQ(created == -1, f.ends);
    if (f.shown) {
        ASSERT_EQ(RecordedBoxes().size(), f.boxes) << "its message, not one per tick";
        EXPECT_EQ(RecordedBoxes()[0].text, f.shown);
        EXPECT_EQ(RecordedBoxes()[0].title, "Initialisation Error");
        EXPECT_NE(LogContents().find(f.shown), std::string::npos) << LogContents();
        EXPECT_EQ(SoftDeviceLiveObjects(), 0) << "the failed set-up left display objects behind";
        return;
    }
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_TRUE(TimerRunning());
    SoftDeviceFail(f.call, DD_OK, 0, 0);
    SoftDeviceLoseSurfacesAfter(-1);
    DrawTrails();
    const Picture p = FrontPicture();
    const size_t lit = p.size() - static_cast<size_t>(std::count(p.begin(), p.end(), uint8_t{0}));
    EXPECT_GT(lit, 0u) << "nothing drawn once the device works again";
}

INSTANTIATE_TEST_SUITE_P(EachCall, DeviceFaultMatrix, ::testing::ValuesIn(kDeviceFaults));

// --- each store operation failing
// --------------------------------------------------------------------------------

TEST_F(Faults, AStoreThatFailsEveryOperationLeavesTheSaverOnDefaults) {
    for (StoreOp op : {STORE_OP_OPEN, STORE_OP_CREATE, STORE_OP_READ, STORE_OP_WRITE, STORE_OP_ENUM,
                       STORE_OP_DELETE, STORE_OP_CLOSE}) {
        SCOPED_TRACE(op);
        ResetMemoryStore();
        StoreSettings("\"Trail Length\"=dword:00000005\n[HKEY_CURRENT_USER\\Software\\Halvex\\Tavo\\Mine]\n"
                      "\"Trail Length\"=dword:00000007\n");
        SetMemoryStoreFaults(op, 0, 1 << 30, STORE_ACCESS_DENIED);
        ClearRecordedBoxes();
        ASSERT_NE(Create(), -1);
        Run(10);
        EXPECT_GE(gPresetCount, NUM_STANDARD_PRESETS);
        EXPECT_NE(gTrailParticles, nullptr) << "no trails drawn";
        EXPECT_TRUE(RecordedBoxes().empty());
        Send(EV_CLOSE);
        EXPECT_EQ(SoftDeviceLiveObjects(), 0);
    }
}

} // namespace
