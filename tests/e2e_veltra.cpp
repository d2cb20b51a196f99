// The command-line tool against the simulator: identify over each kind of
// link and against reply faults, ports with a VELTRA_COM<n> device, the
// usage errors, a dead line, and Ctrl-C during a wait.
#include "e2e.h"

#include <chrono>
#include <gtest/gtest.h>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string kVersion = "E2E VELTRA 4711";

int Veltra(const std::vector<std::string> &args, std::string *out, const std::vector<std::string> &env = {},
           double timeout = 30)
{
    return RunProgram(BuiltProgram("veltra"), args, env, timeout, out);
}

// A pseudo-terminal that nobody answers on; the master stays open.
struct SilentLine {
    SilentLine()
    {
        char name[64] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0)
            path = name;
    }
    ~SilentLine()
    {
        ::close(master);
        ::close(slave);
    }
    int master = -1, slave = -1;
    std::string path;
};

enum class Via { PtyPath, ComNumber, Tcp };

class Identify : public ::testing::TestWithParam<Via> {};

TEST_P(Identify, PrintsTheVersionTextOfOrder7)
{
    SimProcess sim({"--version-text", kVersion});
    ASSERT_TRUE(sim.ok());
    std::vector<std::string> env;
    std::string link = sim.ptyLink;
    if (GetParam() == Via::ComNumber) {
        env.push_back("VELTRA_COM9=" + sim.ptyLink);
        link = "COM9";
    } else if (GetParam() == Via::Tcp) {
        link = "tcp:127.0.0.1:" + std::to_string(sim.tcpPort);
    }
    std::string out;
    // The link from the environment, then from the option after the command.
    std::vector<std::string> envLink = env;
    envLink.push_back("VELTRA_LINK=" + link);
    EXPECT_EQ(Veltra({"identify"}, &out, envLink), 0) << out;
    EXPECT_EQ(out, kVersion + "\n");
    EXPECT_EQ(Veltra({"identify", "--json", "--link", link}, &out, env), 0) << out;
    EXPECT_EQ(out, "{\"command\":\"identify\",\"link\":\"" + link + "\",\"version\":\"" + kVersion + "\"}\n");
    sim.stop();
    EXPECT_EQ(sim.receivedOrders(), (std::vector<int> {7, 7}));
}

INSTANTIATE_TEST_SUITE_P(Links, Identify, ::testing::Values(Via::PtyPath, Via::ComNumber, Via::Tcp), [](const auto &i) {
    return std::string(i.param == Via::PtyPath ? "PtyPath" : i.param == Via::ComNumber ? "ComNumber" : "Tcp");
});

// Reply faults of the simulator: a missing or short version text is a line
// failure, one in two pieces is whole; bytes too many fail on a serial line
// and are dropped over TCP, as in the programs' line check.
TEST(Veltra, IdentifyWithAMissingOrShortReplyExitsWith1)
{
    const struct {
        const char *fault;
        bool tcp;
        int status;
    } cases[] = {{"noreply:order=7", false, 1},
                 {"short:bytes=20", true, 1},
                 {"split:ms=100", false, 0},
                 {"long:bytes=8", false, 1},
                 {"long:bytes=8", true, 0}};
    for (const auto &c : cases) {
        SimProcess sim({"--version-text", kVersion, "--fault", c.fault}, c.tcp, !c.tcp);
        ASSERT_TRUE(sim.ok());
        const std::string link = c.tcp ? "tcp:127.0.0.1:" + std::to_string(sim.tcpPort) : sim.ptyLink;
        std::string out;
        EXPECT_EQ(Veltra({"identify", "--link", link}, &out), c.status) << c.fault << "\n" << out;
        EXPECT_EQ(out, c.status ? "veltra: identify: no version text (order 7) came from the sensor on " + link + "\n"
                                : kVersion + "\n")
            << c.fault;
    }
}

