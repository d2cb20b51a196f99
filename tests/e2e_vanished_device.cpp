// A serial sensor that vanishes (its adapter pulled, here the simulator
// killed) while a program is connected: the next exchange reports the
// time-out once, the program then idles at no CPU, and TRY TO CONNECT opens
// the line again once the sensor is back at the same path.
#include "e2e.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";

bool waitForFile(const std::string &path, double seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class VanishedDevice : public ::testing::TestWithParam<const char *> {};

TEST_P(VanishedDevice, TimesOutOnceIdlesAndReconnectsWhenTheSensorIsBack)
{
    const std::string program = GetParam();
    auto sim = std::make_unique<SimProcess>(std::vector<std::string> {"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim->ok());
    const std::string link = sim->ptyLink;
    const std::string dir = MakeTempDir();
    const std::string m = dir + "/mark-";
    const std::string script =
        WriteTextFile(dir + "/script.txt",
                      "waitfor P DispStatus == " + kVersion + " 15\n" + "touch " + m + "connected\n" + //
                          "waitfile " + m + "killed 30\n" +
                          "click P ButtonGo\n"
                          "waitfor P DispStatus == TIMEOUT 30\n"
                          "waitfor P ButtonGo dimmed == 0 30\n"
                          "printcpu\nwait 3\nprintcpu\n"
                          "touch " +
                          m + "measured\n" + //
                          "waitfile " + m + "restarted 30\n" +
                          "click P ButtonConnect\n"
                          "click INTERFACEP ButtonTryToConnect\n"
                          "waitfor INTERFACEP DispConnectionStatus == " +
                          kVersion + " 15\nquit 0\n");
    int code = -2;
    std::string out;
    std::thread run([&] {
        code = RunProgram(InstallCopy(program, dir), {"--ui-script", script},
                          {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + link}, 120, &out);
    });
    const bool connected = waitForFile(m + "connected", 60);
    sim->killHard(); // the adapter is pulled: no goodbye on the line
    WriteTextFile(m + "killed", "");
    const bool measured = connected && waitForFile(m + "measured", 90);
    // The sensor comes back where it was.
    sim = std::make_unique<SimProcess>(std::vector<std::string> {"--version-text", kVersion}, false, true, link);
    WriteTextFile(m + "restarted", "");
    run.join();
    ASSERT_TRUE(connected) << out;
    ASSERT_TRUE(measured) << out;
    EXPECT_EQ(code, 0) << out;

    // The time-out pop-up is titled with the sensor's version.
    EXPECT_EQ(Count(out, "POPUP " + kVersion + "|"), 1) << out;
    double cpu[2] = {}, at[2] = {};
    size_t from = 0;
    for (int i = 0; i < 2; ++i) {
        from = out.find("CPU ", from);
        ASSERT_NE(from, std::string::npos) << out;
        ASSERT_EQ(std::sscanf(out.c_str() + from, "CPU %lf %lf", &cpu[i], &at[i]), 2) << out;
        ++from;
    }
    const double share = (cpu[1] - cpu[0]) / (at[1] - at[0]);
    EXPECT_LT(share, 0.01) << "the program used " << share * 100 << " % of a core while idle";

    // TRY TO CONNECT talked to the sensor that came back.
    const std::vector<int> orders = sim->receivedOrders();
    ASSERT_FALSE(orders.empty());
    EXPECT_EQ(orders.front(), 7);
}

INSTANTIATE_TEST_SUITE_P(Programs, VanishedDevice, ::testing::Values("Veltv61", "VeltCalibV61"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
