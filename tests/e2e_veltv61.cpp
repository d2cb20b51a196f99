// Veltv61 against the simulated sensor, driven by UI scripts: the parameter
// read at start-up, Get and Send with RAM, EEPROM and FILE (the telegrams as
// the sensor received them), the live data loop and its ends.
#include "simproc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";
const std::string kTimeoutText =
    " ATTENTION! \\n \\n TIMEOUT \\n NO CONNECTION TO SENSOR. \\n The version of the sensor is displayed as the name "
    "of this dialog box.";

struct ProgramRun {
    int code = -1;
    std::string out;
    double seconds = 0;
};

bool has(const std::string &out, const std::string &what)
{
    return out.find(what) != std::string::npos;
}

int count(const std::string &out, const std::string &what)
{
    int n = 0;
    for (size_t p = out.find(what); p != std::string::npos; p = out.find(what, p + 1))
        ++n;
    return n;
}

// A sensor state with recognisable parameters: RAM power 341, row 0
// (1000, 2000, 300, 1500, 100, group 2), spare words 1111 and 2222; the
// EEPROM holds power 546, MAXCOL-No. 99, spare words beef and 1234 (hex)
// and row 0 (100, 200, 30, 150, 10, group 3).
std::string MakeStateFile(const std::string &dir)
{
    const std::string path = dir + "/state.txt";
    {
        SimProcess seed({"--state", path}, true, false);
        seed.stop(); // writes the factory state
    }
    std::istringstream in(ReadTextFile(path));
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.rfind("version-text ", 0) == 0)
            line = "version-text " + kVersion;
        else if (line.rfind("ram 0010 ", 0) == 0)
            line = "ram 0010 0155 0000 0021 0000 000a 0032 0004 0001 0000 0000 0000 0bb8 0dac 0000 0457 08ae";
        else if (line.rfind("ram 0020 ", 0) == 0)
            line = "ram 0020 03e8 07d0 012c 05dc 0064 0002 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000";
        else if (line.rfind("eeprom 1220 ", 0) == 0)
            line = "eeprom 1220 0064 00c8 001e 0096 000a 0003 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000";
        else if (line.rfind("eeprom 1210 ", 0) == 0)
            line = "eeprom 1210 0222 0000 0021 0000 000a 0032 0063 0001 0000 0000 0000 0bb8 0dac 0000 beef 1234";
        out += line + "\n";
    }
    return WriteTextFile(path, out);
}

// The transport a test runs over: the pseudo-terminal as COM1, or TCP set up
// on the interface panel (COM1 then names no device).
enum class Link { Pty, Tcp };

// Script actions run inside the program's event processing, also inside the
// waits of a command that is still running; a script therefore waits for a
// command's end before it looks at its result. kSettle is longer than any
// parameter read or write against the simulator takes.
const std::string kSettle = "wait 0.8\n";

// Start-up over COM1 has read the parameters before the script starts; over
// TCP the script connects through the interface panel and waits for the read
// (averaging is 16 in the simulator's factory set, 33 in MakeStateFile's).
std::string Connect(Link link, const SimProcess &sim, int average = 16)
{
    if (link == Link::Pty)
        return "waitfor P DispStatus == " + kVersion + " 10\n";
    return "click P ButtonConnect\n"
           "set INTERFACEP EditCommunicationProtocol 1\n"
           "set INTERFACEP StringIpAdress 127.0.0.1\n"
           "set INTERFACEP StringPortNumber " + std::to_string(sim.tcpPort) + "\n"
           "click INTERFACEP ButtonTryToConnect\n"
           "waitfor INTERFACEP DispConnectionStatus == " + kVersion + " 10\n"
           "waitfor P EditAverage == " + std::to_string(average) + " 10\n" + kSettle +
           "click INTERFACEP ButtonAccept\n";
}

