// VeltTempCompV61 against the simulated sensor, driven by UI scripts: the
// upload telegrams as the sensor received them, the read-back and its
// comparison, replies that are wrong or short, a read-back right after
// start-up, and the equation file on the panel.
#include "simproc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E TEMPCOMP V6.1";
const std::string kTimeoutPopup =
    "POPUP " + kVersion +
    "| ATTENTION! \\n \\n TIMEOUT \\n NO SERIAL CONNECTION TO SENSOR.                           \\n The version of the "
    "sensor is displayed as the name of this dialog box.\n";

enum class Link { Pty, Tcp };

std::string LinkName(const ::testing::TestParamInfo<Link> &info)
{
    return info.param == Link::Pty ? "Pty" : "Tcp";
}

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

// Over the pseudo-terminal (COM1) the program is connected at start-up; over
// TCP the script connects through the interface panel.
std::string Connect(Link link, const SimProcess &sim)
{
    if (link == Link::Pty)
        return "waitfor P DispStatus == " + kVersion + " 10\n";
    return "click P ButtonConnect\n"
           "set INTERFACEP EditCommunicationProtocol 1\n"
           "set INTERFACEP StringIpAdress 127.0.0.1\n"
           "set INTERFACEP StringPortNumber " + std::to_string(sim.tcpPort) + "\n"
           "click INTERFACEP ButtonTryToConnect\n"
           "waitfor INTERFACEP DispConnectionStatus == " + kVersion + " 10\n"
           "click INTERFACEP ButtonAccept\n";
}

// Red constant 1000 (reference 1000: every factor 1024), green the line
// 500 + t (reference 500), blue 0.1 t^2 + 1000 (reference 2000).
const std::string kCoefficients = "set P EditRT 1000\n"
                                  "set P EditRefR 1000\n"
                                  "set P EditGX1 1\n"
                                  "set P EditGT 500\n"
                                  "set P EditRefG 500\n"
                                  "set P EditBX2 0.1\n"
                                  "set P EditBT 1000\n"
                                  "set P EditRefB 2000\n";

uint16_t RedFactor(int)
{
    return 1024;
}
uint16_t GreenFactor(int t)
{
    return static_cast<uint16_t>(512000.0 / (500 + t));
}
uint16_t BlueFactor(int t)
{
    return static_cast<uint16_t>(2048000.0 / (0.1 * (t * t) + 1000.0));
}
uint16_t RootEntry(int i)
{
    return static_cast<uint16_t>(1000.0 * std::pow(16.0 * i, 1.0 / 3.0));
}

// sim is passed for its pty: COM1 names it, or nothing when the run is over TCP.
int RunTempComp(const SimProcess *sim, const std::string &script, std::string *out, const std::string &dir = MakeTempDir())
{
    const std::string exe = InstallCopy("VeltTempCompV61", dir);
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    const std::string com1 = sim && !sim->ptyLink.empty() ? sim->ptyLink : std::string("/nonexistent/tty");
    return RunProgram(exe, {"--ui-script", path}, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + com1}, 60, out);
}

// The given field ("hex" or "t") of every telegram the sensor received with this order, in order.
std::vector<std::string> Received(const SimProcess &sim, int order, const std::string &field)
{
    std::vector<std::string> out;
    const std::string key = "\"dir\":\"rx\",\"order\":" + std::to_string(order) + ",", at = "\"" + field + "\":";
    for (const std::string &l : sim.logLines())
        if (l.find(key) != std::string::npos && l.find(at) != std::string::npos) {
            const size_t p = l.find(at) + at.size() + (field == "hex" ? 1 : 0);
            out.push_back(l.substr(p, field == "hex" ? 72 : l.find_first_of(",}", p) - p));
        }
    return out;
}

// Words of a telegram given as hex.
std::vector<uint16_t> Words(const std::string &hex)
{
    std::vector<uint16_t> w;
    for (size_t k = 0; k + 4 <= hex.size(); k += 4)
        w.push_back(static_cast<uint16_t>(std::stoul(hex.substr(k, 4), nullptr, 16)));
    return w;
}

