// A UI script drives a panel from inside event processing: it clicks Go,
// whose callback loops on ProcessSystemEvents, and then clicks Stop inside
// that loop; it sets values, reads them back, answers pop-ups and quits.
#include "RtTestIds.h"
#include "rt_ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <string>

namespace {
bool g_poll = false;
int g_rounds = 0;
int g_closes = 0;
int g_commits = 0;
} // namespace

int CBF_Any(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        ++g_commits;
    return 0;
}

int CBF_ButtonGo(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT)
        return 0;
    g_poll = true;
    const double start = Timer();
    while (g_poll && Timer() - start < 10.0) {
        ProcessSystemEvents();
        ++g_rounds;
    }
    return 0;
}

int CBF_ButtonStop(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        g_poll = false;
    return 0;
}

int CBF_T(int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE) {
        ++g_closes;
        g_poll = false;
        QuitUserInterface(0);
    }
    return 0;
}

TEST(UiScript, RunsInsideCallbackLoopsAndAnswersPopups)
{
    const std::string dir = testing::TempDir();
    const std::string scriptPath = dir + "/script.txt";
    const std::string shot = dir + "/shot_t.png";
    QFile::remove(QString::fromStdString(shot));
    QFile f(QString::fromStdString(scriptPath));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
    f.write(("# drive the test panel\n"
             "click T ButtonGo\n"
             "wait 0.2\n"
             "set T EditPower 42   # a comment after an action\n"
             "set T StringIp 10.1.2.3\n"
             "set T RingMode 7\n"
             "setcell T TableTeach 2 3 99\n"
             "print T EditPower\n"
             "print T StringIp\n"
             "printcell T TableTeach 2 3\n"
             "printattr T DispTemp dimmed\n"
             "printattr T EditPower label\n"
             "answer yes\n"
             "file " + dir + "/chosen.dat new\n"
             "click T ButtonStop\n"
             "waitfor T RingMode == 7 2\n"
             "waitfor T DispTemp dimmed == 0 2\n"
             "waitfor T EditPower label == POWER 2\n"
             "screenshot T " + shot + "\n"
             "quit 7\n")
                .c_str());
    f.close();

    std::string arg0 = "test", arg1 = "--ui-script", arg2 = scriptPath;
    char *argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    ASSERT_EQ(InitRuntime(3, argv), 0);
    RegisterRtTestCallbacks();
    const int panel = LoadPanel(0, RT_TEST_PANEL_DIR "/RtTest.uir", T);
    ASSERT_GT(panel, 0);
    DisplayPanel(panel);

    testing::internal::CaptureStdout();
    RunUserInterface();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_GT(g_rounds, 5);   // Go's loop ran while the script went on
    EXPECT_FALSE(g_poll);     // and Stop ended it
    EXPECT_EQ(g_closes, 1);   // quit closes the main panel like a user
    EXPECT_GE(g_commits, 4);  // every set and setcell committed
    EXPECT_NE(out.find("T.EditPower=42\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.StringIp=10.1.2.3\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.TableTeach[2,3]=99\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.DispTemp.dimmed=0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.EditPower.label=POWER\n"), std::string::npos) << out;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(shot)).size() > 0);
    EXPECT_EQ(CloseRuntime(0), 7);

    // The queued answers go to the next pop-ups; unanswered ones take their default.
    EXPECT_EQ(ConfirmPopup("Erase", "Sure?"), 1);
    EXPECT_EQ(ConfirmPopup("Erase", "Sure?"), 0);
    char path[260];
    EXPECT_EQ(FileSelectPopup("", "init.dat", "*.dat", "init", VAL_SAVE_BUTTON, 0, 1, 1, 1, path),
              VAL_NEW_FILE_SELECTED);
    EXPECT_EQ(QString(path), QDir::cleanPath(QString::fromStdString(dir + "/chosen.dat")));
    EXPECT_EQ(FileSelectPopup("", "init.dat", "*.dat", "init", VAL_SAVE_BUTTON, 0, 1, 1, 1, path),
              VAL_NO_FILE_SELECTED);

    testing::internal::CaptureStdout();
    MessagePopup("TCP Client", "Server has closed connection!\nbye");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "POPUP TCP Client|Server has closed connection!\\nbye\n");
}
