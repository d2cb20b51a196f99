// The main panel's close event must end the user-interface loop; no other
// event may do so.
#include "QuillonV20Program.h"

#include "QuillonV20.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

class QuillonV20Program : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static char name[] = "quillonv20_program_test";
        static char *argv[] = {name, nullptr};
        ASSERT_EQ(InitRuntime(1, argv), 0);
    }

    void SetUp() override
    {
        // Ends a loop that nothing else ends, so that a fault fails the test instead of hanging it.
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QuitUserInterface(99); });
        watchdog.start(5000);
    }

    QTimer watchdog;
};

TEST_F(QuillonV20Program, CloseEventEndsTheUserInterface)
{
    QTimer::singleShot(0, [] { CBF_MAINP(1, EVENT_CLOSE, nullptr, 0, 0); });
    EXPECT_EQ(RunUserInterface(), 0);
}

TEST_F(QuillonV20Program, OtherPanelEventsLeaveTheProgramRunning)
{
    QTimer::singleShot(0, [] {
        for (int event : {EVENT_COMMIT, EVENT_VAL_CHANGED, EVENT_LEFT_CLICK, EVENT_RIGHT_CLICK, EVENT_KEYPRESS,
                          EVENT_GOT_FOCUS, EVENT_LOST_FOCUS})
            CBF_MAINP(1, event, nullptr, 0, 0);
    });
    // Had any of them ended the loop, it would already have returned 0.
    QTimer::singleShot(100, [] { QuitUserInterface(7); });
    EXPECT_EQ(RunUserInterface(), 7);
}

} // namespace
