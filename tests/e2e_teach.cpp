// Colour teaching in Veltv61 against the simulated sensor, driven by UI
// scripts over the pseudo-terminal: TEACH DATA TO with the
// frames the sensor sent, AUTO ADJUST against the circle rule, the zoom
// loop, the teach panel's captures, colour groups in the parameter set, and
// colour array files.
#include "e2e.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";
const std::string kTimeoutText =
    " ATTENTION! \\n \\n TIMEOUT \\n NO CONNECTION TO SENSOR. \\n The version of the sensor is displayed as the name "
    "of this dialog box.";

// A command has ended when the buttons it dimmed are usable again; a live
// loop has shown its first frame when the fixed temperature of the
// simulator (--temperature 30) is displayed.
const std::string kSettle = "waitfor P ButtonGet dimmed == 0 10\n";
const std::string kFirstFrame = "waitfor P DispTemp == 30 10\n";
const std::string kLoopRuns = "waitfor P ButtonGet dimmed == 1 10\n";

// Over TCP the script also waits for the parameter read after the line check.
std::string Connect(Link link, const SimProcess &sim)
{
    return ConnectScript(link, sim, kVersion, "waitfor P EditAverage == 16 10\n" + kSettle);
}

int RunIn(const std::string &dir, const SimProcess *sim, const std::string &script, std::string *out)
{
    return RunScriptIn("Veltv61", dir, sim, script, out);
}

// Value printed for "PANEL.CTRL=" or "PANEL.CTRL[c,r]=" (the last one), -1 when absent.
long Printed(const std::string &out, const std::string &key)
{
    const size_t p = out.rfind(key + "=");
    return p == std::string::npos ? -1 : std::stol(out.substr(p + key.size() + 1));
}
std::string CellKey(const std::string &ctrl, int col, int row)
{
    return ctrl + "[" + std::to_string(col) + "," + std::to_string(row) + "]";
}
std::string PrintCells(const std::string &ctrl, int cols, int firstRow, int lastRow)
{
    std::string s;
    const std::string panel = ctrl.substr(0, ctrl.find('.')), name = ctrl.substr(ctrl.find('.') + 1);
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = 1; c <= cols; ++c)
            s += "printcell " + panel + " " + name + " " + std::to_string(c) + " " + std::to_string(r) + "\n";
    return s;
}
std::vector<long> Cells(const std::string &out, const std::string &ctrl, int row, int cols = 5)
{
    std::vector<long> v;
    for (int c = 1; c <= cols; ++c)
        v.push_back(Printed(out, CellKey(ctrl, c, row)));
    return v;
}

// Telegrams of one order in the simulator's log, each as its 18 words:
// "tx" the replies it sent, "rx" the requests it received.
std::vector<std::vector<long>> Telegrams(const SimProcess &sim, const std::string &dir, int order)
{
    std::vector<std::vector<long>> out;
    for (const std::string &hex : sim.telegrams(dir, order)) {
        std::vector<long> w;
        for (size_t k = 0; k + 4 <= hex.size() && w.size() < 18; k += 4)
            w.push_back(std::stol(hex.substr(k, 4), nullptr, 16));
        out.push_back(w);
    }
    return out;
}
std::vector<std::vector<long>> SentFrames(const SimProcess &sim) { return Telegrams(sim, "tx", 5); }

