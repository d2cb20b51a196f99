// veltra's parameter, live and compensation commands against the simulator:
// what they send and write, verify, and each fault's exit status and message.
#include "e2e.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kVersion = "JOBS SENSOR V6.1";
// Exit status 130 (Ctrl-C) as RunProgram reports it: the status byte taken as signed.
constexpr int kInterrupted = static_cast<signed char>(130);

std::string LinkOf(const SimProcess &sim, Link link)
{
    return link == Link::Tcp ? "tcp:127.0.0.1:" + std::to_string(sim.tcpPort) : sim.ptyLink;
}

// Runs veltra with the link first; the exit status, everything it printed in *out.
int Veltra(const SimProcess &sim, Link link, std::vector<std::string> args, std::string *out,
           const std::string &interruptAfter = "")
{
    args.insert(args.begin(), {"--quiet", "--link", LinkOf(sim, link)});
    std::string program = BuiltProgram("veltra");
    if (!interruptAfter.empty()) {
        // Ctrl-C after that many seconds, as a user at a terminal would press it.
        args.insert(args.begin(), {"--preserve-status", "-s", "INT", interruptAfter, program});
        program = "/usr/bin/timeout";
    }
    return RunProgram(program, args, {}, 60, out);
}

// A parameter file as Veltv61 writes it: 202 numbers, each right-aligned in
// ten characters, lines ended by CR LF. maxcolno (word 6) stays within 31.
std::string ParameterFile(int seed)
{
    std::string text;
    for (int w = 0; w < 202; ++w) {
        const unsigned v = w == 6 ? 12u : (static_cast<unsigned>(w) * 977u + static_cast<unsigned>(seed)) & 0xFFFFu;
        char line[16];
        std::snprintf(line, sizeof line, "%10u\r\n", v);
        text += line;
    }
    return text;
}

// The word of a parameter file (its line w).
unsigned FileWord(const std::string &text, int w) { return static_cast<unsigned>(std::stoul(text.substr(12 * w, 10))); }

// How many times the pattern matches in text (the matches do not overlap).
int Matches(const std::string &text, const char *pattern)
{
    const std::regex re(pattern);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

std::set<std::string> FilesIn(const std::string &dir)
{
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// Sent with verify to the EEPROM over the pty, read back into a file: the
// same telegrams as Veltv61's Send (the rows carry the stale words 9-17 of
// order 1), and the file read is the file sent, byte for byte.
TEST(VeltraParams, SendToEepromVerifiesAndGetWritesTheSameFile)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir(), sent = ParameterFile(4242);
    WriteTextFile(dir + "/sent.dat", sent);
    std::string out;
    ASSERT_EQ(Veltra(sim, Link::Pty, {"params", "send", "--eeprom", dir + "/sent.dat"}, &out), 0) << out;
    EXPECT_TRUE(Has(out, "read back: equal")) << out;
    ASSERT_EQ(Veltra(sim, Link::Pty, {"params", "get", dir + "/got.dat", "--eeprom"}, &out), 0) << out;
    EXPECT_EQ(ReadTextFile(dir + "/got.dat"), sent);
    std::vector<int> expected = Repeat({1}, 2, 31);
    expected.push_back(6);
    for (int pass = 0; pass < 2; ++pass)
        for (int o : Repeat({8, 3}, 4, 31))
            expected.push_back(o);
    EXPECT_EQ(sim.receivedOrders(), expected);
    // Row 0: word 2 the row, words 3-8 the packet's words 16-21, words 9-17
    // what order 1 left there (the packet's words 7-15).
    const std::string row0 = sim.telegrams("rx", 2).at(0);
    for (int w = 3; w < 18; ++w) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", FileWord(sent, w < 9 ? 13 + w : w - 2));
        EXPECT_EQ(row0.substr(4 * w, 4), hex) << "word " << w;
    }
}

