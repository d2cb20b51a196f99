// The four programs on a real X display (a private Xvfb with a window
// manager), driven as a user drives them: real key presses and mouse clicks
// through the X server (xdotool), no UI script. Results come from the
// simulator's telegram log, from the window titles and from the windows' own
// pictures (xwd).
#include "simproc.h"
#include "xsession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "REAL DISPLAY SENSOR V6.1";

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    int cx() const { return x + w / 2; }
    int cy() const { return y + h / 2; }
};

int intIn(const std::string &text, size_t from, size_t to, const std::string &tag)
{
    const size_t p = text.find("<" + tag + ">", from);
    return p < to ? std::atoi(text.c_str() + p + tag.size() + 2) : 0;
}

// Where a control lies in its panel's window, from the panel resource file:
// its geometry plus that of the widgets it is nested in below the panel page.
Rect ControlRect(const std::string &uirText, const std::string &panel, const std::string &control)
{
    const size_t page = uirText.find("<widget class=\"QWidget\" name=\"" + panel + "\"");
    if (page == std::string::npos)
        return {};
    // Walk the widgets after the page, keeping the stack of open ones.
    std::vector<Rect> stack;
    size_t at = uirText.find('>', page) + 1;
    while (true) {
        const size_t open = uirText.find("<widget ", at), close = uirText.find("</widget>", at);
        if (close == std::string::npos)
            return {};
        if (open != std::string::npos && open < close) {
            const size_t nameAt = uirText.find("name=\"", open) + 6;
            const std::string name = uirText.substr(nameAt, uirText.find('"', nameAt) - nameAt);
            // The widget's own geometry comes before its first child or its end.
            const size_t next = std::min(uirText.find("<widget ", open + 1), uirText.find("</widget>", open));
            Rect r;
            const size_t rect = uirText.find("<rect>", open);
            if (rect < next)
                r = {intIn(uirText, rect, next, "x"), intIn(uirText, rect, next, "y"),
                     intIn(uirText, rect, next, "width"), intIn(uirText, rect, next, "height")};
            for (const Rect &parent : stack) {
                r.x += parent.x;
                r.y += parent.y;
            }
            if (name == control)
                return r;
            stack.push_back(r);
            at = open + 8;
        } else {
            if (stack.empty())
                return {}; // the page ends
            stack.pop_back();
            at = close + 9;
        }
    }
}

size_t Count(const SimProcess &sim, int order)
{
    const std::vector<int> orders = sim.receivedOrders();
    return static_cast<size_t>(std::count(orders.begin(), orders.end(), order));
}

bool Dark(uint32_t p) { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 200; }

bool Light(uint32_t p) { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) > 600; }

// Share of the picture taken by its most frequent colour.
double Uniformity(const XPicture &pic)
{
    std::vector<uint32_t> sorted = pic.pixels;
    std::sort(sorted.begin(), sorted.end());
    size_t best = 0;
    for (size_t i = 0, j = 0; i < sorted.size(); i = j) {
        for (j = i; j < sorted.size() && sorted[j] == sorted[i];)
            ++j;
        best = std::max(best, j - i);
    }
    return sorted.empty() ? 1.0 : static_cast<double>(best) / static_cast<double>(sorted.size());
}

class RealDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        x = std::make_unique<XSession>();
        if (!x->ok())
            GTEST_SKIP() << "no X server for the real-display tests: " << x->why();
        dir = MakeTempDir();
        if (const char *shots = std::getenv("VELT_REALDISPLAY_SHOTS"))
            shotDir = shots;
    }

    // Starts an installed copy of the program on the X server, COM1 on the simulator's pseudo-terminal.
    void Start(const std::string &program, const SimProcess &sim)
    {
        name = program;
        const std::string exe = InstallCopy(program, dir);
        uir = ReadTextFile(dir + "/" + program + ".uir");
        prog = std::make_unique<XProgram>(
            exe, std::vector<std::string> {},
            std::vector<std::string> {"QT_QPA_PLATFORM=xcb", x->displayEnv(), "VELTRA_COM1=" + sim.ptyLink},
            dir + "/output.txt");
    }

    std::string Output() const { return ReadTextFile(dir + "/output.txt"); }

    std::string Shot(const std::string &what) const
    {
        return shotDir.empty() ? std::string() : shotDir + "/" + name + "-" + what + ".xwd";
    }

    // The window with this title, shown and drawn: its picture has the
    // panel's size at least and is not one colour.
    std::string ShownWindow(const std::string &title, const std::string &shot)
    {
        const std::string id = x->waitWindow("^" + title + "$", 30);
        EXPECT_FALSE(id.empty()) << title << " never showed\n" << Output();
        if (id.empty())
            return id;
        XPicture pic;
        // A freshly mapped window may not have painted yet.
        WaitUntil(10, [&] {
            pic = x->grab(id, Shot(shot));
            return !pic.empty() && Uniformity(pic) < 0.95;
        });
        EXPECT_LT(Uniformity(pic), 0.95) << title << " shows nothing";
        return id;
    }

    void Click(const std::string &window, const std::string &panel, const std::string &control, int button = 1)
    {
        const Rect r = ControlRect(uir, panel, control);
        ASSERT_GT(r.w, 0) << "no " << panel << "." << control << " in the panel file";
        ASSERT_TRUE(x->click(window, r.cx(), r.cy(), button));
    }

    // A right click shows the control's help in a pop-up that is drawn (dark
    // text on a light ground, not a black box); Return closes it.
    void HelpPopUp(const std::string &window, const std::string &panel, const std::string &control)
    {
        // A dimmed control (a command still running) ignores the click: try again.
        const Rect r = ControlRect(uir, panel, control);
        ASSERT_GT(r.w, 0) << "no " << panel << "." << control << " in the panel file";
        std::string popup;
        WaitUntil(20, [&] {
            x->click(window, r.cx(), r.cy(), 3);
            popup = x->waitWindow("^INFO!$", 1.5);
            return !popup.empty();
        });
        ASSERT_FALSE(popup.empty()) << "no help for " << control << "\n" << Output();
        XPicture pic;
        WaitUntil(10, [&] {
            pic = x->grab(popup, Shot("help-" + control));
            return pic.share(Light) > 0.5 && pic.share(Dark) > 0.002;
        });
        EXPECT_GT(pic.share(Light), 0.5) << "help pop-up of " << control << " is not drawn";
        EXPECT_GT(pic.share(Dark), 0.002) << "help pop-up of " << control << " shows no text";
        ASSERT_TRUE(x->key("Return"));
        EXPECT_TRUE(x->waitNoWindow("^INFO!$", 15)) << "Return did not close the help of " << control;
    }

    // Presses key until cond holds (the command has started): a command
    // button ignores its key while it is dimmed (another command still running).
    bool PressUntil(const std::string &key, const std::function<bool()> &cond, double seconds = 20)
    {
        return WaitUntil(seconds, [&] {
            if (cond())
                return true;
            x->key(key);
            return WaitUntil(3, cond);
        });
    }

    // Closing the main window through the window manager (Alt+F4) ends the
    // program normally. Now and then the window manager drops the key although
    // it has made the window active (the window stays, the program waits idle
    // in its event loop, no close request ever reaches it): the key is then
    // pressed again, as a user would.
    void CloseWithWindowManager(const std::string &window)
    {
        int rc = -1;
        for (int press = 0; press < 4 && rc == -1; ++press) {
            if (x->activate(window)) {
                ASSERT_TRUE(x->key("alt+F4"));
            }
            rc = prog->waitExit(5);
        }
        EXPECT_EQ(rc, 0) << Output();
    }

    // The interface panel opens from INTERFACE ..., TRY TO CONNECT on it
    // asks the sensor on COM1 for its version once more; ACCEPT hides it.
    void InterfacePanel(const std::string &main, const SimProcess &sim)
    {
        ASSERT_TRUE(x->activate(main));
        Click(main, "P", "ButtonConnect");
        const std::string iface = ShownWindow("INTERFACE", "interface");
        ASSERT_FALSE(iface.empty());
        HelpPopUp(iface, "INTERFACEP", "ButtonTryToConnect");
        ASSERT_TRUE(x->activate(iface));
        const size_t asked = Count(sim, 7);
        Click(iface, "INTERFACEP", "ButtonTryToConnect");
        EXPECT_TRUE(WaitUntil(15, [&] { return Count(sim, 7) == asked + 1; })) << Output();
        EXPECT_TRUE(ClickUntil(iface, "INTERFACEP", "ButtonAccept", [&] { return x->windows("^INTERFACE$").empty(); }));
    }

    // Clicks a button until cond holds (it is dimmed while a command runs).
    bool ClickUntil(const std::string &window, const std::string &panel, const std::string &control,
                    const std::function<bool()> &cond)
    {
        const Rect r = ControlRect(uir, panel, control);
        return WaitUntil(20, [&] {
            if (cond())
                return true;
            x->click(window, r.cx(), r.cy());
            return WaitUntil(1.5, cond);
        });
    }

    // The side scope programs: the main window, help on a right click, the interface panel.
    void SideScope(const std::string &program, const std::string &title)
    {
        SimProcess sim({"--version-text", kVersion}, false, true);
        ASSERT_TRUE(sim.ok());
        Start(program, sim);
        const std::string main = ShownWindow(title, "main");
        ASSERT_FALSE(main.empty());
        ASSERT_TRUE(WaitUntil(30, [&] { return Count(sim, 7) >= 1; })) << Output(); // connected at start-up
        ASSERT_TRUE(x->activate(main));
        HelpPopUp(main, "P", "ButtonConnect");
        InterfacePanel(main, sim);
        CloseWithWindowManager(main);
    }

    std::unique_ptr<XSession> x;
    std::unique_ptr<XProgram> prog;
    std::string dir, shotDir, name, uir;
};

