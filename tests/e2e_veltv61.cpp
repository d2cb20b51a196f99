// Veltv61 against the simulated sensor, driven by UI scripts: the parameter
// read at start-up, Get and Send with RAM, EEPROM and FILE (the telegrams as
// the sensor received them), the live data loop and its ends. The reply
// faults of these exchanges are rows of the fault matrix.
#include "e2e.h"
#include "e2e_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";

// A sensor state with recognisable parameters: RAM power 341, row 0
// (1000, 2000, 300, 1500, 100, group 2), spare words 1111 and 2222; the
// EEPROM holds power 546, MAXCOL-No. 99, spare words beef and 1234 (hex)
// and row 0 (100, 200, 30, 150, 10, group 3).
std::string MakeStateFile(const std::string &dir)
{
    const std::string path = dir + "/state.txt";
    {
        SimProcess seed({"--state", path}, true, false);
        seed.stop(); // writes the factory state; the simulator reads the lines added last
    }
    return WriteTextFile(
        path, ReadTextFile(path) + "version-text " + kVersion +
                  "\nram 0010 0155 0000 0021 0000 000a 0032 0004 0001 0000 0000 0000 0bb8 0dac 0000 0457 08ae"
                  "\nram 0020 03e8 07d0 012c 05dc 0064 0002 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000"
                  "\neeprom 1220 0064 00c8 001e 0096 000a 0003 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000"
                  "\neeprom 1210 0222 0000 0021 0000 000a 0032 0063 0001 0000 0000 0000 0bb8 0dac 0000 beef 1234\n");
}

// Scripts run inside the waits of a running command: wait for its end (Get,
// Send, Go and the read after a line check dim the link buttons) before looking.
const std::string kSettle = "waitfor P ButtonGet dimmed == 0 10\n";

// Over TCP the script also waits for the parameter read after the line check
// (averaging is 16 in the simulator's factory set, 33 in MakeStateFile's).
std::string Connect(Link link, const SimProcess &sim, int average = 16)
{
    return ConnectScript(link, sim, kVersion,
                         "waitfor P EditAverage == " + std::to_string(average) + " 10\n" + kSettle);
}