// A telegram: sync, order, word 2 and the payload; everything after it zero.
std::vector<uint16_t> Telegram(uint16_t order, uint16_t arg, const std::vector<uint16_t> &payload = {})
{
    std::vector<uint16_t> w = {0x55, order, arg};
    w.insert(w.end(), payload.begin(), payload.end());
    w.resize(18, 0);
    return w;
}

std::vector<int> UploadOrders()
{
    std::vector<int> o = {43};
    o.insert(o.end(), 32, 50);
    for (int c : {40, 41, 42})
        o.insert(o.end(), 10, c);
    o.push_back(7);
    for (int r : {44, 45, 46, 51, 51})
        o.push_back(r);
    return o;
}

class TempCompUpload : public ::testing::TestWithParam<Link> {};

// Send CF twice: both times the start order, the 32 cube-root blocks and the
// 30 factor blocks with the pauses between them, the reconnect and the five
// read-back requests; the sensor stores what it receives, so "SUCCESS".
TEST_P(TempCompUpload, SendsEveryBlockReconnectsAndReadsBackSuccess)
{
    const Link link = GetParam();
    SimProcess sim({"--version-text", kVersion}, true, link == Link::Pty);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunTempComp(&sim, Connect(link, sim) + kCoefficients +
                                    "click P ButtonSendCF\n"
                                    "waitfor P DispResult == SUCCESS 30\n"
                                    "printattr P ButtonSendCF bgcolor\n"
                                    "click P ButtonSendCF\n"
                                    "waitfor P DispResult == SUCCESS 30\n"
                                    "print P DispStatus\n"
                                    "quit 0\n",
                          &out),
              0)
        << out;
    EXPECT_FALSE(has(out, "POPUP")) << out;
    EXPECT_TRUE(has(out, "P.ButtonSendCF.bgcolor=0xE0E0E0\n")) << out;
    EXPECT_TRUE(has(out, "P.DispStatus=" + kVersion + "\n")) << out;

    std::vector<int> expected = {7};
    for (int i = 0; i < 2; ++i) {
        const std::vector<int> upload = UploadOrders();
        expected.insert(expected.end(), upload.begin(), upload.end());
    }
    ASSERT_EQ(sim.receivedOrders(), expected);

    for (const std::string &hex : Received(sim, 43, "hex"))
        EXPECT_EQ(Words(hex), Telegram(43, 0));
    const std::vector<std::string> root = Received(sim, 50, "hex");
    ASSERT_EQ(root.size(), 64u);
    for (int b = 0; b < 32; ++b) {
        std::vector<uint16_t> entries;
        for (int i = 8 * b; i < 8 * b + 8; ++i)
            entries.push_back(RootEntry(i));
        EXPECT_EQ(Words(root[static_cast<size_t>(b)]), Telegram(50, static_cast<uint16_t>(b), entries)) << b;
        EXPECT_EQ(root[static_cast<size_t>(b)], root[static_cast<size_t>(b + 32)]) << b;
    }
    EXPECT_EQ(Words(root[31])[10], 15979);
    uint16_t (*const factor[3])(int) = {RedFactor, GreenFactor, BlueFactor};
    for (int c = 0; c < 3; ++c) {
        const std::vector<std::string> blocks = Received(sim, 40 + c, "hex");
        ASSERT_EQ(blocks.size(), 20u);
        for (int b = 0; b < 10; ++b) {
            std::vector<uint16_t> values;
            for (int t = 10 * b; t < 10 * b + 10; ++t)
                values.push_back(factor[c](t));
            EXPECT_EQ(Words(blocks[static_cast<size_t>(b)]), Telegram(static_cast<uint16_t>(40 + c), static_cast<uint16_t>(b), values))
                << c << " " << b;
            EXPECT_EQ(blocks[static_cast<size_t>(b)], blocks[static_cast<size_t>(b + 10)]);
        }
    }
    for (int o : {44, 45, 46})
        for (const std::string &hex : Received(sim, o, "hex"))
            EXPECT_EQ(Words(hex), Telegram(static_cast<uint16_t>(o), 0));
    const std::vector<std::string> rootReads = Received(sim, 51, "hex");
    ASSERT_EQ(rootReads.size(), 4u);
    EXPECT_EQ(Words(rootReads[0]), Telegram(51, 0));
    EXPECT_EQ(Words(rootReads[1]), Telegram(51, 128));

    // The pauses: 0.2 s after the start order, 0.05 s after every block.
    std::vector<double> times;
    for (int o : {43, 50, 40, 41, 42}) {
        const std::vector<std::string> t = Received(sim, o, "t");
        const size_t half = t.size() / 2; // the first upload
        for (size_t i = 0; i < half; ++i)
            times.push_back(std::atof(t[i].c_str()));
    }
    // Arrival times jitter with the load of the machine; their sum does not.
    ASSERT_EQ(times.size(), 63u);
    EXPECT_GE(times[1] - times[0], 0.15);
    EXPECT_GE(times[62] - times[0], 0.2 + 61 * 0.05 - 0.02);
}