ProgramRun RunVeltv61(const SimProcess *sim, const std::string &script, double timeout = 30)
{
    const std::string dir = MakeTempDir();
    const std::string exe = InstallCopy("Veltv61", dir);
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
    env.push_back("VELTRA_COM1=" + (sim && !sim->ptyLink.empty() ? sim->ptyLink : std::string("/nonexistent/tty")));
    ProgramRun r;
    const auto t0 = std::chrono::steady_clock::now();
    r.code = RunProgram(exe, {"--ui-script", path}, env, timeout, &r.out);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return r;
}

std::vector<int> Repeat(std::vector<int> head, int order, int n)
{
    head.insert(head.end(), static_cast<size_t>(n), order);
    return head;
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Hex of every telegram the sensor received with this order, in order.
std::vector<std::string> ReceivedHex(const SimProcess &sim, int order)
{
    std::vector<std::string> out;
    const std::string key = "\"dir\":\"rx\",\"order\":" + std::to_string(order) + ",";
    for (const std::string &l : sim.logLines()) {
        if (l.find(key) == std::string::npos)
            continue;
        const size_t p = l.find("\"hex\":\"");
        if (p != std::string::npos)
            out.push_back(l.substr(p + 7, 72));
    }
    return out;
}

std::string Hex4(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%04x", v);
    return b;
}

// Word k (0-based) of a telegram given as hex.
std::string Word(const std::string &hex, int k)
{
    return hex.substr(static_cast<size_t>(k) * 4, 4);
}

// Times ("t") of the received telegrams with this order.
std::vector<double> ReceivedTimes(const SimProcess &sim, int order)
{
    std::vector<double> out;
    const std::string key = "\"dir\":\"rx\",\"order\":" + std::to_string(order) + ",";
    for (const std::string &l : sim.logLines())
        if (l.find(key) != std::string::npos)
            out.push_back(std::atof(l.c_str() + l.find("\"t\":") + 4));
    return out;
}

class Veltv61Transfers : public ::testing::TestWithParam<Link> {};

// Start-up reads RAM; Get with EEPROM loads the EEPROM first; Send writes
// 33 telegrams to the EEPROM and 32 to RAM, the spare words as received.
TEST_P(Veltv61Transfers, ReadAtStartUpGetFromEepromSendToEepromAndRam)
{
    const std::string dir = MakeTempDir();
    const Link link = GetParam();
    SimProcess sim({"--version-text", kVersion, "--state", MakeStateFile(dir)}, true, link == Link::Pty);
    ASSERT_TRUE(sim.ok());
    const ProgramRun r = RunVeltv61(&sim, Connect(link, sim, 33) +
                                       "print P SlidePower\n"
                                       "printcell P ColorTeachTable 1 1\n"
                                       "printcell P ColorTeachTable 5 1\n"
                                       "printcell PGROUP EditGridGroups 1 1\n"
                                       "click P SelectEEPROM\n"
                                       "click P ButtonGet\n" + kSettle +
                                       "print P SlidePower\n"
                                       "print P EditMaxcolNo\n"
                                       "click P ButtonSend\n" + kSettle +
                                       "click P SelectRAM\n"
                                       "set P SlidePower 777\n"
                                       "set P ParaVisible 0\n"
                                       "setcell P ColorTeachTable 2 3 1234\n"
                                       "click P ButtonSend\n" + kSettle +
                                       "printattr P ButtonSend dimmed\n"
                                       "quit 0\n");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(has(r.out, "P.SlidePower=341\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.ColorTeachTable[1,1]=1000\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.ColorTeachTable[5,1]=100\n")) << r.out;
    EXPECT_TRUE(has(r.out, "PGROUP.EditGridGroups[1,1]=2\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.SlidePower=546\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.EditMaxcolNo=31\n")) << r.out; // 99 in the EEPROM
    EXPECT_TRUE(has(r.out, "P.ButtonSend.dimmed=0\n")) << r.out;
    EXPECT_FALSE(has(r.out, "POPUP")) << r.out;

    const std::vector<int> read = Repeat({3}, 4, 31);
    std::vector<int> expected = Concat({7}, read);
    expected = Concat(Concat(expected, {8}), read);
    expected = Concat(expected, Repeat(Repeat({1}, 2, 31), 6, 1));
    expected = Concat(expected, Repeat({1}, 2, 31));
    EXPECT_EQ(sim.receivedOrders(), expected);

    const std::vector<std::string> paras = ReceivedHex(sim, 1);
    ASSERT_EQ(paras.size(), 2u);
    // To the EEPROM: what was read from it, MAXCOL-No. 31, spare words as received.
    EXPECT_EQ(paras[0], std::string("00550001") + "0222" "0000" "0021" "0000" "000a" "0032" "001f" "0001" "0000" "0000" "0000"
                                                "0bb8" "0dac" "0000" "beef" "1234");
    // To RAM: the power set on the panel.
    EXPECT_EQ(Word(paras[1], 2), "0309");
    EXPECT_EQ(Word(paras[1], 16), "beef");
    EXPECT_EQ(Word(paras[1], 17), "1234");
    const std::vector<std::string> rows = ReceivedHex(sim, 2);
    ASSERT_EQ(rows.size(), 62u);
    for (size_t i = 0; i < 62; ++i)
        EXPECT_EQ(Word(rows[i], 2), Hex4(static_cast<int>(i % 31))) << i;
    EXPECT_EQ(rows[0].substr(12, 24), "006400c8001e0096000a0003"); // row 0 as read from the EEPROM
    EXPECT_EQ(Word(rows[31 + 2], 4), "04d2");                     // row 2, Y = 1234 set on the panel
}

INSTANTIATE_TEST_SUITE_P(Links, Veltv61Transfers, ::testing::Values(Link::Pty, Link::Tcp),
                         [](const auto &info) { return info.param == Link::Pty ? std::string("Pty") : std::string("Tcp"); });

// A wrong echo to the EEPROM load ends the read silently before order 3.
TEST(Veltv61Get, WrongEchoToTheEepromLoadEndsTheReadSilently)
{
    SimProcess sim({"--version-text", kVersion, "--fault", "badecho:order=8"}, false, true);
    ASSERT_TRUE(sim.ok());
    const ProgramRun r = RunVeltv61(&sim, Connect(Link::Pty, sim) +
                                              "set P SlidePower 123\n"
                                              "click P SelectEEPROM\n"
                                              "click P ButtonGet\n" + kSettle +
                                              "print P SlidePower\n"
                                              "print P DispStatus\n"
                                              "quit 0\n");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_FALSE(has(r.out, "POPUP")) << r.out;
    EXPECT_TRUE(has(r.out, "P.SlidePower=123\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.DispStatus=" + kVersion + "\n")) << r.out;
    EXPECT_EQ(sim.receivedOrders(), Concat(Repeat({7, 3}, 4, 31), {8}));
}

// A reply missing for row 12 of the start-up read: one pop-up titled with
// the version, the read ends there, the panel keeps its defaults.
TEST(Veltv61Get, TimeOutOnRow12EndsTheReadWithOnePopUpAndLeavesThePanel)
{
    const std::string dir = MakeTempDir();
    SimProcess sim({"--version-text", kVersion, "--state", MakeStateFile(dir), "--fault", "noreply:order=4:nth=13"},
                   false, true);
    ASSERT_TRUE(sim.ok());
    const ProgramRun r = RunVeltv61(&sim, "print P DispStatus\n"
                                          "print P SlidePower\n"
                                          "printcell P ColorTeachTable 1 1\n"
                                          "printattr P ButtonGet dimmed\n"
                                          "quit 0\n");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(count(r.out, "POPUP"), 1) << r.out;
    EXPECT_TRUE(has(r.out, "POPUP " + kVersion + "|" + kTimeoutText + "\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.DispStatus=TIMEOUT\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.SlidePower=250\n")) << r.out; // the panel's default, not 341
    EXPECT_TRUE(has(r.out, "P.ColorTeachTable[1,1]=0\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.ButtonGet.dimmed=0\n")) << r.out;
    EXPECT_EQ(sim.receivedOrders(), Repeat({7, 3}, 4, 13));
}

// FILE: Send and Get never touch the link; a file round trip restores the
// panel; MAXCOL-No. 99 reads as 31; short, long and out-of-range files are
// refused and change nothing; a cancelled dialog does nothing. Also the
// RAM/EEPROM/FILE radio group and the help texts of the commands.
TEST(Veltv61File, SendAndGetWithFileNeverTouchTheLinkAndRefuseBadFiles)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const std::string good = dir + "/good.dat", big = dir + "/maxcol.dat", shortFile = dir + "/short.dat";
    const std::string longFile = dir + "/long.dat", range = dir + "/range.dat";
    std::string maxcol, tooShort, tooLong, outOfRange;
    for (int i = 0; i < 202; ++i) {
        const std::string v = std::to_string(i == 0 ? 400 : i == 6 ? 99 : i == 201 ? 7 : 0);
        maxcol += v + "\n";
        if (i < 10)
            tooShort += v + "\n";
        outOfRange += (i == 20 ? std::string("70000") : v) + "\n";
    }
    tooLong = maxcol + "5\n";
    WriteTextFile(big, maxcol);
    WriteTextFile(shortFile, tooShort);
    WriteTextFile(longFile, tooLong);
    WriteTextFile(range, outOfRange);
    const ProgramRun r = RunVeltv61(&sim, Connect(Link::Pty, sim) +
        "click P SelectFILE\n"
        "print P SelectRAM\n"
        "click P SelectFILE\n"            // switching the lit button off falls back to RAM
        "print P SelectRAM\n"
        "click P SelectEEPROM\n"
        "click P SelectFILE\n"
        "print P SelectEEPROM\n"
        "set P SlidePower 612\n"
        "set P ParaVisible 0\n"
        "setcell P ColorTeachTable 3 31 4321\n"
        "file " + good + " new\n"
        "click P ButtonSend\n" + kSettle +
        "set P SlidePower 100\n"
        "setcell P ColorTeachTable 3 31 5\n"
        "file " + good + " existing\n"
        "click P ButtonGet\n" + kSettle +
        "print P SlidePower\n"
        "printcell P ColorTeachTable 3 31\n"
        "file " + big + " existing\n"
        "click P ButtonGet\n" + kSettle +
        "print P EditMaxcolNo\n"
        "print P SlidePower\n"
        "printcell PGROUP EditGridGroups 1 31\n"
        "file " + shortFile + " existing\n"
        "click P ButtonGet\n" + kSettle +
        "file " + longFile + " existing\n"
        "click P ButtonGet\n" + kSettle +
        "file " + range + " existing\n"
        "click P ButtonGet\n" + kSettle +
        "file x cancel\n"
        "click P ButtonGet\n" + kSettle +
        "print P SlidePower\n"
        "rightclick P ButtonSend\n"
        "rightclick P SelectRAM\n"
        "quit 0\n");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(has(r.out, "P.SelectRAM=0\nP.SelectRAM=1\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.SelectEEPROM=0\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.SlidePower=612\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.ColorTeachTable[3,31]=4321\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.EditMaxcolNo=31\nP.SlidePower=400\nPGROUP.EditGridGroups[1,31]=7\n")) << r.out;
    EXPECT_EQ(count(r.out, "POPUP ATTENTION!|"), 3) << r.out;
    EXPECT_TRUE(has(r.out, "P.SlidePower=400\nPOPUP INFO!|")) << r.out; // unchanged by the refused files
    EXPECT_TRUE(has(r.out, "POPUP INFO!| All the parameters of the PC-User-Interface are transferred to the sensor "
                           "or to a selectable file. \\n The target")) << r.out;
    EXPECT_TRUE(has(r.out, "POPUP INFO!| Select the source respectively the target for the parameter transfer.\n"))
        << r.out;
    // Nothing but the start-up went over the link.
    EXPECT_EQ(sim.receivedOrders(), Repeat({7, 3}, 4, 31));

    // The file: 202 right-aligned fields of 10 characters, power first,
    // group of row 30 last, CTO of row 30 three before it.
    std::istringstream file(ReadTextFile(good));
    std::vector<std::string> lines;
    for (std::string l; std::getline(file, l);)
        lines.push_back(l.substr(0, l.find('\r')));
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[0], "       612");
    EXPECT_EQ(lines[16 + 6 * 30 + 2], "      4321");
    EXPECT_EQ(lines[201], "         0");
}

