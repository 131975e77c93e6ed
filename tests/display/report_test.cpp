#include <gtest/gtest.h>

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