int RunVeltv61(const SimProcess &sim, const std::string &script, std::string *out)
{
    return RunScriptIn("Veltv61", MakeTempDir(), &sim, script, out, 40);
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Word k (0-based) of a telegram given as hex.
std::string Word(const std::string &hex, int k) { return hex.substr(static_cast<size_t>(k) * 4, 4); }

// Start-up reads RAM; Get with EEPROM loads the EEPROM first; Send writes
// 33 telegrams to the EEPROM; a new calculation mode writes 32 to RAM,
// although EEPROM is selected; the spare words go out as received.
// Over the pty: the link changes nothing here but the transport (the fault
// matrix runs these exchanges over both).
TEST(Veltv61Transfers, ReadAtStartUpGetFromEepromSendToEepromAndCalcModeToRam)
{
    const Link link = Link::Pty;
    SimProcess sim({"--version-text", kVersion, "--state", MakeStateFile(MakeTempDir())}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    // The mode controls belong to the parameter view.
    ASSERT_EQ(RunVeltv61(sim,
                         Connect(link, sim, 33) +
                             "print P SlidePower\nprintcell P ColorTeachTable 1 1\nprintcell P ColorTeachTable 5 1\n"
                             "printcell PGROUP EditGridGroups 1 1\n"
                             "click P SelectEEPROM\nclick P ButtonGet\n" +
                             kSettle +
                             "print P SlidePower\nprint P EditMaxcolNo\n"
                             "click P ButtonSend\n" +
                             kSettle +
                             "set P SlidePower 777\nset P ParaVisible 0\nsetcell P ColorTeachTable 2 3 1234\n"
                             "set P ParaVisible 1\nset P Calcmode 1\n" +
                             kSettle +
                             "print P SelectRAM\nprintattr P DispX label\nprintattr P DispY label\n"
                             "printattr RECP DispINT label\nprintattr P ButtonSend dimmed\nquit 0\n",
                         &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "P.SlidePower=341\nP.ColorTeachTable[1,1]=1000\nP.ColorTeachTable[5,1]=100\n"
                         "PGROUP.EditGridGroups[1,1]=2\n"))
        << out;
    EXPECT_TRUE(Has(out, "P.SlidePower=546\nP.EditMaxcolNo=31\n")) << out; // MAXCOL-No. 99 in the EEPROM
    // A new calculation mode goes to RAM at once, whatever the target, and renames the displays.
    EXPECT_TRUE(Has(out, "P.SelectRAM=1\nP.DispX.label=s\nP.DispY.label=i\nRECP.DispINT.label=M\n"
                         "P.ButtonSend.dimmed=0\n"))
        << out;
    EXPECT_FALSE(Has(out, "POPUP")) << out;

    const std::vector<int> read = Repeat({3}, 4, 31);
    std::vector<int> expected = Concat(Concat(Concat({7}, read), {8}), read);
    expected = Concat(Concat(expected, Repeat(Repeat({1}, 2, 31), 6, 1)), Repeat({1}, 2, 31));
    EXPECT_EQ(sim.receivedOrders(), expected);

    const std::vector<std::string> paras = sim.telegrams("rx", 1, "hex");
    ASSERT_EQ(paras.size(), 2u);
    // To the EEPROM: what was read from it, MAXCOL-No. 31, spare words as received.
    EXPECT_EQ(paras[0],
              Hex("0055 0001 0222 0000 0021 0000 000a 0032 001f 0001 0000 0000 0000 0bb8 0dac 0000 beef 1234"));
    // To RAM: the power set on the panel, the new calculation mode, the spare words as received.
    EXPECT_EQ(Word(paras[1], 2) + Word(paras[1], 12) + Word(paras[1], 16) + Word(paras[1], 17), "03090001beef1234");
    const std::vector<std::string> rows = sim.telegrams("rx", 2, "hex");
    ASSERT_EQ(rows.size(), 62u);
    for (size_t i = 0; i < 62; ++i)
        EXPECT_EQ(std::stoul(Word(rows[i], 2), nullptr, 16), i % 31) << i;
    EXPECT_EQ(rows[0].substr(12, 24), "006400c8001e0096000a0003"); // row 0 as read from the EEPROM
    EXPECT_EQ(Word(rows[31 + 2], 4), "04d2");                      // row 2, Y = 1234 set on the panel
}

// FILE transfers never touch the link (round trip, MAXCOL-No. 99 read as 31,
// a refused file, a cancelled dialog); then Go until Stop, and closing the
// main panel during Go ends the program.
TEST(Veltv61FileAndLive, FileTransfersNeverTouchTheLinkThenGoStopAndClose)
{
    SimProcess sim({"--version-text", kVersion}, true, false);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const std::string good = dir + "/good.dat";
    std::string maxcol, outOfRange;
    for (int i = 0; i < 202; ++i) {
        const std::string v = std::to_string(i == 0 ? 400 : i == 6 ? 99 : i == 201 ? 7 : 0);
        maxcol += v + "\n";
        outOfRange += (i == 20 ? std::string("70000") : v) + "\n";
    }
    WriteTextFile(dir + "/maxcol.dat", maxcol);
    WriteTextFile(dir + "/range.dat", outOfRange);
    // Switching the lit FILE button off falls back to RAM. Nothing may be asked
    // for during the half second after Stop; 0.3 s after the second Go its loop
    // runs (its frames show nothing new a script could wait for).
    const std::string script =
        "click P SelectFILE\nprint P SelectRAM\nclick P SelectFILE\nprint P SelectRAM\n"
        "click P SelectEEPROM\nclick P SelectFILE\nprint P SelectEEPROM\n"
        "set P SlidePower 612\nset P ParaVisible 0\nsetcell P ColorTeachTable 3 31 4321\n"
        "file %D/good.dat new\nclick P ButtonSend\n" +
        kSettle +
        "set P SlidePower 100\nsetcell P ColorTeachTable 3 31 5\n"
        "file %D/good.dat existing\nclick P ButtonGet\n" +
        kSettle +
        "print P SlidePower\nprintcell P ColorTeachTable 3 31\n"
        "file %D/maxcol.dat existing\nclick P ButtonGet\n" +
        kSettle +
        "print P EditMaxcolNo\nprint P SlidePower\nprintcell PGROUP EditGridGroups 1 31\n"
        "file %D/range.dat existing\nclick P ButtonGet\n" +
        kSettle + "file x cancel\nclick P ButtonGet\n" + kSettle +
        "print P SlidePower\n"
        "rightclick P ButtonSend\nrightclick P SelectRAM\nclick P SelectRAM\n"
        "print P DispTemp\nclick P ButtonGo\nwaitfor P DispTemp == 30 10\nprintattr P ButtonGo dimmed\n"
        "click P ButtonStop\nprint P DispTemp\nwait 0.5\nprintattr P ButtonGo dimmed\n"
        "click P ButtonGet\n" +
        kSettle + "click P ButtonGo\nwait 0.3\nclose P\nwait 3\nquit 5\n";
    std::string out;
    ASSERT_EQ(RunVeltv61(sim, Connect(Link::Tcp, sim) + WithDir(script, dir), &out), 0)
        << out; // 5 if closing did not end the program within 3 s
    EXPECT_TRUE(Has(out, "P.SelectRAM=0\nP.SelectRAM=1\nP.SelectEEPROM=0\n")) << out;
    EXPECT_TRUE(Has(out, "P.SlidePower=612\nP.ColorTeachTable[3,31]=4321\n")) << out;
    EXPECT_TRUE(Has(out, "P.EditMaxcolNo=31\nP.SlidePower=400\nPGROUP.EditGridGroups[1,31]=7\n")) << out;
    EXPECT_EQ(Count(out, "POPUP ATTENTION!|"), 1) << out;
    EXPECT_TRUE(Has(out, "P.SlidePower=400\nPOPUP INFO!| All the parameters of the PC-User-Interface are "
                         "transferred to the sensor or to a selectable file. \\n The target"))
        << out;
    EXPECT_TRUE(Has(out, "POPUP INFO!| Select the source respectively the target for the parameter transfer.\n"))
        << out;
    // The simulator's fixed temperature while Go ran, Go dimmed only then.
    EXPECT_TRUE(Has(out, "P.DispTemp=0\nP.ButtonGo.dimmed=1\nP.DispTemp=30\nP.ButtonGo.dimmed=0\n")) << out;
    // The MAXCOL-No. warning, the refused file and the two help texts; none from Go, Stop or Get.
    EXPECT_EQ(Count(out, "POPUP"), 4) << out;

    // Nothing but the start-up went over the link before Go; a Get after Stop.
    const std::vector<int> orders = sim.receivedOrders();
    const auto firstGo = std::find(orders.begin(), orders.end(), 5);
    EXPECT_EQ(std::vector<int>(orders.begin(), firstGo), Repeat({7, 3}, 4, 31));
    const std::vector<std::string> frames = sim.telegrams("rx", 5, "t"), gets = sim.telegrams("rx", 3, "t");
    ASSERT_EQ(gets.size(), 2u);
    std::vector<double> before, after;
    for (const std::string &t : frames)
        (std::stod(t) < std::stod(gets[1]) ? before : after).push_back(std::stod(t));
    ASSERT_GE(before.size(), 1u);
    EXPECT_GE(after.size(), 1u);                        // the second Go ran until the panel closed
    EXPECT_GT(std::stod(gets[1]) - before.back(), 0.4); // no frame request during the half second after Stop

    // The file: 202 right-aligned fields of 10 characters, power first,
    // group of row 30 last, CTO of row 30 three before it.
    std::istringstream file(ReadTextFile(good));
    std::vector<std::string> lines;
    for (std::string l; std::getline(file, l);)
        lines.push_back(l.substr(0, l.find('\r')));
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[0] + lines[16 + 6 * 30 + 2] + lines[201], "       612      4321         0");
}

} // namespace