// Go fetches frames into the displays until Stop; nothing is sent after Stop.
TEST(Veltv61Live, GoShowsFramesUntilStop)
{
    SimProcess sim({"--version-text", kVersion}, true, false);
    ASSERT_TRUE(sim.ok());
    const ProgramRun r = RunVeltv61(&sim, Connect(Link::Tcp, sim) +
                                              "print P DispTemp\n"
                                              "click P ButtonGo\n"
                                              "wait 1\n"
                                              "printattr P ButtonGo dimmed\n"
                                              "click P ButtonStop\n"
                                              "print P DispTemp\n"
                                              "wait 0.5\n"
                                              "printattr P ButtonGo dimmed\n"
                                              "click P ButtonGet\n" + kSettle +
                                              "quit 0\n");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_FALSE(has(r.out, "POPUP")) << r.out;
    EXPECT_TRUE(has(r.out, "P.DispTemp=0\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.DispTemp=30\n")) << r.out; // the simulator's fixed temperature
    EXPECT_TRUE(has(r.out, "P.ButtonGo.dimmed=1\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.ButtonGo.dimmed=0\n")) << r.out;
    const std::vector<double> frames = ReceivedTimes(sim, 5);
    const std::vector<double> gets = ReceivedTimes(sim, 3);
    ASSERT_GE(frames.size(), 5u);
    ASSERT_EQ(gets.size(), 2u);
    // No frame request during the half second after Stop.
    EXPECT_GT(gets[1] - frames.back(), 0.4);
    EXPECT_GT(gets[1], frames.back());
}

