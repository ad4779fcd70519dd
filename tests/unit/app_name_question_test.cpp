// The session name asked at start. (Its use in the command line: app_poll_switch_test.)

#include "FakePlatform.h"

TEST(NameQuestion, ACancelledNameIsEmptyAndAFailedNameBoxIsReported) {
    FakeApp cancelled;
    cancelled.sys.nameTyped = L"";
    ASSERT_TRUE(cancelled.general.StartUp());
    EXPECT_EQ(cancelled.general.SessionName, L"");
    cancelled.ExpectBoxes({});

    FakeApp failed;
    failed.sys.inputFailure = L"Not enough memory.";
    ASSERT_TRUE(failed.general.StartUp());
    failed.ExpectBoxes({ErrorBox(shown::kInstallErrorSentence, L"Not enough memory.")});
    EXPECT_TRUE(failed.sys.Window().shown);
}
