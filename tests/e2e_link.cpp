// The link as the scope programs show it beyond the exchanges: no sensor,
// Discard, and the shared address history however long its file.
#include "e2e.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";
const std::string kTcp = "click P ButtonConnect\nset INTERFACEP EditCommunicationProtocol 1\n";

TEST(LinkE2E, WithoutASensorTheProgramSaysSoAndAcceptStaysDimmed)
{
    const std::string dir = MakeTempDir();
    const std::string script = WriteTextFile(dir + "/script.txt", "print P DispStatus\n"
                                                                  "print INTERFACEP DispConnectionStatus\n"
                                                                  "print INTERFACEP DispComDevice\n"
                                                                  "printattr INTERFACEP ButtonAccept dimmed\n"
                                                                  "click P ButtonConnect\n"
                                                                  "set INTERFACEP EditSelectComPort 3\n"
                                                                  "print INTERFACEP DispComDevice\n"
                                                                  "quit 0\n");
    std::string out;
    EXPECT_EQ(
        RunProgram(InstallCopy("Veltv61", dir), {"--ui-script", script},
                   {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=/nonexistent/tty", "VELTRA_COM3=/nonexistent/third"}, 60,
                   &out),
        0)
        << out;
    EXPECT_TRUE(Has(out, "P.DispStatus=TIMEOUT\n")) << out;
    EXPECT_TRUE(Has(out, "INTERFACEP.DispConnectionStatus=CONNECTION FAILURE\n")) << out;
    EXPECT_TRUE(Has(out, "INTERFACEP.DispComDevice=/nonexistent/tty")) << out;
    EXPECT_TRUE(Has(out, "INTERFACEP.ButtonAccept.dimmed=1\n")) << out;
    // Choosing another number shows that number's device at once.
    EXPECT_TRUE(Has(out, "INTERFACEP.DispComDevice=/nonexistent/third\n")) << out;
}

TEST(LinkE2E, DiscardRestoresTheOldSettingsAndReconnects)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    EXPECT_EQ(RunScriptIn("VeltCalibV61", MakeTempDir(), &sim,
                          "waitfor P DispStatus == " + kVersion + " 10\n" + kTcp +
                              "set INTERFACEP StringPortNumber 1\n"
                              "click INTERFACEP ButtonTryToConnect\n"
                              "waitfor INTERFACEP DispConnectionStatus == CONNECTION FAILURE 10\n"
                              "print P DispStatus\n"
                              "click INTERFACEP ButtonDiscard\n"
                              "print INTERFACEP EditCommunicationProtocol\n"
                              "print INTERFACEP StringPortNumber\n"
                              "waitfor P DispStatus == " +
                              kVersion + " 10\nquit 0\n",
                          &out),
              0)
        << out;
    EXPECT_TRUE(Has(out, "POPUP TCP Client|")) << out;
    EXPECT_TRUE(Has(out, "P.DispStatus=TIMEOUT\n")) << out;
    EXPECT_TRUE(Has(out, "INTERFACEP.EditCommunicationProtocol=0\n")) << out;
    EXPECT_TRUE(Has(out, "INTERFACEP.StringPortNumber=5000\n")) << out;
}

TEST(LinkE2E, AddressHistoryKeepsTenRecentAddressesSharedByTheProgramsOfADirectory)
{
    const std::string dir = MakeTempDir();
    std::string script = kTcp;
    for (int i = 101; i <= 111; ++i)
        script += "set INTERFACEP StringIpAdress 10.0.0." + std::to_string(i) + "\n";
    script += "set INTERFACEP StringIpAdress 10.0.0.105\n";                // already listed: moves to the top
    script += "set INTERFACEP StringIpAdress sensor-hall-seven.example\n"; // 25 characters
    std::string out;
    ASSERT_EQ(RunScriptIn("Veltv61", dir, nullptr, script + "quit 0\n", &out), 0) << out;
    const std::string file = ReadTextFile(dir + "/IPComboBoxVeltv61.ipa");
    // Ten records of a 20-byte NUL-padded field and a line feed.
    std::string expected;
    for (std::string a : {"sensor-hall-seven.ex", "10.0.0.105", "10.0.0.111", "10.0.0.110", "10.0.0.109", "10.0.0.108",
                          "10.0.0.107", "10.0.0.106", "10.0.0.104", "10.0.0.103"})
        expected += a + std::string(20 - a.size(), '\0') + "\n";
    EXPECT_EQ(file, expected);

    // Another program installed in the same directory loads the same history.
    ASSERT_EQ(
        RunScriptIn("VeltCalibV61", dir, nullptr, kTcp + "set INTERFACEP StringIpAdress 10.9.9.9\nquit 0\n", &out), 0)
        << out;
    const std::string after = ReadTextFile(dir + "/IPComboBoxVeltv61.ipa");
    EXPECT_EQ(after, "10.9.9.9" + std::string(12, '\0') + "\n" + expected.substr(0, 9 * 21));
}

// A history file of 10 MB (about half a million records) is read whole, but
// committing an address then removes everything past the tenth in one step:
// the program answers at once and the file shrinks to ten records.
TEST(LinkE2E, AHugeAddressHistoryCostsTimeInProportionToItsSize)
{
    const std::string dir = MakeTempDir();
    std::string big;
    big.reserve(10u << 20);
    for (int i = 0; big.size() < (10u << 20); ++i) {
        std::string rec = "10." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) + "." +
                          std::to_string(i % 256);
        rec.resize(20, '\0');
        big += rec + "\n";
    }
    WriteTextFile(dir + "/IPComboBoxVeltv61.ipa", big);
    std::string out;
    ASSERT_EQ(RunScriptIn("Veltv61", dir, nullptr,
                          kTcp + "printcpu\nset INTERFACEP StringIpAdress 10.200.0.1\nprintcpu\nquit 0\n", &out),
              0)
        << out.substr(0, 2000);
    double cpu[2] = {}, at[2] = {};
    size_t from = 0;
    for (int i = 0; i < 2; ++i) {
        from = out.find("CPU ", from);
        ASSERT_NE(from, std::string::npos) << out.substr(0, 2000);
        ASSERT_EQ(std::sscanf(out.c_str() + from, "CPU %lf %lf", &cpu[i], &at[i]), 2);
        ++from;
    }
    // Under 2 s in a plain build; the sanitizer build runs several times
    // slower but would still take minutes if the removal were quadratic.
#ifdef __SANITIZE_ADDRESS__
    constexpr double kLimit = 20.0;
#else
    constexpr double kLimit = 2.0;
#endif
    EXPECT_LT(at[1] - at[0], kLimit) << "committing an address took " << at[1] - at[0] << " s";
    const std::string after = ReadTextFile(dir + "/IPComboBoxVeltv61.ipa");
    ASSERT_EQ(after.size(), 210u);
    EXPECT_EQ(after.substr(0, 10), "10.200.0.1");
    EXPECT_EQ(after.substr(21, 8), "10.0.0.0"); // the file's first record comes next
}

} // namespace
