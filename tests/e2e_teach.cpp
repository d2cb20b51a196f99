// Colour teaching in Veltv61 against the simulated sensor, driven by UI
// scripts over the pseudo-terminal: TEACH DATA TO with the frames the sensor
// sent, AUTO ADJUST against the circle rule, the zoom loop, the teach panel's
// captures, colour groups in the parameter set, and colour array files. A
// sensor that stops answering during a capture is a fault-matrix row.
#include "e2e.h"
#include "e2e_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";

// A command has ended when the buttons it dimmed are usable again; a live
// loop has shown its first frame when the fixed temperature of the
// simulator (--temperature 30) is displayed.
const std::string kSettle = "waitfor P ButtonGet dimmed == 0 10\n";
const std::string kFirstFrame = "waitfor P DispTemp == 30 10\n";
const std::string kLoopRuns = "waitfor P ButtonGet dimmed == 1 10\n";

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
// A script with two shorthands expanded: "printcells PANEL CTRL COLS FIRST
// LAST" prints every cell of those rows, "setrow PANEL CTRL ROW V1 V2 ..."
// sets the cells of a row.
std::string Expand(const std::string &script)
{
    std::istringstream in(script);
    std::string s;
    for (std::string line; std::getline(in, line);) {
        std::istringstream l(line);
        std::string cmd, panel, name;
        l >> cmd >> panel >> name;
        int a = 0, b = 0, c = 0, col = 1;
        if (cmd == "printcells" && l >> a >> b >> c) {
            for (int r = b; r <= c; ++r)
                for (int k = 1; k <= a; ++k)
                    s += "printcell " + panel + " " + name + " " + std::to_string(k) + " " + std::to_string(r) + "\n";
        } else if (cmd == "setrow" && l >> a) {
            for (long v = 0; l >> v; ++col)
                s += "setcell " + panel + " " + name + " " + std::to_string(col) + " " + std::to_string(a) + " " +
                     std::to_string(v) + "\n";
        } else {
            s += line + "\n";
        }
    }
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

// TEACH DATA TO takes the last frame the sensor sent; RESET TABLE; AUTO
// ADJUST and its zoom loop; the teach panel's captures are frames the sensor
// sent and TEACH TO TABLE writes their mean (the statistics are unit-tested).
TEST(Teaching, TeachDataToResetAutoAdjustAndTheTeachPanelsCaptures)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30"}, false, true);
    ASSERT_TRUE(sim.ok());
    // One step a line. Rows 1..4 for AUTO ADJUST: X, Y, CTO, INT, ITO;
    // MAXCOL-No. 3 leaves row 4 alone. Captures at a user's pace: new frames in
    // between. The mode controls belong to the parameter view.
    const std::string script =
        "set P ParaVisible 0\nclick P ButtonGo\n" + kFirstFrame + "click P ButtonStop\n" + kSettle +
        "print P DispX\nprint P DispY\nprint P DispINT\n"
        "set P EditNo 29\nset P RadioInc 1\nclick P ButtonTeachDataTo\nprint P EditNo\n"
        "click P ButtonTeachDataTo\nprint P EditNo\n"
        "set P ParaVisible 1\nset P Evalmode 2\nset P EditPmode 1\nset P ParaVisible 0\n"
        "set P EditNo 5\nclick P ButtonTeachDataTo\n"
        "printcells P ColorTeachTable 5 30 31\nprintcells P ColorTeachTable 5 6 6\n"
        "click P ButtonResetTable\nprint P EditNo\nprintcell P ColorTeachTable 2 29\nprintcell P ColorTeachTable 4 17\n"
        "set P ParaVisible 1\nset P Evalmode 0\nset P EditPmode 0\nset P EditMaxcolNo 3\nset P ParaVisible 0\n"
        "setrow P ColorTeachTable 1 0 0 9 100 10\nsetrow P ColorTeachTable 2 65535 363 9 105 10\n"
        "setrow P ColorTeachTable 3 30 40 9 95 10\nsetrow P ColorTeachTable 4 10 0 7 100 10\n"
        "click P AutoAdjust\n" +
        kLoopRuns + kFirstFrame +
        "printattr P ButtonSend dimmed\nprintattr P ButtonGo dimmed\nprintattr P AutoAdjust dimmed\n"
        "click P GraphData2\n" +
        kSettle +
        "printattr P ButtonSend dimmed\nprintattr P AutoAdjust dimmed\n"
        "printcells P ColorTeachTable 5 1 4\nclick P ButtonApplyFromAll\n"
        "click P ButtonTeachMeanVal\n" +
        kLoopRuns + kFirstFrame +
        "click TEACHP ButtonTpCapture\nwait 0.25\nclick TEACHP ButtonTpCapture\nwait 0.25\n"
        "click TEACHP ButtonTpCapture\nclick P ButtonStop\n" +
        kSettle +
        "print TEACHP DispTpCounter\nprintcells TEACHP GridTpValues 6 1 3\nprintcells TEACHP GridTpMean 6 1 1\n"
        "print TEACHP DispTpMaxDeltaXY\nprint TEACHP DispTpMaxDeltaInt\n"
        "set TEACHP EditTpTeachCtoWith 2\nset TEACHP EditTpValueCto 30\nset TEACHP EditTpTeachItoWith 1\n"
        "set TEACHP EditTpRowNo 7\nclick TEACHP ButtonTpTeachToTable\nprintcells P ColorTeachTable 5 8 8\n"
        "quit 0\n";
    std::string out;
    ASSERT_EQ(RunIn(MakeTempDir(), &sim, ConnectScript(Link::Pty, sim, kVersion) + Expand(script), &out), 0) << out;
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

    EXPECT_TRUE(Has(out, "TEACHP.DispTpCounter=3\n")) << out;
    for (int r = 1; r <= 3; ++r) {
        const std::vector<long> row = Cells(out, "TEACHP.GridTpValues", r, 6);
        bool sent = false;
        for (const auto &f : frames)
            sent = sent || std::vector<long>(f.begin() + 2, f.begin() + 8) == row;
        EXPECT_TRUE(sent) << "row " << r << " is no frame the sensor sent\n" << out;
    }
    const std::vector<long> mean = Cells(out, "TEACHP.GridTpMean", 1, 6);
    const long dxy = Printed(out, "TEACHP.DispTpMaxDeltaXY"), dint = Printed(out, "TEACHP.DispTpMaxDeltaInt");
    EXPECT_EQ(Cells(out, "P.ColorTeachTable", 8), (std::vector<long> {mean[3], mean[4], 30 + dxy, mean[5], dint}))
        << out;
    EXPECT_FALSE(Has(out, "POPUP")) << out;
}

