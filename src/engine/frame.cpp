// The frame step: physics steps of the head paced to the "Physics Rate", with emission, particle updates, the
// morph logic, colour cycling, jumps and drawing at their own rhythms. Called by the saver window on every
// timer tick. No OS calls here: time and messages come through the platform seams, and it never spins.
#include <cmath>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/memory.h"

constexpr uint32_t FRAME_STEP_BUDGET_MS = 1000; // longest run of one UpdateTrails call
constexpr uint32_t MAX_PHYSICS_DEBT_MS = 250;   // steps owed beyond this much time are forgiven, never burst
constexpr uint32_t DEFAULT_REFRESH_HZ = 60;     // where the display does not tell its refresh rate
constexpr double ARENA_MARGIN = 50.0;           // pixels beyond an edge at which the head has escaped

static uint32_t sPaceRate = 0;    // physics steps per second the count below is kept for; 0 = not counting
static uint32_t sPaceStart = 0;   // tick time from which owed steps are counted
static int64_t sPaceDone = 0;     // physics steps done since sPaceStart
static int sDrawnOnce = 0;        // a frame has been drawn since the engine started
static uint32_t sRefreshBase = 0; // tick time from which display refresh intervals are counted
static uint64_t sNextRefresh = 0; // refresh interval (from sRefreshBase) at which the next draw may begin
static uint32_t sDrawBegan = 0;   // tick time at which the last frame began

// Milliseconds until the next physics step is owed at the given rate; 0 when one is owed now. Steps are
// counted from an absolute start, so the rate holds whatever the granularity of the tick count.
static uint32_t PhysicsWaitMs(uint32_t now, uint32_t rate) {
    if (sPaceRate != rate || static_cast<int32_t>(now - sPaceStart) < 0) {
        sPaceRate = rate;
        sPaceStart = now;
        sPaceDone = 0;
    }
    uint32_t elapsed = now - sPaceStart;
    if (elapsed >= 1000) { // whole seconds move the start on, so the count never nears the wrap
        const uint32_t seconds = elapsed / 1000;
        sPaceStart += seconds * 1000;
        sPaceDone -= static_cast<int64_t>(seconds) * rate;
        elapsed -= seconds * 1000;
    }
    // The steps of a whole millisecond are owed at its start, so a second holds exactly `rate` steps.
    const int64_t owed = ((static_cast<int64_t>(elapsed) + 1) * rate + 999) / 1000;
    int64_t maxDebt = static_cast<int64_t>(rate) * MAX_PHYSICS_DEBT_MS / 1000;
    if (maxDebt < 1) maxDebt = 1;
    if (owed - sPaceDone > maxDebt) sPaceDone = owed - maxDebt; // a stall or a pause makes no burst
    if (sPaceDone < owed) return 0;
    const int64_t dueAt = sPaceDone * 1000 / rate; // the millisecond after sPaceStart that owes the next step
    return static_cast<uint32_t>(dueAt - elapsed);
}

// Read once per display set-up: asking the system costs a round trip, and the frame step asks often.
static uint32_t RefreshRateHz() {
    return gDisplay.refreshRate ? gDisplay.refreshRate : DEFAULT_REFRESH_HZ;
}

// Frames begin no sooner than one display refresh after the last one began: more would never be seen. A
// frame delay, where one is set, is a further floor between the beginnings of two frames.
static bool RefreshAllowsDraw(uint32_t now) {
    if (!sDrawnOnce) return true;
    if (static_cast<uint64_t>(now - sDrawBegan) * 1000 < gFrameDelayUs) return false;
    const uint32_t elapsed = now - sRefreshBase;
    return static_cast<uint64_t>(elapsed) * RefreshRateHz() >= sNextRefresh * 1000;
}

