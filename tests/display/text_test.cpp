#include "display_fixture.h"
#include "platform/clock.h"

namespace {

// Records what is drawn instead of drawing it: every character is 7 pixels wide, a line is size + 3 high.
struct Drawn {
    int32_t x, y;
    std::string text;
    uint32_t colour;
};
std::vector<Drawn> gDrawn;
std::vector<DDRect> gFilled;
int32_t gSize;
bool gBold;

TextContext *RecBegin(DDSurface *, int32_t size, bool bold) {
    gSize = size;
    gBold = bold;
    static int token;
    return reinterpret_cast<TextContext *>(&token);
}
void RecMeasure(TextContext *, const char *text, int32_t *w, int32_t *h) {
    *w = 7 * static_cast<int32_t>(strlen(text));
    *h = gSize + 3;
}
void RecFill(TextContext *, const DDRect &r) {
    gFilled.push_back(r);
}
void RecDraw(TextContext *, int32_t x, int32_t y, const char *text, uint32_t colour) {
    gDrawn.push_back({x, y, text, colour});
}
void RecEnd(TextContext *) {}
const TextBackend kRecorder = {RecBegin, RecMeasure, RecFill, RecDraw, RecEnd};

class TextSlots : public SoftDisplay {
  protected:
    void SetUp() override {
        SoftDisplay::SetUp();
        gBackgroundBrightness = 0;
        SetTextBackend(&kRecorder);
        gDrawn.clear();
        gFilled.clear();
        ASSERT_TRUE(DDInit(TestWindow(), 640, 480));
    }
};

bool operator==(const DDRect &a, const DDRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(TextSlots, SlotsSitAtTheEdgesCentredOnTheirOwnLineHeight) {
    DDDrawText("abcdefghij", "", 1.0f, true, 12, TEXT_SLOT_KEYHELP1, 0, true); // 70 x 15
    DDDrawText("abcdefghij", "", 1.0f, true, 12, TEXT_SLOT_KEYHELP2, 0, true);
    DDDrawText("abcd", "", 1.0f, true, 16, TEXT_SLOT_HINT, 255, true); // 28 x 19
    DDDrawText("abcd", "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
    EXPECT_TRUE((gTextSlotRect[0] == DDRect{285, 0, 355, 15}));
    EXPECT_TRUE((gTextSlotRect[1] == DDRect{285, 15, 355, 30}));
    EXPECT_TRUE((gTextSlotRect[2] == DDRect{306, 480 - 38, 334, 480 - 19}));
    EXPECT_TRUE((gTextSlotRect[3] == DDRect{306, 480 - 19, 334, 480}));
    ASSERT_EQ(gFilled.size(), 4u);
    EXPECT_TRUE(gFilled[3] == gTextSlotRect[3]);
    EXPECT_EQ(gDrawn[2].colour, 255u) << "the hint is red";
    EXPECT_EQ(gDrawn[3].colour, 0xFFFFFFu) << "a plain name is white";
    EXPECT_TRUE(gBold);
}

TEST_F(TextSlots, CrossFadeDrawsTheHeavierTextLastInItsGrey) {
    DDDrawText("A", "BBB", 0.25f, false, 16, TEXT_SLOT_NAME, 0, true);
    ASSERT_EQ(gDrawn.size(), 2u);
    EXPECT_EQ(gDrawn[0].text, "A");
    EXPECT_EQ(gDrawn[0].colour, 0x3F3F3Fu); // 63
    EXPECT_EQ(gDrawn[0].x, 320 - 11 + 7);   // centred inside the wider text's rectangle
    EXPECT_EQ(gDrawn[1].text, "BBB");
    EXPECT_EQ(gDrawn[1].colour, 0xC0C0C0u); // 192
    EXPECT_TRUE(gFilled.empty());

    gDrawn.clear();
    DDDrawText("A", "BBB", 0.5f, false, 16, TEXT_SLOT_NAME, 0, true);
    ASSERT_EQ(gDrawn.size(), 2u);
    EXPECT_EQ(gDrawn[0].text, "BBB");
    EXPECT_EQ(gDrawn[0].colour, 0x808080u); // 128
    EXPECT_EQ(gDrawn[1].colour, 0x7F7F7Fu); // 127

    gDrawn.clear();
    DDDrawText("A", "BBB", 0.5f, false, 16, TEXT_SLOT_HINT, 255, true);
    EXPECT_EQ(gDrawn[1].colour, 255u) << "the colour takes effect from mix 0.5 up";
    gDrawn.clear();
    DDDrawText("A", "BBB", 0.49f, false, 16, TEXT_SLOT_HINT, 255, true);
    EXPECT_EQ(gDrawn[0].colour, 0x7C7C7Cu);
}

TEST_F(TextSlots, TextWiderThanTheDisplayStartsAtTheLeftEdgeAndIsCut) {
    const std::string wide(100, 'x'); // 700 pixels on a 640-pixel display
    DDDrawText(wide.c_str(), "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
    EXPECT_TRUE((gTextSlotRect[3] == DDRect{0, 461, 640, 480}));
    EXPECT_EQ(gDrawn[0].x, 0);
    DDBltTextSlot(TEXT_SLOT_NAME);
    EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), 1u);
}

TEST_F(TextSlots, EmptyTextGivesAnEmptySlotThatCopiesNothing) {
    DDDrawText("", "", 1.0f, true, 16, TEXT_SLOT_HINT, 255, true);
    EXPECT_EQ(gTextSlotRect[2].right - gTextSlotRect[2].left, 0);
    DDBltTextSlot(TEXT_SLOT_HINT);
    DDBltTextSlot(TEXT_SLOT_KEYHELP1); // never drawn
    EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), 0u);
}

