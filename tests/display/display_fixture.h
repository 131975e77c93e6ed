// A display on the software device with recorded message boxes and a temporary log, for the display tests.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/msgbox.h"
#include "platform/softdevice.h"
#include "platform/text.h"
#include "support/scripted.h"

inline WindowHandle TestWindow() {
    return reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x5A5A));
}

class SoftDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallScriptedClock();
        SetScriptedLocalTime({2026, 12, 6, 15, 7, 5});
        InstallMessageBoxRecorder();
        InstallTemporaryLog();
        DDResetForTests();
        SoftDeviceReset();
        SetDisplayDevice(SoftDisplayDevice());
        gPreviewMode = 0;
        gPainting = 0;
        gBackgroundBrightness = 100;
    }
    void TearDown() override {
        DDResetForTests();
        EXPECT_EQ(SoftDeviceLiveObjects(), 0) << "display objects left allocated";
        SoftDeviceReset();
        SetDisplayDevice(nullptr);
        SetTextBackend(nullptr);
        gPreviewMode = 0;
        gPainting = 0;
        gBackgroundBrightness = 100;
        UninstallTemporaryLog();
        UninstallMessageBoxRecorder();
        UninstallScriptedClock();
    }
    // The pixel value at (x, y) of a locked description.
    static uint32_t PixelAt(const DDLockDesc &d, uint32_t bytes, uint32_t x, uint32_t y) {
        uint32_t v = 0;
        const uint8_t *at = d.surface + static_cast<size_t>(y) * d.pitch + static_cast<size_t>(x) * bytes;
        for (uint32_t i = 0; i < bytes; ++i)
            v |= static_cast<uint32_t>(at[i]) << (8 * i);
        return v;
    }
    static uint32_t FrontPixel(uint32_t x, uint32_t y) {
        DDLockDesc d;
        DDPixelFormat f;
        if (!SoftDeviceFrontBuffer(&d, &f)) return 0xDEADBEEF;
        return PixelAt(d, (f.bitCount + 7) / 8, x, y);
    }
};