// TEACH DATA TO takes the displays of the last frame the sensor sent, with
// the tolerances of modes 0 / 2 and STAT / DYN; No. counts up to 30 and
// stays there. RESET TABLE sets every cell to 1. AUTO ADJUST gives the radii
// of the circle rule (rows at opposite corners of the plane included) and
// runs the zoom loop with the command buttons dimmed until a click stops it.
TEST(Teaching, TeachDataToResetAndAutoAdjust)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30"}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    // Rows 1..4 for AUTO ADJUST: X, Y, CTO, INT, ITO; MAXCOL-No. 3 leaves row 4 alone.
    const std::vector<std::vector<long>> rows = {
        {0, 0, 9, 100, 10}, {65535, 363, 9, 105, 10}, {30, 40, 9, 95, 10}, {10, 0, 7, 100, 10}};
    std::string setRows;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            setRows += "setcell P ColorTeachTable " + std::to_string(c + 1) + " " + std::to_string(r + 1) + " " +
                       std::to_string(rows[r][c]) + "\n";
    std::string out;
    ASSERT_EQ(RunIn(dir, &sim,
                    Connect(Link::Pty, sim) +
                        "set P ParaVisible 0\n"
                        "click P ButtonGo\n" +
                        kFirstFrame + "click P ButtonStop\n" + kSettle +
                        "print P DispX\nprint P DispY\nprint P DispINT\n"
                        "set P EditNo 29\n"
                        "set P RadioInc 1\n"
                        "click P ButtonTeachDataTo\n"
                        "print P EditNo\n"
                        "click P ButtonTeachDataTo\n"
                        "print P EditNo\n"
                        "set P ParaVisible 1\n" // the mode controls belong to the parameter view
                        "set P Evalmode 2\n"
                        "set P EditPmode 1\n"
                        "set P ParaVisible 0\n"
                        "set P EditNo 5\n"
                        "click P ButtonTeachDataTo\n" +
                        PrintCells("P.ColorTeachTable", 5, 30, 31) + PrintCells("P.ColorTeachTable", 5, 6, 6) +
                        "click P ButtonResetTable\n"
                        "print P EditNo\n"
                        "printcell P ColorTeachTable 2 29\nprintcell P ColorTeachTable 4 17\n"
                        "set P ParaVisible 1\n"
                        "set P Evalmode 0\n"
                        "set P EditPmode 0\n"
                        "set P EditMaxcolNo 3\n"
                        "set P ParaVisible 0\n" +
                        setRows + "click P AutoAdjust\n" + kLoopRuns + kFirstFrame +
                        "printattr P ButtonSend dimmed\nprintattr P ButtonGo dimmed\nprintattr P AutoAdjust dimmed\n"
                        "screenshot P " +
                        dir +
                        "/zoom.png\n"
                        "click P GraphData2\n" +
                        kSettle + "printattr P ButtonSend dimmed\nprintattr P AutoAdjust dimmed\n" +
                        PrintCells("P.ColorTeachTable", 5, 1, 4) +
                        "click P ButtonApplyFromAll\n"
                        "screenshot P " +
                        dir +
                        "/circles.png\n"
                        "quit 0\n",
                    &out),
              0)
        << out;
    const auto frames = SentFrames(sim);
    ASSERT_GE(frames.size(), 2u) << out;
    // The zoom loop has fetched frames since; the Go frames end where the zoom ones begin.
    const std::vector<long> &last = [&]() -> const std::vector<long> & {
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i][5] == Printed(out, "P.DispX") && frames[i][6] == Printed(out, "P.DispY") &&
                frames[i][7] == Printed(out, "P.DispINT"))
                return frames[i];
        return frames.front();
    }();
    const long x = last[5], y = last[6], in = last[7];
    EXPECT_EQ(std::vector<long>({Printed(out, "P.DispX"), Printed(out, "P.DispY"), Printed(out, "P.DispINT")}),
              std::vector<long>({x, y, in}))
        << out;
    EXPECT_TRUE(Has(out, "P.EditNo=30\nP.EditNo=30\n")) << out;
    EXPECT_EQ(Cells(out, "P.ColorTeachTable", 30), (std::vector<long> {x, y, 100, in, 100})) << out;
    EXPECT_EQ(Cells(out, "P.ColorTeachTable", 31), (std::vector<long> {x, y, 100, in, 100})) << out;
    EXPECT_EQ(Cells(out, "P.ColorTeachTable", 6), (std::vector<long> {x, y, 40, in, 20})) << out;
    EXPECT_TRUE(Has(out, "P.EditNo=0\nP.ColorTeachTable[2,29]=1\nP.ColorTeachTable[4,17]=1\n")) << out;

    EXPECT_TRUE(Has(out, "P.ButtonSend.dimmed=1\nP.ButtonGo.dimmed=1\nP.AutoAdjust.dimmed=1\n")) << out;
    EXPECT_TRUE(Has(out, "P.ButtonSend.dimmed=0\nP.AutoAdjust.dimmed=0\n")) << out;
    // The circle rule (unit-tested in test_teach_calc): rows 1 and 3 are 50
    // apart with overlapping bands, row 2 lies at the far corner, row 4 is
    // beyond MAXCOL-No. and keeps its radius.
    const std::vector<long> radii = {25, 200, 25, 7};
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(Printed(out, CellKey("P.ColorTeachTable", 3, r + 1)), radii[r]) << "row " << r << "\n" << out;
    EXPECT_FALSE(Has(out, "POPUP")) << out;
}