TEST(Veltra, UsageErrorsExitWith2AndSayWhat)
{
    const struct {
        std::vector<std::string> args;
        const char *message;
    } cases[] = {
        {{}, "veltra: no command given\nUsage: veltra "},
        {{"bogus"}, "veltra: unknown command 'bogus'\n"},
        {{"identify", "--bogus"}, "veltra: unknown option '--bogus'\n"},
        {{"identify", "extra"}, "veltra: identify: extra operand 'extra'\n"},
        {{"identify", "--eeprom"}, "veltra: option '--eeprom' is not one of 'identify'"},
        {{"params"}, "veltra: 'params' needs one of: get, send"},
        {{"params", "put", "F"}, "veltra: 'params' needs one of: get, send"},
        {{"params", "get"}, "veltra: params get: missing operand"},
        {{"identify", "--link"}, "veltra: option '--link' requires an argument\n"},
        {{"--json=yes", "identify"}, "veltra: option '--json' doesn't allow an argument\n"},
        {{"identify", "--link", "nonsense"}, "veltra: identify: 'nonsense' is no link"},
        {{"identify", "--link", "tcp:localhost:70000"}, "veltra: identify: 'tcp:localhost:70000' is no link"},
    };
    for (const auto &c : cases) {
        std::string out;
        EXPECT_EQ(Veltra(c.args, &out), 2) << out;
        EXPECT_EQ(out.rfind(c.message, 0), 0u) << out;
    }
}

TEST(Veltra, DeadLinkExitsWith1AndNamesTheLine)
{
    SilentLine silent;
    ASSERT_FALSE(silent.path.empty());
    const struct {
        std::string link;
        std::string message;
    } cases[] = {
        {silent.path, "veltra: identify: no version text (order 7) came from the sensor on " + silent.path + "\n"},
        {"/nonexistent/ttyUSB9", "veltra: identify: No serial port found: /nonexistent/ttyUSB9"},
        {"tcp:127.0.0.1:1", "veltra: identify: tcp:127.0.0.1:1: FailedToConnect\n"},
    };
    for (const auto &c : cases) {
        std::string out;
        EXPECT_EQ(Veltra({"--link", c.link, "identify"}, &out), 1) << out;
        EXPECT_EQ(out.rfind(c.message, 0), 0u) << out;
    }
}

TEST(Veltra, CtrlCEndsTheWaitAtOnceWith130)
{
    SilentLine silent;
    ASSERT_FALSE(silent.path.empty());
    // The version text is awaited 2 s on a serial line; SIGINT comes after 0.5 s.
    const auto start = std::chrono::steady_clock::now();
    std::string out;
    const int rc =
        RunProgram("/usr/bin/timeout",
                   {"--preserve-status", "-s", "INT", "0.5", BuiltProgram("veltra"), "--link", silent.path, "identify"},
                   {}, 30, &out);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(rc, static_cast<signed char>(130)) << out; // RunProgram gives the status as a signed byte
    EXPECT_EQ(out, "veltra: identify: interrupted before the version text came; the sensor is unchanged\n");
    EXPECT_LT(seconds, 1.9);
}

TEST(Veltra, PortsListsTheDeviceOfVeltraCom1WithItsNumber)
{
    SimProcess sim({}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    EXPECT_EQ(Veltra({"ports"}, &out, {"VELTRA_COM1=" + sim.ptyLink}), 0) << out;
    EXPECT_TRUE(Has(out, sim.ptyLink + " (COM1)\n  access: yes\n")) << out;
    EXPECT_EQ(Veltra({"ports", "--json"}, &out, {"VELTRA_COM1=" + sim.ptyLink}), 0) << out;
    EXPECT_TRUE(Has(out, "{\"command\":\"ports\",\"path\":\"" + sim.ptyLink + "\",\"device\":\"" + sim.ptyDevice +
                             "\",\"by_id\":\"\",\"usb_vendor\":\"\",\"usb_product\":\"\",\"usb_serial\":\"\","
                             "\"manufacturer\":\"\",\"product\":\"\",\"com\":[1],\"access\":true,\"hint\":\"\"}\n"))
        << out;
}

} // namespace
