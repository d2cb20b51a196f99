// VeltCalibV61 against the simulated sensor, driven by UI scripts over the
// pseudo-terminal: Send Power and the live loop, a capture of
// known raw values with its factors and the refusals (reply faults are rows
// of the fault matrix), the finishing sequence with its EEPROM store on a line
// paced at 19200 baud (and Veltv61's Send to EEPROM there), and the program
// ending while it captures.
#include "e2e.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "CALIB SENSOR V6.1";
const std::string kPassedPopup =
    "POPUP CALIBRATION PASSED!| Calibration successful! \\n Calibration factors will be sent to the EEPROM of the "
    "sensor. \\n GO mode will be activated. \\n Press STOP and FINISH CALIBRATION to leave calibration scope. \n";
const std::string kMaxDeltaPopup =
    "POPUP ATTENTION!| The maximum delta of the raw data of RED,GREEN and BLUE is to high. \\n Calibration is not "
    "possible. \\n Verify, that the sensor shines on a WHITE target! \\n Increase MAXIMUM DELTA OF RAW DATAS! \n";
const std::string kRangePopup =
    "POPUP ATTENTION!| One of the calibration factor is out of range. \\n Calibration is not possible. \\n Verify, "
    "that the senor shines on a WHITE target! \\n Choose a proper POWER value. \n";

// The white target of these tests: at power 500 and 25 °C without noise its
// raw values are 1365, 1000 and 788 (factors 750, 1024 and 1299 for the set
// value 1000; spread 577).
const std::string kScene = "white 0.325 0.25 0.2188888888889 1000\n";

