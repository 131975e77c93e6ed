#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/display.h"
#include "platform/msgbox.h"
#include "support/scripted.h"

namespace {

class Reporting : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallScriptedClock();
        InstallMessageBoxRecorder();
        InstallTemporaryLog();
    }
    void TearDown() override {
        UninstallTemporaryLog();
        UninstallMessageBoxRecorder();
        UninstallScriptedClock();
    }
};

TEST_F(Reporting, LogEntryHasTheDateTimePrefixAndNoAddedLineEnd) {
    SetScriptedLocalTime({2026, 12, 6, 15, 7, 5});
    LogMessage("AddTrailParticle: Allocating NewParticle failed.\n");
    LogMessage("DDInitFail: %s\n", "DDCreateBgSurface failed\n");
    EXPECT_EQ(LogContents(), "6/12/2026 15:07:05> AddTrailParticle: Allocating NewParticle failed.\n"
                             "6/12/2026 15:07:05> DDInitFail: DDCreateBgSurface failed\n\n");
}

TEST_F(Reporting, MidnightHoursHaveNoLeadingZeroButMinutesAndSecondsDo) {
    SetScriptedLocalTime({2027, 1, 2, 0, 0, 9});
    LogMessage("x");
    EXPECT_EQ(LogContents(), "2/1/2027 0:00:09> x");
}

TEST_F(Reporting, ErrorBoxAndQuestionsUseTheProductTitleAndDefaultButtons) {
    ErrorBox("You can't delete the standard patterns.");
    QueueMessageBoxAnswer(MBOX_IDYES);
    EXPECT_TRUE(AskYesNo("Delete?", false));
    EXPECT_TRUE(AskYesNo("Save first?", true)); // default Yes answers Yes
    EXPECT_FALSE(AskYesNo("Revert?", false));   // default No answers No
    const auto &boxes = RecordedBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].title, "Tavo");
    EXPECT_EQ(boxes[0].style, MBOX_OK | MBOX_ICONERROR);
    EXPECT_EQ(boxes[1].style, MBOX_YESNO | MBOX_ICONQUESTION | MBOX_DEFBUTTON2);
    EXPECT_EQ(boxes[2].style, MBOX_YESNO | MBOX_ICONQUESTION);
}

} // namespace

namespace {

TEST(ErrorNames, PublishedNamesForDirectDrawAndGeneralCodesOnly) {
    EXPECT_STREQ(DDErrorName(MakeDDResult(450)), "DDERR_SURFACELOST");
    EXPECT_STREQ(DDErrorName(0), "Unknown error");
    EXPECT_STREQ(DDErrorName(static_cast<int32_t>(0x80070057u)), "DDERR_INVALIDPARAMS");
    EXPECT_STREQ(DDErrorName(static_cast<int32_t>(0x80004001u)), "DDERR_UNSUPPORTED");
    EXPECT_STREQ(DDErrorName(MakeDDResult(680)), "DDERR_NOTPAGELOCKED");
    EXPECT_STREQ(DDErrorName(MakeDDResult(451)), "Unknown error");
    EXPECT_STREQ(DDErrorName(450), "Unknown error"); // the number without the facility
    int named = 0;
    for (uint32_t n = 0; n < 1000; ++n)
        named += strcmp(DDErrorName(MakeDDResult(n)), "Unknown error") != 0;
    EXPECT_EQ(named, 95);
}

TEST_F(Reporting, InitFailCutsALongMessageToItsBuffer) {
    SetScriptedLocalTime({2026, 12, 6, 15, 7, 5});
    const std::string longName(400, 'x');
    DDInitFail("SetDisplayMode failed with error: %s", longName.c_str());
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].text.size(), 255u);
    EXPECT_EQ(RecordedBoxes()[0].title, "Initialisation Error");
    EXPECT_EQ(LogContents(), "6/12/2026 15:07:05> DDInitFail: " + RecordedBoxes()[0].text + "\n");
}

TEST(ProductVersion, BuildVersionOrNothingWithoutAVersionResource) {
    char version[32] = "stale";
    GetProductVersion("tavo.scr", version, sizeof version);
#ifdef _WIN32
    EXPECT_STREQ(version, ""); // the test program carries no version resource
#else
    EXPECT_STREQ(version, "1.11");
#endif
    char tiny[3];
    GetProductVersion("tavo.scr", tiny, sizeof tiny);
    EXPECT_LT(strlen(tiny), sizeof tiny);
}

} // namespace