// A sensor that stores one wrong word: verify names it and ends with 4.
TEST(VeltraParams, VerifyNamesAWrongStoredWordOverTcp)
{
    // The fifth row telegram (row 4) has its word 4, the row's Y, taken one higher.
    SimProcess sim({"--version-text", kVersion, "--fault", "miswrite:order=2:nth=5:word=4"}, true, false);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir(), sent = ParameterFile(7);
    WriteTextFile(dir + "/sent.dat", sent);
    std::string out;
    EXPECT_EQ(Veltra(sim, Link::Tcp, {"params", "send", dir + "/sent.dat"}, &out), 4) << out;
    const unsigned y = FileWord(sent, 16 + 6 * 4 + 1);
    EXPECT_TRUE(Has(out, "row 4 Y/i: sent " + std::to_string(y) + ", read " + std::to_string((y + 1) & 0xFFFF))) << out;
    EXPECT_EQ(Count(out, ": sent "), 1) << out;
}

// Frames as CSV and as JSON lines with the simulator's fixed temperature;
// Ctrl-C ends the loop with 130.
TEST(VeltraLive, CsvJsonLinesAndCtrlCOverTcp)
{
    SimProcess sim({"--version-text", kVersion, "--temperature", "30"}, true, false);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(Veltra(sim, Link::Tcp, {"live", "--count", "3"}, &out), 0) << out;
    EXPECT_EQ(out.rfind("time,R,G,B,X,Y,INT,COL,TEMP,GROUP\n", 0), 0u) << out;
    EXPECT_EQ(Matches(out, R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z(,\d+){7},30,\d+\n)"), 3) << out;
    ASSERT_EQ(Veltra(sim, Link::Tcp, {"--format", "jsonl", "live", "--count", "2"}, &out), 0) << out;
    EXPECT_EQ(Matches(out, R"(\{"time":"[-0-9T:.]+Z","R":\d+,"G":\d+,"B":\d+,"X":\d+,"Y":\d+,"INT":\d+,"COL":\d+,)"
                           R"("TEMP":30,"GROUP":\d+\}\n)"),
              2)
        << out;
    EXPECT_EQ(Veltra(sim, Link::Tcp, {"live"}, &out, "1.5"), kInterrupted) << out;
    EXPECT_GE(Count(out, ",30,"), 5) << out;
}

// Tables from an equation file over the pty (the upload's telegrams are
// checked in e2e_tempcomp_upload): a wrong stored factor is named (exit 4).
TEST(VeltraTempComp, UploadReadsBackAndNamesAWrongFactor)
{
    const std::string dir = MakeTempDir();
    WriteTextFile(dir + "/eq.equ",
                  "0\r\n0\r\n0\r\n1\r\n500\r\n0\r\n0\r\n0.01\r\n2\r\n900\r\n0\r\n0\r\n0\r\n0\r\n1000\r\n");
    // Green block 2, word 5: factor 22.
    SimProcess sim({"--version-text", kVersion, "--fault", "miswrite:order=41:nth=3:word=5"}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    EXPECT_EQ(Veltra(sim, Link::Pty, {"tempcomp", "upload", dir + "/eq.equ"}, &out), 4) << out;
    EXPECT_TRUE(Has(out, "green factor 22: sent ")) << out;
    EXPECT_EQ(Count(out, ": sent "), 1) << out;
}

// ---- the commands' exchanges against the reply faults -----------------------------

struct FaultCase {
    const char *name;
    Link link;
    const char *fault; // the simulator's --fault rule ("" none)
    const char *args;  // blank-separated; %D stands for the case's directory
    int exit;
    const char *message;
    bool creates = false; // out.dat is there afterwards (else the directory is as before)
};

// One row per kind of outcome (the fault matrix drives every fault kind):
// what the command says, its exit status and the files.
const FaultCase kFaultCases[] = {
    {"GetShortRow", Link::Tcp, "short:bytes=20:order=4:nth=7", "params get %D/out.dat", 1,
     "no complete reply to order 4 (row 6)"},
    {"GetSplitOnTcp", Link::Tcp, "split:ms=100:order=3", "params get %D/out.dat", 0, "", true},
    {"GetEepromBadEcho", Link::Pty, "badecho:order=8", "params get --eeprom %D/keep.dat", 1,
     "EEPROM load (order 8) with a wrong echo"},
    {"SendEepromNoConfirmation", Link::Pty, "noreply:order=6", "params send --eeprom %D/keep.dat", 1,
     "did not confirm the EEPROM store (order 6): no complete reply"},
    {"SendEepromBadEcho", Link::Tcp, "badecho:order=6", "params send --eeprom %D/keep.dat", 1,
     "did not confirm the EEPROM store (order 6): wrong echo"},
    {"SendVerifyNoReply", Link::Tcp, "noreply:order=3", "params send %D/keep.dat", 1, "no complete reply to order 3"},
    {"SendRefusesAFile", Link::Pty, "", "params send %D/bad.dat", 3, "not a parameter file"},
    {"GetUnwritable", Link::Pty, "", "params get %D/no/such/dir.dat", 3, "cannot be written"},
    {"GetCtrlC", Link::Pty, "delay:ms=2500:order=4:nth=10", "params get %D/out.dat", kInterrupted, "stopped"},
    {"LiveNoReply", Link::Pty, "noreply:order=5:nth=2", "live --count 3", 1, "no complete data frame"},
    {"LiveBadCount", Link::Tcp, "", "live --count 0", 2, "--count"},
    {"TempCompNoReply", Link::Tcp, "noreply:order=45", "tempcomp upload %D/eq.equ", 1, "order 45"},
    {"TempCompRefusesAFile", Link::Pty, "", "tempcomp upload %D/bad.dat", 3, "not an equation file"},
    // The loader's commands: a backup that fails leaves the file it was to replace.
    {"BackupShort", Link::Tcp, "short:bytes=20:order=184:nth=100", "backup %D/keep.dat", 1, "could not be read"},
    {"BackupUnwritable", Link::Pty, "", "backup %D/no/such/dir.dat", 3, "cannot be written"},
    {"BackupCtrlC", Link::Pty, "delay:ms=2500:order=184:nth=10", "backup %D/keep.dat", kInterrupted,
     "no file was written"},
    {"RestoreBadEcho", Link::Tcp, "badecho:order=182:nth=40", "restore %D/eeprom.dat", 1, "failed part-way"},
    {"RestoreJumpBadEcho", Link::Pty, "badecho:order=187", "restore %D/eeprom.dat", 1,
     "answered the closing jump order wrongly"},
    {"RestoreRefusesAFile", Link::Pty, "", "restore %D/keep.dat", 3, "202 numbers instead of 3328"},
    {"IdentifyLoaderNoReply", Link::Tcp, "noreply:order=7", "identify --loader", 1, "gave no identification"},
    {"FlashRefusesAFile", Link::Pty, "", "flash %D/eeprom.dat", 3, "Line 1: it does not begin with S"},
    {"FlashOverTcp", Link::Tcp, "", "flash %D/eeprom.dat", 2, "needs a serial line"},
};

class VeltraFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(VeltraFaults, ExitStatusMessageAndNoFileChanged)
{
    const FaultCase &c = GetParam();
    std::vector<std::string> simArgs = {"--version-text", kVersion};
    if (*c.fault)
        simArgs.insert(simArgs.end(), {"--fault", c.fault});
    SimProcess sim(simArgs, c.link == Link::Tcp, c.link == Link::Pty);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    WriteTextFile(dir + "/keep.dat", ParameterFile(99));
    WriteTextFile(dir + "/bad.dat", ParameterFile(99) + "         1\r\n");
    WriteTextFile(dir + "/eq.equ", "0\n0\n0\n0\n1000\n0\n0\n0\n0\n1000\n0\n0\n0\n0\n1000\n");
    std::string backup; // an EEPROM backup file: 256 lines of 13 numbers
    for (int i = 0; i < 3328; ++i)
        backup += std::to_string(i) + (i % 13 == 12 ? "\r\n" : "\t");
    WriteTextFile(dir + "/eeprom.dat", backup);
    const std::set<std::string> before = FilesIn(dir);
    std::vector<std::string> args;
    std::istringstream words(std::regex_replace(c.args, std::regex("%D"), dir));
    for (std::string a; words >> a;)
        args.push_back(a);
    std::string out;
    EXPECT_EQ(Veltra(sim, c.link, args, &out, c.exit == kInterrupted ? "1.5" : ""), c.exit) << out;
    EXPECT_TRUE(Has(out, c.message)) << out;
    std::set<std::string> expected = before;
    if (c.creates)
        expected.insert("out.dat");
    EXPECT_EQ(FilesIn(dir), expected) << out;
    EXPECT_EQ(ReadTextFile(dir + "/keep.dat"), ParameterFile(99));
    if (c.exit == 3) {
        EXPECT_TRUE(sim.receivedOrders().empty()) << "a refused file sends nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, VeltraFaults, ::testing::ValuesIn(kFaultCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