static void NoteDrawBegin(uint32_t now) {
    const uint32_t hz = RefreshRateHz();
    sDrawBegan = now;
    uint32_t elapsed = now - sRefreshBase;
    if (!sDrawnOnce || static_cast<int32_t>(elapsed) < 0) {
        sDrawnOnce = 1;
        sRefreshBase = now;
        elapsed = 0;
    } else if (elapsed >= 1000) {
        sRefreshBase += elapsed / 1000 * 1000; // whole seconds hold whole numbers of intervals
        elapsed %= 1000;
    }
    sNextRefresh = static_cast<uint64_t>(elapsed) * hz / 1000 + 1;
}

void MoveTrailHead() {
    const int32_t kinks = gTrail.trailKinkiness < MAX_ATTRACTORS ? gTrail.trailKinkiness : MAX_ATTRACTORS;
    const double width = gDisplay.width;
    const double height = gDisplay.height;
    double ax = 0.0;
    double ay = 0.0;
    for (int32_t k = 0; k < kinks; ++k) {
        const double dx = gAttractors[k].x - gHeadX;
        const double dy = gAttractors[k].y - gHeadY;
        const double rSq = dx * dx + dy * dy;
        const double r = std::sqrt(rSq);
        if (r >= gAttractorMinDist[k]) { // no force inside the minimum distance
            const double f = gGravity * gAttractors[k].strength / (r * rSq);
            ax += f * dx;
            ay += f * dy;
        }
    }
    // The walls stand 50 pixels outside each edge and push inwards, inversely to the distance.
    ax += gWallForce / (gHeadX + 50.0) - gWallForce / ((width + 50.0) - gHeadX);
    ay += gWallForce / (gHeadY + 50.0) - gWallForce / ((height + 50.0) - gHeadY);
    gHeadX += gTimeStep * gHeadVX + gHalfStepSq * ax;
    gHeadY += gTimeStep * gHeadVY + gHalfStepSq * ay;
    gHeadVX += gTimeStep * ax;
    gHeadVY += gTimeStep * ay;
}

static bool HeadEscaped() {
    // A head that is not a finite number has escaped too: the next step would only spread the damage.
    if (!std::isfinite(gHeadX) || !std::isfinite(gHeadY)) return true;
    return gHeadX < -ARENA_MARGIN || gHeadX > gDisplay.width + ARENA_MARGIN || gHeadY < -ARENA_MARGIN ||
           gHeadY > gDisplay.height + ARENA_MARGIN;
}

