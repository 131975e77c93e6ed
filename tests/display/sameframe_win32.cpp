// The same fixed-seed engine run, drawn once through DirectDraw and once through the software device in this
// one process, must give the same drawing target, byte for byte, at 32 and at 16 bits per pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include <windows.h>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/softdevice.h"
#include "support/scripted.h"

namespace {

constexpr int FRAMES_TO_COMPARE = 6;
using Frame = std::vector<uint8_t>;
std::vector<Frame> gFrames;
uint32_t gFramesSeen = 0;
uint32_t gDesktopBits = 32;

// Taken between unlock and present: the rows of the drawing target over width x bytes per pixel.
void Capture(DDSurface *target) {
    if (++gFramesSeen % 5 != 0 || gFrames.size() >= FRAMES_TO_COMPARE) return;
    DDLockDesc d;
    if (DDFailed(DisplayDevice()->lock(target, &d))) return;
    const size_t rowBytes = static_cast<size_t>(gDisplay.width) * gDisplay.bytesPerPixel;
    Frame f(rowBytes * gDisplay.height);
    for (uint32_t y = 0; y < gDisplay.height; ++y)
        memcpy(f.data() + y * rowBytes, d.surface + static_cast<size_t>(y) * d.pitch, rowBytes);
    DisplayDevice()->unlock(target);
    gFrames.push_back(std::move(f));
}

// DirectDraw with the desktop's depth chosen by the test: Wine's desktop stays at 32 bits, while its
// DirectDraw offers 16-bit modes.
void ChosenDesktop(uint32_t *w, uint32_t *h, uint32_t *bits) {
    *w = 1024;
    *h = 768;
    *bits = gDesktopBits;
}

HWND MakeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavoSameFrame";
    RegisterClassA(&wc);
    return CreateWindowExA(WS_EX_TOPMOST, "TavoSameFrame", "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                           480, nullptr, nullptr, wc.hInstance, nullptr);
}

std::vector<Frame> Run(const DisplayDeviceBackend *device, HWND window) {
    SetDisplayDevice(device);
    InstallScriptedClock();
    InstallScriptedMessages(60);
    ResetEngineForTests();
    ResetDrawForTests();
    DDResetForTests();
    gFrames.clear();
    gFramesSeen = 0;
    gBackgroundBrightness = 0;
    gPaintingMode = 0;
    gShowNames = gShowHints = 0;
    gPhysicsRate = 50000;
    SeedRand(20261206);
    gPresets = static_cast<Preset *>(calloc(NUM_STANDARD_PRESETS, sizeof(Preset)));
    gPresetCount = NUM_STANDARD_PRESETS;
    for (int i = 0; i < NUM_STANDARD_PRESETS; ++i)
        InitStandardPreset(i);
    std::vector<Frame> frames;
    if (DDInit(window, 640, 480)) {
        gCurrentPreset = 1;
        ApplyPreset(1);
        ResetTrailHead();
        DDSetPresentProbe(Capture);
        for (int call = 0; call < 3 && gFrames.size() < FRAMES_TO_COMPARE; ++call)
            UpdateTrails(window);
        frames = gFrames;
    }
    DDResetForTests();
    FreeTrails();
    free(gPresets);
    gPresets = nullptr;
    gPresetCount = 0;
    UninstallScriptedMessages();
    UninstallScriptedClock();
    SetDisplayDevice(nullptr);
    return frames;
}

void CompareAt(uint32_t bits) {
    InstallMessageBoxRecorder();
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    gDesktopBits = bits;
    DisplayDeviceBackend directDraw = *SystemDisplayDevice();
    directDraw.desktopMode = ChosenDesktop;
    const std::vector<Frame> viaDirectDraw = Run(&directDraw, window);
    const uint32_t bytesPerPixel = bits / 8;
    ASSERT_TRUE(RecordedBoxes().empty()) << RecordedBoxes()[0].text;

    SoftDeviceReset();
    SoftDeviceSetDesktop(1024, 768, bits);
    const std::vector<Frame> viaSoftware = Run(SoftDisplayDevice(), window);
    SoftDeviceReset();
    DestroyWindow(window);
    UninstallMessageBoxRecorder();

    ASSERT_EQ(viaDirectDraw.size(), static_cast<size_t>(FRAMES_TO_COMPARE));
    ASSERT_EQ(viaSoftware.size(), viaDirectDraw.size());
    const size_t rowBytes = 640 * bytesPerPixel;
    ASSERT_EQ(viaDirectDraw[0].size(), rowBytes * 480);
    size_t lit = 0;
    for (size_t f = 0; f < viaDirectDraw.size(); ++f) {
        for (uint32_t y = 0; y < 480; ++y)
            ASSERT_EQ(memcmp(viaDirectDraw[f].data() + y * rowBytes, viaSoftware[f].data() + y * rowBytes,
                             rowBytes),
                      0)
                << "frame " << f << ", row " << y;
        for (uint8_t b : viaDirectDraw[f])
            lit += b != 0;
    }
    EXPECT_GT(lit, 100u) << "the frames hold a figure, not only black";
}

TEST(SameFrame, DirectDrawAndSoftwareDeviceDrawTheSameBytesAt32Bits) {
    CompareAt(32);
}
TEST(SameFrame, DirectDrawAndSoftwareDeviceDrawTheSameBytesAt16Bits) {
    CompareAt(16);
}

} // namespace