// TEACH MEAN VAL starts the live loop (buttons dimmed); the captured rows
// are frames the sensor sent; means and maximum deltas follow from them;
// TEACH TO TABLE writes the mean with VALUE CTO + MAX DELTA and MAX DELTA INT.
TEST(Teaching, TeachPanelCapturesFramesAndTeachesTheirMean)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30"}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    std::string captures;
    for (int i = 0; i < 5; ++i)
        captures += "click TEACHP ButtonTpCapture\nwait 0.25\n"; // a user's pace: new frames in between
    std::string out;
    ASSERT_EQ(RunIn(dir, &sim,
                    Connect(Link::Pty, sim) +
                        "set P ParaVisible 0\n"
                        "click P ButtonTeachMeanVal\n" +
                        kLoopRuns + kFirstFrame + "printattr P ButtonSend dimmed\n" + captures +
                        "click P ButtonStop\n" + kSettle +
                        "printattr P ButtonSend dimmed\n"
                        "print TEACHP DispTpCounter\n" +
                        PrintCells("TEACHP.GridTpValues", 6, 1, 5) + PrintCells("TEACHP.GridTpMean", 6, 1, 1) +
                        "print TEACHP DispTpMaxDeltaXY\nprint TEACHP DispTpMaxDeltaInt\n"
                        "set TEACHP EditTpTeachCtoWith 2\n"
                        "set TEACHP EditTpValueCto 30\n"
                        "set TEACHP EditTpTeachItoWith 1\n"
                        "set TEACHP EditTpRowNo 7\n"
                        "click TEACHP ButtonTpTeachToTable\n" +
                        PrintCells("P.ColorTeachTable", 5, 8, 8) + "screenshot TEACHP " + dir +
                        "/teachp.png\n"
                        "quit 0\n",
                    &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "P.ButtonSend.dimmed=1\n")) << out;
    EXPECT_TRUE(Has(out, "P.ButtonSend.dimmed=0\nTEACHP.DispTpCounter=5\n")) << out;
    const auto frames = SentFrames(sim);
    std::vector<std::vector<long>> captured;
    for (int r = 1; r <= 5; ++r) {
        const std::vector<long> row = Cells(out, "TEACHP.GridTpValues", r, 6);
        bool sent = false;
        for (const auto &f : frames)
            sent = sent || std::vector<long>(f.begin() + 2, f.begin() + 8) == row;
        EXPECT_TRUE(sent) << "row " << r << " is no frame the sensor sent\n" << out;
        captured.push_back(row);
    }
    std::vector<long> mean(6, 0);
    for (int c = 0; c < 6; ++c) {
        for (const auto &row : captured)
            mean[c] += row[c];
        mean[c] /= 5;
    }
    long dxy = 0, dint = 0;
    for (const auto &row : captured) {
        const double dx = double(row[3] - mean[3]), dy = double(row[4] - mean[4]);
        dxy = std::max(dxy, static_cast<long>(std::floor(std::sqrt(dx * dx + dy * dy))));
        dint = std::max(dint, std::labs(row[5] - mean[5]));
    }
    EXPECT_EQ(Cells(out, "TEACHP.GridTpMean", 1, 6), mean) << out;
    EXPECT_EQ(Printed(out, "TEACHP.DispTpMaxDeltaXY"), dxy) << out;
    EXPECT_EQ(Printed(out, "TEACHP.DispTpMaxDeltaInt"), dint) << out;
    EXPECT_EQ(Cells(out, "P.ColorTeachTable", 8), (std::vector<long> {mean[3], mean[4], 30 + dxy, mean[5], dint}))
        << out;
    EXPECT_FALSE(Has(out, "POPUP")) << out;
}