// A simulator with the white target, fixed at 25 °C, noise-free, with the
// given extra arguments, on the pty or on TCP.
std::vector<std::string> SimArgs(const std::string &dir, std::vector<std::string> extra = {})
{
    std::vector<std::string> a = {
        "--version-text", kVersion, "--temperature", "25",
        "--noise",        "0",      "--scene",       WriteTextFile(dir + "/scene.txt", kScene)};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

std::string Connect(Link link, const SimProcess &sim) { return ConnectScript(link, sim, kVersion); }

int RunProgramOn(const std::string &program, const SimProcess &sim, const std::string &script, std::string *out,
                 double timeout = 60)
{
    return RunScriptIn(program, MakeTempDir(), &sim, script, out, timeout);
}

int RunCalib(const SimProcess &sim, const std::string &script, std::string *out)
{
    return RunProgramOn("VeltCalibV61", sim, script, out);
}

// Orders received, with runs of the live loop's order 5 folded into one 5.
std::vector<int> OrdersFolded(const SimProcess &sim)
{
    std::vector<int> out;
    for (int o : sim.receivedOrders())
        if (!(o == 5 && !out.empty() && out.back() == 5))
            out.push_back(o);
    return out;
}

// The EEPROM line of the simulator's state file that starts at `address` (hex).
std::string EepromLine(const std::string &stateFile, const std::string &address)
{
    std::istringstream in(ReadTextFile(stateFile));
    for (std::string l; std::getline(in, l);)
        if (l.rfind("eeprom " + address + " ", 0) == 0)
            return l.substr(12);
    return "";
}

// The link changes nothing here but the transport (the fault matrix and the
// link's own tests run both): these cases use the pseudo-terminal.
class Calib : public ::testing::Test {
protected:
    std::string dir = MakeTempDir();
};

// Send Power and its live loop; a capture of the white target passes and its
// factors go out; then the spread and range checks refuse and a capture is
// declined: each time the factors shown go out and the live loop shows them.
TEST_F(Calib, SendPowerThenCapturePassesThenSpreadAndRangeRefuse)
{
    SimProcess sim(SimArgs(dir), false, true);
    ASSERT_TRUE(sim.ok());
    // One step a line; each waits for its live loop to show the expected
    // value and stops it. Hand-edited factors are what goes out after a refusal.
    const std::string stop = "click P ButtonStop\nwaitfor P ButtonGo dimmed == 0 10\n";
    const std::string script =
        "set P EditPower 500\nanswer yes\nclick P ButtonSendPower\nwaitfor P DispRawR == 1365 10\n"
        "printattr P ButtonGo dimmed\nprintattr P ButtonStop dimmed\nprint P DispRawG\nprint P DispRawB\n"
        "print P DispDeltaRaw\nprint P DispB\nprint P DispDeltaCalib\nprint P EditCFR\n" +
        stop + "printattr P ButtonGo dimmed\n" +
        // Declined: the factors are read from the sensor, then the loop runs.
        "set P EditPower 250\nset P EditCFR 5\nanswer no\nclick P ButtonSendPower\nwaitfor P EditCFR == 1024 10\n" +
        stop +
        // 1365 * 750 / 1024 once the factors are in.
        "set P EditSetValue 1000\nset P EditMaxDelta 577\nanswer yes\nclick P ButtonCalcCF\nwaitfor P DispR == 999 20\n"
        "print P EditCFG\nprint P EditCFB\nprint P DispB\nprintattr P ButtonCalcCF buttoncolor\n" +
        stop +
        "set P EditMaxDelta 576\nset P EditCFR 751\nanswer yes\nclick P ButtonCalcCF\nwaitfor P DispR == 1001 20\n" +
        stop +
        "set P EditMaxDelta 600\nset P EditSetValue 2000\nset P EditCFR 752\nanswer yes\nclick P ButtonCalcCF\n" +
        "waitfor P DispR == 1002 20\n" + stop +
        "set P EditCFR 753\nanswer no\nclick P ButtonCalcCF\nwaitfor P DispR == 1003 20\n" + stop +
        "print P EditCFR\nquit 0\n";
    std::string out;
    ASSERT_EQ(RunCalib(sim, Connect(Link::Pty, sim) + script, &out), 0) << out;
    EXPECT_TRUE(Has(out, "P.ButtonGo.dimmed=1\nP.ButtonStop.dimmed=0\nP.DispRawG=1000\nP.DispRawB=788\n"
                         "P.DispDeltaRaw=577\nP.DispB=788\nP.DispDeltaCalib=577\nP.EditCFR=1024\n"
                         "P.ButtonGo.dimmed=0\n"))
        << out;
    EXPECT_TRUE(
        Has(out, kPassedPopup + "P.EditCFG=1024\nP.EditCFB=1299\nP.DispB=999\nP.ButtonCalcCF.buttoncolor=0xE0E0E0\n"))
        << out;
    EXPECT_TRUE(Has(out, kMaxDeltaPopup)) << out;
    EXPECT_TRUE(Has(out, kRangePopup)) << out;
    EXPECT_TRUE(Has(out, "POPUP INFO!|Please insert the right values and press                            \\n "
                         "CALCULATE CALIBRATION FACTORS again.\nP.EditCFR=753\n"))
        << out;
    EXPECT_EQ(Count(out, "POPUP"), 4) << out;

    // Every capture, passed or refused, and the declined one end with order 30 and the live loop.
    // Send Power writes the calibration set, reads the factors and runs the
    // live loop; declined, it writes nothing but still reads and runs the loop.
    EXPECT_EQ(OrdersFolded(sim), (std::vector<int> {7, 1, 31, 5, 31, 5, 30, 5, 30, 5, 30, 5, 30, 5}));
    const std::vector<std::string> paras = sim.telegrams("rx", 1);
    ASSERT_EQ(paras.size(), 1u);
    EXPECT_EQ(paras[0],
              Hex("0055 0001 01f4 0000 8000 0000 000a 0000 0001 0000 0000 0000 0000 0bb8 0dac 0000 0000 0000"));
    // The new factors, then after each refusal and the declined capture the factors shown.
    const std::vector<std::string> factors = sim.telegrams("rx", 30);
    ASSERT_EQ(factors.size(), 4u);
    EXPECT_EQ(factors[0].substr(0, 20), "0055001e02ee04000513");
    EXPECT_EQ(factors[1].substr(0, 20), "0055001e02ef04000513");
    EXPECT_EQ(factors[2].substr(0, 20), "0055001e02f004000513");
    EXPECT_EQ(factors[3].substr(0, 20), "0055001e02f104000513");
}

// On a line paced at 19200 baud (the store's 32 telegrams take 0.6 s),
// Finish Calib and Veltv61's Send to EEPROM get every row in before the store.
TEST_F(Calib, FinishOnAPacedLineStoresTheDefaultSetAndSoDoesVeltv61)
{
    const std::string state = dir + "/state.txt";
    SimProcess sim(SimArgs(dir, {"--pace", "--state", state}), false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunCalib(sim,
                       Connect(Link::Pty, sim) +
                           "set P EditCFR 1100\nset P EditCFG 1000\nset P EditCFB 900\n"
                           "click P ButtonFinishCalib\nwaitfor P ButtonFinishCalib dimmed == 0 15\n"
                           "printattr P ButtonFinishCalib buttoncolor\nprint P EditCFB\n"
                           "print P DispStatus\nquit 0\n",
                       &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "POPUP INFO!| Finish calibration. \\n ATTENTION! \\n Default parameters will be send to the "
                         "EEPROM of the sensor. \\n Calibration factors for RED,GREEN and BLUE will be send to the "
                         "EEPROM of the sensor. \n"))
        << out;
    EXPECT_TRUE(Has(out, "P.ButtonFinishCalib.buttoncolor=0xE0E0E0\nP.EditCFB=900\nP.DispStatus=" + kVersion + "\n"))
        << out;
    EXPECT_EQ(Count(out, "POPUP"), 1) << out;
    std::vector<int> expected = Repeat({7, 1}, 2, 31);
    for (int o : {6, 30, 31, 7})
        expected.push_back(o);
    EXPECT_EQ(sim.receivedOrders(), expected);
    const std::string defaultSet = "00fa 0000 0080 0000 000a 0032 0001 0000 0000 0000 0000 0bb8 0dac 0000 0000 0000";
    EXPECT_EQ(sim.telegrams("rx", 1)[0], Hex("0055 0001 " + defaultSet));

    // Veltv61: Send to the EEPROM with Y of row 30 changed.
    // The store's confirmation is read by the Send: it is not taken for the
    // answer to the Get that follows.
    ASSERT_EQ(RunProgramOn("Veltv61", sim,
                           "waitfor P DispStatus == " + kVersion + " 15\nwaitfor P EditAverage == 128 15\n" +
                               "click P SelectEEPROM\nset P ParaVisible 0\nsetcell P ColorTeachTable 2 31 1234\n"
                               "click P ButtonSend\nwaitfor P ButtonSend dimmed == 0 15\n"
                               "click P ButtonGet\nwaitfor P ButtonGet dimmed == 0 15\nquit 0\n",
                           &out),
              0)
        << out;
    EXPECT_EQ(Count(out, "POPUP"), 0) << out;
    // The program may end before the line has carried everything: the sensor reads on.
    for (int i = 0; i < 500 && Count(sim.receivedOrders(), 6) < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::vector<std::string> rows = sim.telegrams("rx", 2);
    ASSERT_EQ(rows.size(), 62u);
    for (size_t i = 31; i < 62; ++i)
        EXPECT_EQ(std::stoul(rows[i].substr(8, 4), nullptr, 16), i - 31) << i;
    EXPECT_EQ(Count(sim.receivedOrders(), 6), 2);
    sim.stop();
    // Parameters at 0x1210, row 0 from 0x1220, the factors at 0x12e0; row 30
    // is pp words 196-201, EEPROM words 0x12d4-0x12d9: Y at 0x12d5.
    EXPECT_EQ(EepromLine(state, "1210"), defaultSet);
    EXPECT_EQ(EepromLine(state, "1220"),
              "0001 0001 0001 0001 0001 0000 0001 0001 0001 0001 0001 0000 0001 0001 0001 0001");
    EXPECT_EQ(EepromLine(state, "12e0").substr(0, 14), "044c 03e8 0384");
    EXPECT_EQ(EepromLine(state, "12d0").substr(20, 14), "0001 04d2 0001");
}

// Without a line, Send Power shows the time-out pop-up once for the lost
// line, not once per step that fails after it.
TEST(CalibNoLine, SendPowerWithoutALineShowsTheTimeOutOnce)
{
    SimProcess sim({"--version-text", kVersion}, true, false); // COM1 names no device
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunProgramOn("VeltCalibV61", sim,
                           "answer yes\nclick P ButtonSendPower\nwaitfor P ButtonSendPower dimmed == 0 15\n"
                           "print P DispStatus\nquit 0\n",
                           &out),
              0)
        << out;
    EXPECT_EQ(Count(out, "POPUP | ATTENTION! \\n \\n TIMEOUT \\n NO SERIAL CONNECTION TO SENSOR."), 1) << out;
    EXPECT_EQ(Count(out, "POPUP"), 1) << out;
    EXPECT_TRUE(Has(out, "P.DispStatus=TIMEOUT\n")) << out;
    EXPECT_TRUE(sim.receivedOrders().empty());
}

// Closing the main panel during a capture ends the capture and the program;
// no live loop starts behind it.
TEST(CalibClose, ClosingDuringTheCaptureEndsTheProgram)
{
    const std::string dir = MakeTempDir();
    SimProcess sim(SimArgs(dir, {"--fault", "delay:ms=100:order=5"}), false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(
        RunProgramOn("VeltCalibV61", sim,
                     Connect(Link::Pty, sim) + "answer yes\nclick P ButtonCalcCF\nwait 1\nclose P\nwait 5\nquit 5\n",
                     &out, 20),
        0)
        << out; // 5 when the program still ran 5 s after closing
    EXPECT_LT(Count(sim.receivedOrders(), 5), 30);
    EXPECT_EQ(Count(sim.receivedOrders(), 30), 0);
}

} // namespace