void UpdateTrails(WindowHandle window) {
    uint32_t clock = PlatformTickCount();
    ++gMorphClock;
    UpdateEffects(clock);

    const uint32_t t0 = PlatformTickCount();
    uint32_t i = 0;        // physics step index of this call
    uint32_t peekedAt = 0; // step index of the last look at the queue
    uint32_t peekTick = 0; // tick time of that look, for unpaced physics
    uint32_t now = PlatformTickCount();
    if (now - t0 >= FRAME_STEP_BUDGET_MS) return;

    for (;;) {
        const uint32_t rate = gPhysicsRate;
        if (rate == 0) {
            sPaceRate = 0;
        } else if (uint32_t waitMs = PhysicsWaitMs(now, rate)) {
            // Ahead of the rate: wait for the time owed, or less if input arrives.
            const uint32_t left = FRAME_STEP_BUDGET_MS - (now - t0);
            if (PlatformWaitForMessage(window, waitMs < left ? waitMs : left)) return;
            peekedAt = i; // the wait has just looked at the queue
            peekTick = now;
            now = PlatformTickCount();
            if (now - t0 >= FRAME_STEP_BUDGET_MS) return;
            continue;
        }

        clock = now;
        if (EffectActive(EFFECT_REVERSAL) && gReversalPeriod != 0 && i % gReversalPeriod == 0) {
            gHeadVX = -gHeadVX;
            gHeadVY = -gHeadVY;
        }
        if (i % 10 == 0) {
            ++gMorphClock;
            MorphLogic(clock);
        }
        // Colour cycling pauses while the ramp gives the colours.
        if (!EffectActive(EFFECT_COLOUR_RAMP) && TickDue(clock, gNextColourTime)) {
            CycleColour();
            gNextColourTime = clock + static_cast<uint32_t>(gTrail.colourSpeed);
        }
        // Centre Pull holds the head near the centre: no jumps while it runs.
        if (!EffectActive(EFFECT_CENTRE_PULL) && TickDue(clock, gNextJumpTime)) {
            SetupAttractors();
            JumpTrailHead(false);
            ChoosePaintMode(gCurrentPreset);
            if (gPainting) gClearRequest = 1;
            gNextJumpTime = clock + static_cast<uint32_t>(gTrail.jumpSpeed) * 1000u;
        }
        // A frame that took longer than a refresh interval to draw is followed by as much physics; a quicker
        // one leaves the pace to the refresh, so a slow presentation does not halve the frame rate.
        bool drew = false;
        if (TickDue(clock, gNextDrawTime) && RefreshAllowsDraw(clock)) {
            NoteDrawBegin(clock);
            const uint32_t d = DrawTrails();
            const uint32_t end = PlatformTickCount();
            gNextDrawTime = static_cast<uint64_t>(d) * RefreshRateHz() >= 1000 ? end + d : end;
            drew = true;
        }
        // The queue is looked at once per millisecond of physics (and after every frame), not at every step:
        // on Windows each look is a round trip to the window server.
        const uint32_t stepsPerMs = rate >= 1000 ? rate / 1000 : 1;
        const bool peekDue = rate != 0 ? i - peekedAt >= stepsPerMs : now != peekTick;
        if (i == 0 || drew || peekDue) {
            peekedAt = i;
            peekTick = now;
            if (PlatformNonTimerMessageWaiting(window)) return;
        }

        MoveTrailHead();
        if (i % static_cast<uint32_t>(gTrail.trailDensity > 0 ? gTrail.trailDensity : 1) == 0)
            AddTrailParticle();
        if (i % 100 == 0) UpdateTrailParticles();
        if (HeadEscaped()) ResetTrailHead();

        ++i;
        if (rate != 0) ++sPaceDone;
        now = PlatformTickCount();
        if (now - t0 >= FRAME_STEP_BUDGET_MS) return;
    }
}

void ResetTrailHead() {
    const uint32_t width = gDisplay.width;
    const uint32_t height = gDisplay.height;
    RefreshTrailSettings();
    gHeadX = width / 2;
    gHeadY = height / 2;
    gHeadVX = 0.0;
    gHeadVY = 0.0;
    RemoveAllTrailParticles();
    gTimeStep = 0.001;
    gHalfStepSq = 5e-7;
    gGravity = width * 0.0015625;
    if (width == 640) {
        gGravity = 1.5;
        // The small screen has walls of twice the usual force. Doubling the force at every reset instead
        // would let it grow without bound with each escape; Centre Pull owns the walls while it runs.
        if (!EffectActive(EFFECT_CENTRE_PULL)) gWallForce = 140.0;
    }
    gColourR = Rand() % 256;
    gColourG = Rand() % 256;
    gColourB = Rand() % 256;
    gColourStepR = Rand() % 3 + 1;
    gColourStepG = Rand() % 3 + 1;
    gColourStepB = Rand() % 3 + 1;
    gNextDrawTime = 0;
    const uint32_t now = PlatformTickCount();
    gNextColourTime = now + static_cast<uint32_t>(gTrail.colourSpeed);
    gNextJumpTime = now + static_cast<uint32_t>(gTrail.jumpSpeed) * 1000u;
}

void RefreshTrailSettings() {
    if (!gMorphing) SetupAttractors();
    const double fadeStart = static_cast<double>((100 - gTrail.fadeSpeed) * gTrail.trailLength) * 0.01;
    gFadeStartAge = fadeStart > 0.0 ? static_cast<uint32_t>(fadeStart) : 0;
    if (gMorphing)
        MorphRotAngles();
    else
        SetupRotAngles();
}