// Groups and the table travel with the parameter set: the order-1 telegram
// carries the switch, the order-2 telegrams the group of each row; Send to
// the EEPROM and Get from it, and a parameter-file round trip, restore the
// taught row, its group and the switch.
TEST(Teaching, TaughtTableAndGroupsSurviveEepromAndFile)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30"}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const std::string reset = "click P ButtonResetTable\n"
                              "click PGROUP ButtonResetGroupTable\n"
                              "set PGROUP EditColorGroups 0\n";
    const std::string show = PrintCells("P.ColorTeachTable", 5, 3, 3) + "printcell PGROUP EditGridGroups 1 3\n"
                                                                        "print PGROUP EditColorGroups\n";
    std::string out;
    ASSERT_EQ(RunIn(dir, &sim,
                    Connect(Link::Pty, sim) +
                        "set P ParaVisible 0\n"
                        "setcell P ColorTeachTable 1 3 1111\nsetcell P ColorTeachTable 2 3 2222\n"
                        "setcell P ColorTeachTable 3 3 33\nsetcell P ColorTeachTable 4 3 444\n"
                        "setcell P ColorTeachTable 5 3 55\n"
                        "click P ButtonColorGroups\n"
                        "setcell PGROUP EditGridGroups 1 3 7\n"
                        "set PGROUP EditColorGroups 1\n"
                        "screenshot PGROUP " +
                        dir +
                        "/groups.png\n"
                        "click P SelectEEPROM\n"
                        "click P ButtonSend\n" +
                        kSettle + reset + show + "click P ButtonGet\n" + kSettle + show +
                        "click P SelectFILE\n"
                        "file " +
                        dir +
                        "/taught.dat new\n"
                        "click P ButtonSend\n" +
                        kSettle + reset + "file " + dir +
                        "/taught.dat existing\n"
                        "click P ButtonGet\n" +
                        kSettle + show + "quit 0\n",
                    &out),
              0)
        << out;
    const std::string taught = "P.ColorTeachTable[1,3]=1111\nP.ColorTeachTable[2,3]=2222\nP.ColorTeachTable[3,3]=33\n"
                               "P.ColorTeachTable[4,3]=444\nP.ColorTeachTable[5,3]=55\nPGROUP.EditGridGroups[1,3]=7\n"
                               "PGROUP.EditColorGroups=1\n";
    const size_t first = out.find(taught);
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find(taught, first + 1), std::string::npos) << out; // after the file round trip as well
    EXPECT_TRUE(Has(out, "P.ColorTeachTable[1,3]=1\n")) << out;       // reset in between
    EXPECT_FALSE(Has(out, "POPUP")) << out;

    const auto paras = Telegrams(sim, "rx", 1);
    ASSERT_FALSE(paras.empty());
    EXPECT_EQ(paras.front()[15], 1); // the group switch
    bool rowSent = false;
    for (const auto &t : Telegrams(sim, "rx", 2))
        if (t[2] == 2) {
            EXPECT_EQ(std::vector<long>(t.begin() + 3, t.begin() + 9),
                      (std::vector<long> {1111, 2222, 33, 444, 55, 7}));
            rowSent = true;
        }
    EXPECT_TRUE(rowSent);
}

// A sensor that stops answering while the teach panel's live loop runs: the
// time-out pop-up, TIMEOUT, the buttons undimmed; a capture afterwards takes
// the last frame received.
TEST(TeachingFaults, TimeOutDuringCapture)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30", "--fault", "noreply:order=5:nth=3"}, true, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunIn(MakeTempDir(), &sim,
                    Connect(Link::Pty, sim) +
                        "set P ParaVisible 0\n"
                        "click P ButtonTeachMeanVal\n"
                        "waitfor P DispStatus == TIMEOUT 10\n" +
                        kSettle +
                        "printattr P ButtonGo dimmed\n"
                        "click TEACHP ButtonTpCapture\n"
                        "print TEACHP DispTpCounter\n" +
                        PrintCells("TEACHP.GridTpValues", 6, 1, 1) + "quit 0\n",
                    &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "POPUP " + kVersion + "|" + kTimeoutText + "\n")) << out;
    EXPECT_TRUE(Has(out, "P.ButtonGo.dimmed=0\nTEACHP.DispTpCounter=1\n")) << out;
    const auto frames = SentFrames(sim);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Cells(out, "TEACHP.GridTpValues", 1, 6), std::vector<long>(frames[1].begin() + 2, frames[1].begin() + 8))
        << out;
}

