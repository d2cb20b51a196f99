// The three scope programs connect to the simulator at start-up over RS232
// and, through the interface panel, over TCP/IP; without a sensor they say
// so; Discard restores the old settings; the address history is shared.
#include "e2e.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E SENSOR V6.1";
const std::vector<std::string> kScopePrograms = {"Veltv61", "VeltTempCompV61", "VeltCalibV61"};
constexpr size_t kRecordText = 20; // an address field of the history file

struct ProgramRun {
    int code;
    std::string out;
};

ProgramRun runScript(const std::string &exe, const std::string &dir, const std::string &script,
                     const std::vector<std::string> &env)
{
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    ProgramRun r {};
    std::vector<std::string> allEnv = env;
    allEnv.push_back("QT_QPA_PLATFORM=offscreen");
    r.code = RunProgram(exe, {"--ui-script", path}, allEnv, 60, &r.out);
    return r;
}

TEST(LinkE2E, EachScopeProgramConnectsOverRs232AtStartUp)
{
    SimProcess sim({"--version-text", kVersion});
    ASSERT_TRUE(sim.ok());
    for (const auto &prog : kScopePrograms) {
        SCOPED_TRACE(prog);
        const std::string dir = MakeTempDir();
        const ProgramRun r = runScript(InstallCopy(prog, dir), dir,
                                       "waitfor P DispStatus == " + kVersion +
                                           " 10\n"
                                           "print INTERFACEP DispConnectionStatus\n"
                                           "printattr INTERFACEP ButtonAccept dimmed\n"
                                           "quit 0\n",
                                       {"VELTRA_COM1=" + sim.ptyLink});
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(Has(r.out, "INTERFACEP.DispConnectionStatus=" + kVersion + "\n")) << r.out;
        EXPECT_TRUE(Has(r.out, "INTERFACEP.ButtonAccept.dimmed=0\n")) << r.out;
    }
    // Every start sent the version request.
    int versionRequests = 0;
    for (int order : sim.receivedOrders())
        versionRequests += order == 7;
    EXPECT_GE(versionRequests, 3);
}

TEST(LinkE2E, EachScopeProgramConnectsOverTcpThroughTheInterfacePanel)
{
    SimProcess sim({"--version-text", kVersion}, true, false);
    ASSERT_TRUE(sim.ok());
    for (const auto &prog : kScopePrograms) {
        SCOPED_TRACE(prog);
        const std::string dir = MakeTempDir();
        const ProgramRun r = runScript(InstallCopy(prog, dir), dir,
                                       "click P ButtonConnect\n"
                                       "set INTERFACEP EditCommunicationProtocol 1\n"
                                       "set INTERFACEP StringIpAdress 127.0.0.1\n"
                                       "set INTERFACEP StringPortNumber " +
                                           std::to_string(sim.tcpPort) +
                                           "\n"
                                           "printattr INTERFACEP ButtonAccept dimmed\n"
                                           "click INTERFACEP ButtonTryToConnect\n"
                                           "waitfor INTERFACEP DispConnectionStatus == " +
                                           kVersion +
                                           " 10\n"
                                           "printattr INTERFACEP ButtonAccept dimmed\n"
                                           "click INTERFACEP ButtonAccept\n"
                                           "print P DispStatus\n"
                                           "quit 0\n",
                                       {"VELTRA_COM1=/nonexistent/tty"});
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(Has(r.out, "INTERFACEP.ButtonAccept.dimmed=1\n")) << r.out;
        EXPECT_TRUE(Has(r.out, "INTERFACEP.ButtonAccept.dimmed=0\n")) << r.out;
        EXPECT_TRUE(Has(r.out, "P.DispStatus=" + kVersion + "\n")) << r.out;
    }
}