// rand % span for a span of the screen less a 20-pixel border on each side; a screen too small for the
// border draws from a span of 1 rather than dividing by zero.
static uint32_t RandWithin(uint32_t size, uint32_t border) {
    const uint32_t span = size > 2 * border ? size - 2 * border : 1;
    return static_cast<uint32_t>(Rand()) % span;
}

void SetupAttractors() {
    const int32_t kinks = gTrail.trailKinkiness < MAX_ATTRACTORS ? gTrail.trailKinkiness : MAX_ATTRACTORS;
    for (int32_t k = 0; k < kinks; ++k) {
        double strength = 2000 + Rand() % 500;
        if (Rand() % 10 == 0) strength = -strength; // one attractor in ten repels
        gAttractors[k].strength = strength;
        gAttractors[k].x = 20 + RandWithin(gDisplay.width, 20);
        gAttractors[k].y = 20 + RandWithin(gDisplay.height, 20);
        gAttractorMinDist[k] = (std::fabs(strength) - 2000.0) * 0.002 + 1.5;
    }
}

static double RandomHeadSpeed() {
    const double speed = 3.5 + (Rand() % 3000) * 0.001;
    return (Rand() & 1) ? -speed : speed;
}

void JumpTrailHead(bool nearCentre) {
    if (nearCentre) {
        gHeadX = static_cast<double>(static_cast<int64_t>(gDisplay.width / 2) - 50 + Rand() % 100);
        gHeadY = static_cast<double>(static_cast<int64_t>(gDisplay.height / 2) - 50 + Rand() % 100);
    } else {
        gHeadX = 20 + RandWithin(gDisplay.width, 20);
        gHeadY = 20 + RandWithin(gDisplay.height, 20);
    }
    gHeadVX = RandomHeadSpeed();
    gHeadVY = RandomHeadSpeed();
}

// One channel drifts by its step and bounces between 50 and 255 with a fresh speed at each bounce.
static void CycleChannel(int32_t *channel, int32_t *step) {
    *channel += *step;
    if (*channel < 50) {
        *channel = 50;
        *step = Rand() % 5 + 1;
    } else if (*channel > 255) {
        *channel = 255;
        *step = -1 - Rand() % 5;
    }
}

void CycleColour() {
    CycleChannel(&gColourR, &gColourStepR);
    CycleChannel(&gColourG, &gColourStepG);
    CycleChannel(&gColourB, &gColourStepB);
}

void FreeTrails() {
    RemoveAllTrailParticles();
    ReleaseParticleBlocks();
    HeapRelease(gRotAngle);
    gRotAngle = nullptr;
    gRotAngleCount = 0;
}

void ResetEngineForTests() {
    FreeTrails();
    gTrail = {};
    gPainting = 0;
    gHeadX = gHeadY = gHeadVX = gHeadVY = 0.0;
    gTimeStep = gHalfStepSq = 0.0;
    gGravity = 1.0;
    gWallForce = 70.0;
    for (int k = 0; k < MAX_ATTRACTORS; ++k) {
        gAttractors[k] = {};
        gAttractorMinDist[k] = 0.0;
    }
    gFadeStartAge = 0;
    gColourR = gColourG = gColourB = 0;
    gColourStepR = gColourStepG = gColourStepB = 0;
    gNextColourTime = gNextJumpTime = gNextDrawTime = 0;
    gClearRequest = 1;
    gSpiralPhase = gPulsePhase = 0.0;
    gThinDivisor = 0;

    ResetMorphForTests();
    ResetEffectsForTests();
    gFrameRate = 0.0f;
    gTiltPhase = 0.0;

    sPaceRate = 0;
    sPaceStart = 0;
    sPaceDone = 0;
    sDrawnOnce = 0;
    sRefreshBase = 0;
    sNextRefresh = 0;
    sDrawBegan = 0;
}