// Colour array files: the built-in colours saved, a file loaded and saved
// back identically, bad and unwritable files refused with a pop-up, the
// start-up array named and loaded at the next start, and start-up path files
// that are not sound ignored.
TEST(ColourArrays, SaveLoadStartupAndBadFiles)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    std::string b, bad;
    std::vector<long> bValues;
    for (int i = 0; i < 45; ++i) {
        bValues.push_back(0x010203L * i % 0x1000000);
        b += "  " + std::to_string(bValues.back()) + (i % 2 ? "\r\n" : "\n");
        if (i < 44)
            bad += std::to_string(bValues.back()) + "\n";
    }
    WriteTextFile(dir + "/b.car", b);
    WriteTextFile(dir + "/bad.car", bad);
    WriteTextFile(dir + "/range.car", bad + "16777216\n"); // 45 numbers, the last out of range
    auto values = [](const std::string &text) {
        std::vector<long> v;
        std::istringstream in(text);
        long x = 0;
        while (in >> x)
            v.push_back(x);
        return v;
    };
    const std::vector<long> builtIn = {0xFF0000, 0x80FF00, 0x0000FF, 0x000000, 0xFF80C0, 0xFFFF00, 0x808000, 0x800080,
                                       0x80FFFF, 0xFF0080, 0x400080, 0xFF00FF, 0x008000, 0x408080, 0x800000};
    std::vector<long> builtIn45;
    for (int i = 0; i < 45; ++i)
        builtIn45.push_back(builtIn[i % 15]);
    const std::string open = "waitfor P DispStatus == " + kVersion + " 10\nset P ParaVisible 0\nclick P ButtonColor\n";
    auto save = [&](const std::string &name) {
        return "file " + dir + "/" + name + " new\nclick SRCP ButtonSaveArray\n";
    };

    std::string out;
    ASSERT_EQ(RunIn(dir, &sim,
                    open + save("a.car") + "file " + dir + "/b.car existing\nclick SRCP ButtonGetArray\n" +
                        save("c.car") + "file " + dir +
                        "/bad.car existing\nclick SRCP ButtonGetArray\n"
                        "file " +
                        dir + "/range.car existing\nclick SRCP ButtonGetArray\n" + save("d.car") + save("nodir/x.car") +
                        "file " + dir + "/" + std::string(260, 'a') +
                        ".car new\nclick SRCP ButtonSetStartupArray\n"
                        "file " +
                        dir +
                        "/b.car existing\nclick SRCP ButtonSetStartupArray\n"
                        "screenshot SRCP " +
                        dir +
                        "/srcp.png\n"
                        "quit 0\n",
                    &out),
              0)
        << out;
    EXPECT_EQ(values(ReadTextFile(dir + "/a.car")), builtIn45);
    EXPECT_EQ(values(ReadTextFile(dir + "/c.car")), bValues);
    EXPECT_EQ(values(ReadTextFile(dir + "/d.car")), bValues); // the refused files changed nothing
    EXPECT_TRUE(Has(out, "POPUP ATTENTION!| The file is not a color array")) << out;
    EXPECT_TRUE(Has(out, "POPUP ATTENTION!| The color array could not be written to \\n " + dir + "/nodir/x.car"))
        << out;
    // A path too long for the 260-byte buffer is refused; only b.car was named.
    EXPECT_TRUE(Has(out, "POPUP ATTENTION!| The path \\n " + dir + "/" + std::string(260, 'a'))) << out;
    EXPECT_TRUE(Has(out, "POPUP Startup File is:|" + dir + "/b.car\n")) << out;
    EXPECT_EQ(out.find("Startup File is:"), out.rfind("Startup File is:")) << out;
    const std::string sup = ReadTextFile(dir + "/StartupPath.sup");
    ASSERT_EQ(sup.size(), 260u);
    EXPECT_EQ(sup.substr(0, sup.find('\0')), dir + "/b.car");
    EXPECT_EQ(sup.find_first_not_of('\0', sup.find('\0')), std::string::npos);

    // The next start loads b.car.
    ASSERT_EQ(RunIn(dir, &sim, open + save("e.car") + "quit 0\n", &out), 0) << out;
    EXPECT_EQ(values(ReadTextFile(dir + "/e.car")), bValues);
    EXPECT_FALSE(Has(out, "POPUP")) << out;

    // 260 bytes without a NUL: ignored. A path to a bad file: refused with a pop-up.
    WriteTextFile(dir + "/StartupPath.sup", std::string(260, 'x'));
    ASSERT_EQ(RunIn(dir, &sim, open + save("f.car") + "quit 0\n", &out), 0) << out;
    EXPECT_EQ(values(ReadTextFile(dir + "/f.car")), builtIn45);
    std::string badSup = dir + "/bad.car";
    badSup.resize(260, '\0');
    WriteTextFile(dir + "/StartupPath.sup", badSup);
    ASSERT_EQ(RunIn(dir, &sim, open + save("g.car") + "quit 0\n", &out), 0) << out;
    EXPECT_EQ(values(ReadTextFile(dir + "/g.car")), builtIn45);
    EXPECT_TRUE(Has(out, "POPUP ATTENTION!| The file is not a color array")) << out;

    // A start-up path file that cannot be written: a pop-up naming it, no "Startup File is:".
    ::unlink((dir + "/StartupPath.sup").c_str());
    ASSERT_EQ(::mkdir((dir + "/StartupPath.sup").c_str(), 0755), 0);
    ASSERT_EQ(
        RunIn(dir, &sim, open + "file " + dir + "/b.car existing\nclick SRCP ButtonSetStartupArray\nquit 0\n", &out), 0)
        << out;
    EXPECT_TRUE(
        Has(out, "POPUP ATTENTION!| The startup file name could not be written to \\n " + dir + "/StartupPath.sup"))
        << out;
    EXPECT_FALSE(Has(out, "Startup File is:")) << out;
}

} // namespace