TEST(LinkE2E, WithoutASensorTheProgramSaysSoAndAcceptStaysDimmed)
{
    const std::string dir = MakeTempDir();
    const ProgramRun r = runScript(InstallCopy("Veltv61", dir), dir,
                                   "print P DispStatus\n"
                                   "print INTERFACEP DispConnectionStatus\n"
                                   "print INTERFACEP DispComDevice\n"
                                   "printattr INTERFACEP ButtonAccept dimmed\n"
                                   "click P ButtonConnect\n"
                                   "set INTERFACEP EditSelectComPort 3\n"
                                   "print INTERFACEP DispComDevice\n"
                                   "quit 0\n",
                                   {"VELTRA_COM1=/nonexistent/tty", "VELTRA_COM3=/nonexistent/third"});
    EXPECT_EQ(r.code, 0) << r.out;
    // Choosing another number shows that number's device at once.
    EXPECT_TRUE(Has(r.out, "INTERFACEP.DispComDevice=/nonexistent/third\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "P.DispStatus=TIMEOUT\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "INTERFACEP.DispConnectionStatus=CONNECTION FAILURE\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "INTERFACEP.DispComDevice=/nonexistent/tty")) << r.out;
    EXPECT_TRUE(Has(r.out, "INTERFACEP.ButtonAccept.dimmed=1\n")) << r.out;
}

TEST(LinkE2E, DiscardRestoresTheOldSettingsAndReconnects)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const ProgramRun r = runScript(InstallCopy("VeltCalibV61", dir), dir,
                                   "waitfor P DispStatus == " + kVersion +
                                       " 10\n"
                                       "click P ButtonConnect\n"
                                       "set INTERFACEP EditCommunicationProtocol 1\n"
                                       "set INTERFACEP StringPortNumber 1\n"
                                       "click INTERFACEP ButtonTryToConnect\n"
                                       "waitfor INTERFACEP DispConnectionStatus == CONNECTION FAILURE 10\n"
                                       "print P DispStatus\n"
                                       "click INTERFACEP ButtonDiscard\n"
                                       "print INTERFACEP EditCommunicationProtocol\n"
                                       "print INTERFACEP StringPortNumber\n"
                                       "waitfor P DispStatus == " +
                                       kVersion +
                                       " 10\n"
                                       "quit 0\n",
                                   {"VELTRA_COM1=" + sim.ptyLink});
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Has(r.out, "POPUP TCP Client|")) << r.out;
    EXPECT_TRUE(Has(r.out, "P.DispStatus=TIMEOUT\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "INTERFACEP.EditCommunicationProtocol=0\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "INTERFACEP.StringPortNumber=5000\n")) << r.out;
}

TEST(LinkE2E, AddressHistoryKeepsTenRecentAddressesSharedByTheProgramsOfADirectory)
{
    const std::string dir = MakeTempDir();
    std::string script = "click P ButtonConnect\nset INTERFACEP EditCommunicationProtocol 1\n";
    for (int i = 101; i <= 111; ++i)
        script += "set INTERFACEP StringIpAdress 10.0.0." + std::to_string(i) + "\n";
    script += "set INTERFACEP StringIpAdress 10.0.0.105\n";                // already listed: moves to the top
    script += "set INTERFACEP StringIpAdress sensor-hall-seven.example\n"; // 25 characters
    script += "quit 0\n";
    const ProgramRun r = runScript(InstallCopy("Veltv61", dir), dir, script, {"VELTRA_COM1=/nonexistent/tty"});
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string file = ReadTextFile(dir + "/IPComboBoxVeltv61.ipa");
    ASSERT_EQ(file.size(), 210u);
    auto record = [&file](int i) {
        std::string f = file.substr(static_cast<size_t>(i) * 21, 20);
        return f.substr(0, f.find('\0'));
    };
    EXPECT_EQ(record(0), std::string("sensor-hall-seven.example").substr(0, 20));
    EXPECT_EQ(record(1), "10.0.0.105");
    EXPECT_EQ(record(2), "10.0.0.111");
    EXPECT_EQ(record(8), "10.0.0.104");
    EXPECT_EQ(record(9), "10.0.0.103"); // 101 and 102 dropped out
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(file[static_cast<size_t>(i) * 21 + 20], '\n');

    // Another program installed in the same directory loads the same history.
    const ProgramRun c = runScript(InstallCopy("VeltCalibV61", dir), dir,
                                   "click P ButtonConnect\nset INTERFACEP EditCommunicationProtocol 1\n"
                                   "set INTERFACEP StringIpAdress 10.9.9.9\nquit 0\n",
                                   {"VELTRA_COM1=/nonexistent/tty"});
    ASSERT_EQ(c.code, 0) << c.out;
    const std::string after = ReadTextFile(dir + "/IPComboBoxVeltv61.ipa");
    ASSERT_EQ(after.size(), 210u);
    EXPECT_EQ(after.substr(0, 8), "10.9.9.9");
    EXPECT_EQ(after.substr(21, 20), file.substr(0, 20));
    EXPECT_EQ(after.substr(42, 10), "10.0.0.105");
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
        rec.resize(kRecordText, '\0');
        big += rec + "\n";
    }
    WriteTextFile(dir + "/IPComboBoxVeltv61.ipa", big);
    const ProgramRun r = runScript(InstallCopy("Veltv61", dir), dir,
                                   "click P ButtonConnect\nset INTERFACEP EditCommunicationProtocol 1\n"
                                   "printcpu\nset INTERFACEP StringIpAdress 10.200.0.1\nprintcpu\nquit 0\n",
                                   {"VELTRA_COM1=/nonexistent/tty"});
    ASSERT_EQ(r.code, 0) << r.out.substr(0, 2000);
    double cpu[2] = {}, at[2] = {};
    size_t from = 0;
    for (int i = 0; i < 2; ++i) {
        from = r.out.find("CPU ", from);
        ASSERT_NE(from, std::string::npos) << r.out.substr(0, 2000);
        ASSERT_EQ(std::sscanf(r.out.c_str() + from, "CPU %lf %lf", &cpu[i], &at[i]), 2);
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
