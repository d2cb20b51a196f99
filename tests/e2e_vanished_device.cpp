// A serial sensor that vanishes (its adapter pulled, here the simulator
// killed) while a program is connected: the next exchange reports the
// time-out once, the program then idles at no CPU, and TRY TO CONNECT opens
// the line again once the sensor is back at the same path.
#include "e2e.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";

class VanishedDevice : public ::testing::TestWithParam<const char *> {};

TEST_P(VanishedDevice, TimesOutOnceIdlesAndReconnectsWhenTheSensorIsBack)
{
    auto sim = std::make_unique<SimProcess>(std::vector<std::string> {"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim->ok());
    const std::string link = sim->ptyLink;
    const std::string dir = MakeTempDir();
    // The script waits for each change of the world the test makes on the
    // program's printed lines: the sensor gone, then back where it was.
    const std::string script =
        WriteTextFile(dir + "/script.txt", "waitfor P DispStatus == " + kVersion + " 15\nprint P DispStatus\n" +
                                               "waitfile " + dir + "/killed 30\n" +
                                               "click P ButtonGo\n"
                                               "waitfor P DispStatus == TIMEOUT 30\n"
                                               "waitfor P ButtonGo dimmed == 0 30\n"
                                               "printcpu\nwait 3\nprintcpu\n"
                                               "waitfile " +
                                               dir + "/restarted 30\n" +
                                               "click P ButtonConnect\n"
                                               "click INTERFACEP ButtonTryToConnect\n"
                                               "waitfor INTERFACEP DispConnectionStatus == " +
                                               kVersion +
                                               " 15\n"
                                               "quit 0\n");
    std::vector<double> cpu, at;
    std::string out;
    const int code = RunProgramWatched(
        InstallCopy(GetParam(), dir), {"--ui-script", script}, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + link},
        120, &out, [&](const std::string &line) {
            double c = 0, t = 0;
            if (line == "P.DispStatus=" + kVersion) {
                sim->killHard(); // the adapter is pulled: no goodbye on the line
                WriteTextFile(dir + "/killed", "");
            } else if (std::sscanf(line.c_str(), "CPU %lf %lf", &c, &t) == 2 && cpu.size() < 2) {
                cpu.push_back(c);
                at.push_back(t);
                if (cpu.size() == 2) {
                    sim = std::make_unique<SimProcess>(std::vector<std::string> {"--version-text", kVersion}, false,
                                                       true, link);
                    WriteTextFile(dir + "/restarted", "");
                }
            }
        });
    EXPECT_EQ(code, 0) << out;
    // The time-out pop-up is titled with the sensor's version.
    EXPECT_EQ(Count(out, "POPUP " + kVersion + "|"), 1) << out;
    ASSERT_EQ(cpu.size(), 2u) << out;
    const double share = (cpu[1] - cpu[0]) / (at[1] - at[0]);
    EXPECT_LT(share, 0.01) << "the program used " << share * 100 << " % of a core while idle";
    // TRY TO CONNECT talked to the sensor that came back.
    const std::vector<int> orders = sim->receivedOrders();
    EXPECT_EQ(orders.empty() ? -1 : orders.front(), 7);
}

INSTANTIATE_TEST_SUITE_P(Programs, VanishedDevice, ::testing::Values("Veltv61", "VeltCalibV61"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
