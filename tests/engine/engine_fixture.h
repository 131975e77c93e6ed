// A fresh engine on a scripted clock and message source, a 640 x 480 display packing 8-8-8 colours, the
// diagnostic log in a temporary file and no allocation faults.
#pragma once
#include <gtest/gtest.h>

#include "display/display.h"
#include "engine/engine.h"
#include "host/host.h"
#include "patterns/patterns.h"
#include "platform/memory.h"
#include "support/scripted.h"

inline void UseDisplay(uint32_t width, uint32_t height) {
    gDisplay = {};
    gDisplay.width = width;
    gDisplay.height = height;
    gDisplay.redShift = 16;
    gDisplay.greenShift = 8;
    gDisplay.redDivisor = gDisplay.greenDivisor = gDisplay.blueDivisor = 1;
    gDisplay.ready = 1;
}

// Head at rest at the centre with no jump or colour step due for an hour: a frame step does physics only.
inline void QuietHeadAtCentre() {
    gTimeStep = 0.001;
    gHalfStepSq = 5e-7;
    gHeadX = gDisplay.width / 2;
    gHeadY = gDisplay.height / 2;
    gHeadVX = gHeadVY = 0.0;
    gNextColourTime = gNextJumpTime = ScriptedTime() + 3600000;
}

// Exactly one physics step: paced at one step per millisecond, with input arriving a millisecond later.
inline void RunOnePhysicsStep() {
    gPhysicsRate = 1000;
    ScriptNonTimerMessageAt(ScriptedTime() + 1);
    UpdateTrails(nullptr);
    ClearScriptedMessages();
}

// The generator's sequence worked out apart from the engine: state x 214013 + 2531011, bits 16..30.
struct Lcg {
    uint32_t state;
    int32_t operator()() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>(state >> 16 & 0x7FFF);
    }
};

inline int CountParticles() {
    int n = 0;
    for (TrailParticle *p = gTrailParticles; p; p = p->next)
        ++n;
    return n;
}

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallScriptedClock(100000);
        InstallScriptedMessages(60);
        InstallTemporaryLog();
        ResetEngineForTests();
        UseDisplay(640, 480);
        gPreviewMode = 0;
        gPhysicsRate = 0;
        gTrail.trailLength = 100;
        gTrail.trailDensity = 1;
        gTrail.numberOfTrails = 1;
        gTrail.sparkliness = 1;
        gTrail.colourSpeed = 50;
        gTrail.jumpSpeed = 15;
        SeedRand(1);
    }
    void TearDown() override {
        SetAllocationFaults(0, 0);
        ResetEngineForTests();
        gPhysicsRate = 50000;
        gPaintingMode = 3;
        gDisplay = {};
        UninstallTemporaryLog();
        UninstallScriptedMessages();
        UninstallScriptedClock();
    }
};

// An engine with the fifteen standard patterns and two zeroed user slots (15 and 16) that a test fills, never
// painting unless the pattern always paints.
class PatternLibraryTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        gPresetCount = NUM_STANDARD_PRESETS + 2;
        gPresets = static_cast<Preset *>(HeapAllocateZeroed(sizeof(Preset) * gPresetCount));
        for (int i = 0; i < NUM_STANDARD_PRESETS; ++i)
            InitStandardPreset(i);
        gPaintingMode = 0;
    }
    void TearDown() override {
        HeapRelease(gPresets);
        gPresets = nullptr;
        gPresetCount = 0;
        gCurrentPreset = 0;
        gMorphDuration = 6000;
        EngineTest::TearDown();
    }
    static void Apply(int index) {
        gCurrentPreset = index;
        ApplyPreset(index);
    }
};
