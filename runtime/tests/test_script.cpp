// A UI script drives a panel from inside event processing: Go's shortcut key
// starts a callback loop on ProcessSystemEvents, and Stop is clicked inside
// it. Keys and clicks enter as a user's do, raising the same events.
#include "RtTestIds.h"
#include "rt_ui.h"

#include <QFile>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {
bool g_poll = false;
int g_rounds = 0;
int g_closes = 0;
int g_commits = 0;
std::vector<std::pair<std::string, int>> g_events; // (control, event) other than focus

void note(int panel, int control, int event)
{
    if (event != EVENT_GOT_FOCUS && event != EVENT_LOST_FOCUS)
        g_events.emplace_back(CtrlName(panel, control), event);
}

std::vector<int> eventsOf(const std::string &control)
{
    std::vector<int> out;
    for (const auto &[name, event] : g_events)
        if (name == control)
            out.push_back(event);
    return out;
}
} // namespace

int CBF_Any(int panel, int control, int event, void *, int, int)
{
    note(panel, control, event);
    if (event == EVENT_COMMIT)
        ++g_commits;
    return 0;
}

int CBF_ButtonGo(int panel, int control, int event, void *, int, int)
{
    note(panel, control, event);
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

int CBF_ButtonStop(int panel, int control, int event, void *, int, int)
{
    note(panel, control, event);
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

TEST(UiScript, RunsInsideCallbackLoopsAsAUserWould)
{
    const std::string scriptPath = testing::TempDir() + "/script.txt";
    QFile f(QString::fromStdString(scriptPath));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
    f.write("# drive the test panel\n"
            "key T F9              # Go by its shortcut key\n"
            "wait 0.2\n"
            "rightclick T EditPower\n"
            "click T Toggle        # dimmed: nothing happens\n"
            "set T EditPower 42   # a comment after an action\n"
            "set T StringIp 10.1.2.34\n"
            "click T StringIp\n"
            "key T End\n"
            "key T Backspace       # typed into the control that has the focus\n"
            "set T RingMode 7\n"
            "setcell T TableTeach 2 3 99\n"
            "print T EditPower\n"
            "print T StringIp\n"
            "printcell T TableTeach 2 3\n"
            "printattr T DispTemp dimmed\n"
            "printattr T EditPower label\n"
            "click T ButtonStop\n"
            "waitfor T RingMode == 7 2\n"
            "waitfor T DispTemp dimmed == 0 2\n"
            "waitfor T EditPower label == POWER 2\n"
            "quit 7\n");
    f.close();

    std::string arg0 = "test", arg1 = "--ui-script", arg2 = scriptPath;
    char *argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    ASSERT_EQ(InitRuntime(3, argv), 0);
    RegisterRtTestCallbacks();
    const int panel = LoadPanel(0, RT_TEST_PANEL_DIR "/RtTest.uir", T);
    ASSERT_GT(panel, 0);
    DisplayPanel(panel);
    SetCtrlAttribute(panel, T_TOGGLE, ATTR_DIMMED, 1);

    testing::internal::CaptureStdout();
    RunUserInterface();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_GT(g_rounds, 5);  // Go's loop ran while the script went on
    EXPECT_FALSE(g_poll);    // and Stop ended it
    EXPECT_EQ(g_closes, 1);  // quit closes the main panel like a user
    EXPECT_EQ(g_commits, 4); // every set and setcell committed, nothing else did
    // A click raises the left-click event before the commit, a right click
    // only its own event; the dimmed toggle heard nothing.
    EXPECT_EQ(eventsOf("ButtonGo"), (std::vector<int> {EVENT_COMMIT}));
    EXPECT_EQ(eventsOf("ButtonStop"), (std::vector<int> {EVENT_LEFT_CLICK, EVENT_COMMIT}));
    EXPECT_EQ(eventsOf("EditPower"), (std::vector<int> {EVENT_RIGHT_CLICK, EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_TRUE(eventsOf("Toggle").empty());
    EXPECT_NE(out.find("T.EditPower=42\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.StringIp=10.1.2.3\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.TableTeach[2,3]=99\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.DispTemp.dimmed=0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("T.EditPower.label=POWER\n"), std::string::npos) << out;
    EXPECT_EQ(CloseRuntime(0), 7);
}