uint64_t gCpuUs = 0;
uint64_t ScriptedCpu() {
    return gCpuUs;
}

// Frames every 20 ms while the process uses a quarter of a processor: each second the figure is measured
// anew and drawn in the bottom-left corner; in between, and without gShowFps, it is only copied or absent.
TEST_F(TextSlots, FrameRateFigureMeasuresEachSecondInTheCorner) {
    SetProcessCpuSource(ScriptedCpu);
    gCpuUs = 5000000;
    gShowFps = 1;
    uint32_t blts = 0;
    for (int frame = 0; frame <= 100; ++frame) {
        SCOPED_TRACE(frame);
        DDPresent();
        const bool due = frame == 50 || frame == 100;
        ASSERT_EQ(gDrawn.size(), due ? 1u : 0u);
        if (due) {
            EXPECT_EQ(gDrawn[0].text, frame == 50 ? "50 fps  25.0% CPU" : "50 fps  12.5% CPU");
            const DDRect r = gTextSlotRect[TEXT_SLOT_FPS];
            EXPECT_TRUE((r == DDRect{0, 480 - 17, 7 * static_cast<int32_t>(gDrawn[0].text.size()), 480}));
            EXPECT_EQ(gFilled.size(), 1u) << "on a black box";
            EXPECT_FALSE(gBold);
            gDrawn.clear();
            gFilled.clear();
        }
        blts += frame >= 50; // copied onto every frame once it exists
        EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), blts);
        AdvanceScriptedTime(20);
        gCpuUs += frame < 50 ? 5000 : 2500;
    }
    gShowFps = 0;
    AdvanceScriptedTime(1000);
    DDPresent();
    EXPECT_TRUE(gDrawn.empty());
    EXPECT_EQ(SoftDeviceCalls(SOFT_BLT), blts);
    SetProcessCpuSource(nullptr);
}

// The build's own text backend (FreeType, or GDI on Windows) really puts the glyphs into the slot.
TEST_F(TextSlots, SystemTextLandsInsideItsSlotAndIsCopiedOpaque) {
    SetTextBackend(nullptr);
    DDDrawText("Quorl", "", 1.0f, true, 16, TEXT_SLOT_NAME, 0, true);
    const DDRect r = gTextSlotRect[3];
    ASSERT_GT(r.right - r.left, 20);
    ASSERT_GT(r.bottom - r.top, 10);
    EXPECT_LT(r.bottom - r.top, 30);
    gPainting = 1;
    DDClearTarget();
    ASSERT_TRUE(DDLockTarget());
    DDPutPixel(0, 0, DDPackColour(255, 255, 255), false); // a pixel the slot never covers
    DDUnlockTarget();
    DDBltTextSlot(TEXT_SLOT_NAME);
    int lit = 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x)
            lit += FrontPixel(x, y) != 0;
    EXPECT_GT(lit, 40);
    EXPECT_EQ(FrontPixel(r.left - 1, r.top), 0u);
    EXPECT_EQ(FrontPixel(0, 0), 0xFFFFFFu);
}

} // namespace