// Veltv61: F10 reads the parameters, F9 sends them, F11 starts the live loop
// and F12 ends it; help on a right click; the interface panel.
TEST_F(RealDisplay, Veltv61)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    Start("Veltv61", sim);
    const std::string main = ShownWindow("VELTRA-Scope V6.1", "main");
    ASSERT_FALSE(main.empty());
    // The start-up read over COM1: the version, the parameters, 31 rows.
    ASSERT_TRUE(WaitUntil(30, [&] { return Count(sim, 4) == 31; })) << Output();
    ASSERT_TRUE(x->activate(main));

    // Each key starts its command (its first telegram arrives), which then runs to its end.
    EXPECT_TRUE(PressUntil("F10", [&] { return Count(sim, 3) == 2; })) << "F10 (GET)";
    EXPECT_TRUE(WaitUntil(20, [&] { return Count(sim, 4) == 62; }));
    EXPECT_TRUE(PressUntil("F9", [&] { return Count(sim, 1) == 1; })) << "F9 (SEND)";
    EXPECT_TRUE(WaitUntil(20, [&] { return Count(sim, 2) == 31; }));
    EXPECT_TRUE(PressUntil("F11", [&] { return Count(sim, 5) >= 1; })) << "F11 (GO)";
    EXPECT_TRUE(WaitUntil(20, [&] { return Count(sim, 5) >= 5; })) << "the live loop runs";
    ASSERT_TRUE(x->key("F12"));
    // GET answers only once the loop has ended and the buttons are back.
    EXPECT_TRUE(PressUntil("F10", [&] { return Count(sim, 3) == 3; })) << "F12 (STOP), then F10";
    EXPECT_TRUE(WaitUntil(20, [&] { return Count(sim, 4) == 93; }));
    const std::vector<int> orders = sim.receivedOrders();
    const auto lastRead = std::find(orders.rbegin(), orders.rend(), 3);
    EXPECT_EQ(std::count(orders.rbegin(), lastRead, 5), 0) << "the live loop went on after F12";
    EXPECT_EQ(Count(sim, 1), 1u); // each key did only its own command

    const size_t before = sim.receivedOrders().size();
    HelpPopUp(main, "P", "ButtonGo");
    HelpPopUp(main, "P", "ButtonStop");
    EXPECT_EQ(sim.receivedOrders().size(), before); // a right click starts nothing

    InterfacePanel(main, sim);
    CloseWithWindowManager(main);
}

TEST_F(RealDisplay, VeltTempCompV61) { SideScope("VeltTempCompV61", "VELTRA-TEMPCOMP-Scope V6.1"); }

TEST_F(RealDisplay, VeltCalibV61) { SideScope("VeltCalibV61", "VELTRA-CALIB-Scope V6.1"); }

// The loader: its main window shows and closes through the window manager.
TEST_F(RealDisplay, QuillonV20)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    Start("QuillonV20", sim);
    const std::string main = ShownWindow("QUILLON V2.0", "main");
    ASSERT_FALSE(main.empty());
    CloseWithWindowManager(main);
}

} // namespace