// A sensor that stops answering during Go: exactly one pop-up, the loop ends.
TEST(Veltv61Live, ASensorThatStopsAnsweringEndsTheLoopWithOnePopUp)
{
    SimProcess sim({"--version-text", kVersion, "--fault", "noreply:order=5:nth=4"}, false, true);
    ASSERT_TRUE(sim.ok());
    const ProgramRun r = RunVeltv61(&sim, Connect(Link::Pty, sim) +
                                              "click P ButtonGo\n"
                                              "waitfor P DispStatus == TIMEOUT 10\n" + kSettle +
                                              "printattr P ButtonGo dimmed\n"
                                              "quit 0\n");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(count(r.out, "POPUP"), 1) << r.out;
    EXPECT_TRUE(has(r.out, "POPUP " + kVersion + "|" + kTimeoutText + "\n")) << r.out;
    EXPECT_TRUE(has(r.out, "P.ButtonGo.dimmed=0\n")) << r.out;
    EXPECT_EQ(sim.receivedOrders(), Repeat(Repeat({7, 3}, 4, 31), 5, 4));
}

// Closing the main panel while the live loop runs ends the loop and the program.
TEST(Veltv61Live, ClosingTheMainPanelDuringGoEndsTheProgram)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    const ProgramRun r = RunVeltv61(&sim, Connect(Link::Pty, sim) +
                                              "click P ButtonGo\n"
                                              "wait 0.3\n"
                                              "close P\n"
                                              "wait 20\n"
                                              "quit 5\n",
                                    15);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_LT(r.seconds, 5) << r.out;
    EXPECT_GE(ReceivedTimes(sim, 5).size(), 2u);
}

} // namespace