INSTANTIATE_TEST_SUITE_P(Links, TempCompUpload, ::testing::Values(Link::Pty, Link::Tcp), LinkName);

class TempCompFaults : public ::testing::TestWithParam<Link> {};

// A red curve of 10 against reference 1000 saturates at 65535. The first
// read-back gets one wrong green factor: "FAILURE", no pop-up. The second
// gets 199 bytes for red: "TIMEOUT", the pop-up once, and no further order.
TEST_P(TempCompFaults, OneWrongWordFailsAndAShortReplyTimesOut)
{
    const Link link = GetParam();
    SimProcess sim({"--version-text", kVersion, "--fault", "alter:word=37:order=45:nth=1", "--fault",
                    "short:bytes=199:order=44:nth=2"},
                   true, link == Link::Pty);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunTempComp(&sim, Connect(link, sim) +
                                    "set P EditRT 10\n"
                                    "click P ButtonSendCF\n"
                                    "waitfor P DispResult == FAILURE 30\n"
                                    "print P DispStatus\n"
                                    "click P ButtonSendCF\n"
                                    "waitfor P DispStatus == TIMEOUT 30\n"
                                    "print P DispResult\n"
                                    "printattr P ButtonSendCF bgcolor\n"
                                    "quit 0\n",
                          &out),
              0)
        << out;
    EXPECT_TRUE(has(out, "P.DispStatus=" + kVersion + "\n")) << out; // no time-out in the first run
    EXPECT_TRUE(has(out, "P.DispResult=TRY TO SAVE\n")) << out;
    EXPECT_TRUE(has(out, "P.ButtonSendCF.bgcolor=0xE0E0E0\n")) << out;
    EXPECT_EQ(count(out, "POPUP"), 1) << out;
    EXPECT_EQ(count(out, kTimeoutPopup), 1) << out;

    std::vector<int> expected = {7};
    std::vector<int> upload = UploadOrders();
    expected.insert(expected.end(), upload.begin(), upload.end());
    upload.resize(upload.size() - 4); // the second read-back ends at order 44
    expected.insert(expected.end(), upload.begin(), upload.end());
    EXPECT_EQ(sim.receivedOrders(), expected);
    const std::vector<std::string> red = Received(sim, 40, "hex");
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(Words(red[0]), Telegram(40, 0, std::vector<uint16_t>(10, 65535)));
}

INSTANTIATE_TEST_SUITE_P(Links, TempCompFaults, ::testing::Values(Link::Pty, Link::Tcp), LinkName);

// Get right after start-up, without an upload, against a sensor that holds
// the cube-root table and the factors computed on the panel: "SUCCESS".
TEST(TempCompReadBack, GetWithoutUploadComparesAgainstTheFixedRootTable)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    // The simulator's factory tables are 1024 everywhere: a constant curve
    // at the reference value gives the same factors.
    ASSERT_EQ(RunTempComp(&sim, Connect(Link::Pty, sim) +
                                    "set P EditRT 800\n"
                                    "set P EditGT 800\n"
                                    "set P EditBT 800\n"
                                    "set P EditRefR 800\n"
                                    "set P EditRefG 800\n"
                                    "set P EditRefB 800\n"
                                    "click P ButtonCalcCurves\n"
                                    "click P ButtonCalcCalib\n"
                                    "click P ButtonGet\n"
                                    "waitfor P DispResult == SUCCESS 20\n"
                                    "set P EditRefB 801\n"
                                    "click P ButtonCalcCalib\n"
                                    "click P ButtonGet\n"
                                    "waitfor P DispResult == FAILURE 20\n"
                                    "quit 0\n",
                          &out),
              0)
        << out;
    EXPECT_FALSE(has(out, "POPUP")) << out;
    EXPECT_EQ(sim.receivedOrders(), (std::vector<int>{7, 44, 45, 46, 51, 51, 44, 45, 46, 51, 51}));
}