// A taught row, its group and the group switch survive the EEPROM and a
// parameter file, and go out in the order-1 and order-2 telegrams.
TEST(Teaching, TaughtTableAndGroupsSurviveEepromAndFile)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30"}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const std::string reset = "click P ButtonResetTable\nclick PGROUP ButtonResetGroupTable\n"
                              "set PGROUP EditColorGroups 0\n";
    const std::string show =
        "printcells P ColorTeachTable 5 3 3\nprintcell PGROUP EditGridGroups 1 3\nprint PGROUP EditColorGroups\n";
    const std::string get = "click P ButtonGet\n" + kSettle + show;
    const std::string script = "set P ParaVisible 0\nsetrow P ColorTeachTable 3 1111 2222 33 444 55\n"
                               "click P ButtonColorGroups\nsetcell PGROUP EditGridGroups 1 3 7\n"
                               "set PGROUP EditColorGroups 1\nclick P SelectEEPROM\nclick P ButtonSend\n" +
                               kSettle + reset + show + get +
                               "click P SelectFILE\nfile %D/taught.dat new\nclick P ButtonSend\n" + kSettle + reset +
                               "file %D/taught.dat existing\n" + get + "quit 0\n";
    std::string out;
    ASSERT_EQ(RunIn(dir, &sim, ConnectScript(Link::Pty, sim, kVersion) + Expand(WithDir(script, dir)), &out), 0) << out;
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

// Colour array files saved, loaded, refused; the start-up array named,
// loaded at the next start, and refused when bad or unwritable.
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
        return WithDir("file %D/" + name + " new\nclick SRCP ButtonSaveArray\n", dir);
    };

    std::string out;
    ASSERT_EQ(RunIn(dir, &sim,
                    open + save("a.car") +
                        WithDir("file %D/b.car existing\nclick SRCP ButtonGetArray\n"
                                "file %D/c.car new\nclick SRCP ButtonSaveArray\n"
                                "file %D/bad.car existing\nclick SRCP ButtonGetArray\n"
                                "file %D/d.car new\nclick SRCP ButtonSaveArray\n"
                                "file %D/nodir/x.car new\nclick SRCP ButtonSaveArray\n"
                                "file %D/" +
                                    std::string(260, 'a') +
                                    ".car new\nclick SRCP ButtonSetStartupArray\n"
                                    "file %D/b.car existing\nclick SRCP ButtonSetStartupArray\n"
                                    "quit 0\n",
                                dir),
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

    // A start-up path to a bad file: refused with a pop-up, the built-in colours
    // stay. (Path files that are no path are a unit test.)
    std::string badSup = dir + "/bad.car";
    badSup.resize(260, '\0');
    WriteTextFile(dir + "/StartupPath.sup", badSup);
    ASSERT_EQ(RunIn(dir, &sim, open + save("g.car") + "quit 0\n", &out), 0) << out;
    EXPECT_EQ(values(ReadTextFile(dir + "/g.car")), builtIn45);
    EXPECT_TRUE(Has(out, "POPUP ATTENTION!| The file is not a color array")) << out;

    // A start-up path file that cannot be written: a pop-up naming it, no "Startup File is:".
    ::unlink((dir + "/StartupPath.sup").c_str());
    ASSERT_EQ(::mkdir((dir + "/StartupPath.sup").c_str(), 0755), 0);
    ASSERT_EQ(RunIn(dir, &sim,
                    open + WithDir("file %D/b.car existing\nclick SRCP ButtonSetStartupArray\nquit 0\n", dir), &out),
              0)
        << out;
    EXPECT_TRUE(
        Has(out, "POPUP ATTENTION!| The startup file name could not be written to \\n " + dir + "/StartupPath.sup"))
        << out;
    EXPECT_FALSE(Has(out, "Startup File is:")) << out;
}

} // namespace