// The panel without a sensor: coefficients keep every digit through the
// equation file, bad files are refused with the coefficients unchanged, a
// failed write is reported, and the value displays follow the index.
TEST(TempCompPanel, EquationFilesAndTemperatureIndex)
{
    const std::string dir = MakeTempDir();
    // Fifteen values that need all their digits, in the file's own layout.
    const std::string precise = " 1.234e-09\r\n-3.4567e-06\r\n0.30000000000000004\r\n0.3333333333333333\r\n"
                                "      1000\r\n    -2e-08\r\n6.02214076e-07\r\n -0.001234\r\n      1.25\r\n       500\r\n"
                                "     1e-12\r\n         0\r\n      -0.1\r\n         2\r\n       900\r\n";
    WriteTextFile(dir + "/precise.equ", precise);
    WriteTextFile(dir + "/fourteen.equ", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n");
    WriteTextFile(dir + "/word.equ", "1\n2\n3\n4\n5\n6\n7\nx8\n9\n10\n11\n12\n13\n14\n15\n");
    std::string out;
    ASSERT_EQ(RunTempComp(nullptr,
                          "set P EditRX4 1.234e-9\n"
                          "set P EditGX3 -3.4567e-6\n"
                          "print P EditRX4\n"
                          "file " + dir + "/typed.equ new\n"
                          "click P ButtonSaveEquation\n"
                          "file " + dir + "/precise.equ existing\n"
                          "click P ButtonGetEquation\n"
                          "file " + dir + "/fourteen.equ existing\n"
                          "click P ButtonGetEquation\n"
                          "file " + dir + "/word.equ existing\n"
                          "click P ButtonGetEquation\n"
                          "file " + dir + "/missing.equ existing\n"
                          "click P ButtonGetEquation\n"
                          "file " + dir + "/again.equ new\n"
                          "click P ButtonSaveEquation\n"
                          "file " + dir + "/no/such/dir/x.equ new\n"
                          "click P ButtonSaveEquation\n"
                          "click P ButtonCalcCurves\n"
                          "set P EditTemp 99\n"
                          "print P DispValG\n"
                          "print P DispValB\n"
                          "set P EditTemp 0\n"
                          "print P DispValG\n"
                          "print P DispValB\n"
                          "screenshot P " + dir + "/panel.png\n"
                          "quit 0\n",
                          &out, dir),
              0)
        << out;
    EXPECT_TRUE(has(out, "P.EditRX4=1.234e-09\n")) << out;
    const std::string typed = ReadTextFile(dir + "/typed.equ");
    EXPECT_EQ(typed.substr(0, 24), " 1.234e-09\r\n         0\r\n") << typed;
    EXPECT_TRUE(has(typed, "-3.4567e-06")) << typed;
    // Loaded and saved again: byte for byte the file that was loaded; the
    // refused files changed nothing in between.
    EXPECT_EQ(ReadTextFile(dir + "/again.equ"), precise);
    EXPECT_EQ(count(out, "POPUP ATTENTION!|"), 4) << out;
    EXPECT_EQ(ReadTextFile(dir + "/no/such/dir/x.equ"), "");
    // The curves of the loaded coefficients at t = 99 (worked out by hand,
    // shown to two decimals) and at t = 0 (the constant terms).
    EXPECT_TRUE(has(out, "P.DispValG=610.32\nP.DispValB=117.9\nP.DispValG=500\nP.DispValB=900\n")) << out;
}

} // namespace
