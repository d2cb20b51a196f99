// QuillonV20 and veltra's loader commands against the simulated sensor on a
// pseudo-terminal: identification, EEPROM backup and restore, firmware updates
// with tool-made files, the boot firmware's errors and pacing, Disarm PL,
// Ctrl-C and resume. Reply faults are rows of the fault matrix.
#include "e2e.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRegionWords = 3328;
constexpr unsigned kRegionStart = 0x1200;

// veltra's loader commands against the simulator on the pty; returns the
// exit status, stdout and stderr in *out.
int Veltra(const SimProcess &sim, std::vector<std::string> args, std::string *out, std::vector<std::string> env = {})
{
    args.insert(args.end(), {"--quiet", "--link", sim.ptyLink});
    return RunProgram(BuiltProgram("veltra"), args, env, 150, out);
}

// Exit status 130 (Ctrl-C) as RunProgram gives it: a signed byte.
constexpr int kCtrlC = static_cast<signed char>(130);

// As Veltra, with Ctrl-C (SIGINT) sent once `ready` holds.
int VeltraInterrupted(const SimProcess &sim, std::vector<std::string> args, std::string *out,
                      const std::vector<std::string> &env, const std::function<bool()> &ready)
{
    std::atomic<int> pid {0};
    std::atomic<bool> done {false};
    std::thread ctrlC([&] {
        while (!done && (pid == 0 || !ready()))
            usleep(20000);
        if (!done)
            kill(pid, SIGINT);
    });
    // The shell says its process number and becomes veltra.
    args.insert(args.begin(), {"-c", "echo PID $$; exec \"$0\" \"$@\"", BuiltProgram("veltra")});
    args.insert(args.end(), {"--link", sim.ptyLink});
    const int rc = RunProgramWatched("/bin/sh", args, env, 150, out, [&](const std::string &line) {
        if (line.rfind("PID ", 0) == 0)
            pid = std::atoi(line.c_str() + 4);
    });
    done = true;
    ctrlC.join();
    return rc;
}

// A text as a script's print shows it: line feeds written as \n.
std::string esc(std::string text)
{
    for (size_t i = 0; (i = text.find('\n', i)) != std::string::npos; i += 2)
        text.replace(i, 1, "\\n");
    return text;
}

bool shown(const std::string &out, const std::string &text) { return Has(out, esc(text)); }

// Clicks a button and waits until its command is over (its buttons undimmed).
std::string Click(const std::string &button)
{
    return "click MAINP " + button + "\nwaitfor MAINP " + button + " dimmed == 0 150\n";
}

unsigned sensorPattern(int i) { return static_cast<unsigned>((i * 40503 + 7) & 0xFFFF); }
unsigned filePattern(int i) { return static_cast<unsigned>((i * 977 + 65000) & 0xFFFF); }

// The words of the backup region in a state file of the simulator.
std::vector<unsigned> RegionOfState(const std::string &path)
{
    std::vector<unsigned> region(kRegionWords, 0x10000);
    std::istringstream in(ReadTextFile(path));
    std::string line, tag, addr;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        if (!(l >> tag >> addr) || tag != "eeprom")
            continue;
        unsigned a = static_cast<unsigned>(std::stoul(addr, nullptr, 16));
        std::string w;
        for (; l >> w; ++a)
            if (a >= kRegionStart && a < kRegionStart + kRegionWords)
                region[a - kRegionStart] = static_cast<unsigned>(std::stoul(w, nullptr, 16));
    }
    return region;
}

// A state file whose backup region holds sensorPattern: the simulator's
// factory state with one more line, which the simulator reads last.
std::string StateWithRegion(const std::string &dir)
{
    const std::string path = dir + "/state.txt";
    {
        SimProcess seed({"--state", path}, false, true);
        seed.stop();
    }
    std::string region = "eeprom 1200";
    char word[8];
    for (int i = 0; i < kRegionWords; ++i) {
        std::snprintf(word, sizeof word, " %04x", sensorPattern(i));
        region += word;
    }
    return WriteTextFile(path, ReadTextFile(path) + region + "\n");
}

std::string BackupText(unsigned (*value)(int), int numbers = kRegionWords)
{
    std::string s;
    for (int i = 0; i < numbers; ++i)
        s += std::to_string(value(i)) + (i % 13 == 12 || i == numbers - 1 ? "\r\n" : "\t");
    return s;
}

struct Loader {
    std::string dir = MakeTempDir();
    std::string out;
    int run(const SimProcess &sim, const std::string &script, std::vector<std::string> env = {})
    {
        const std::string exe = InstallCopy("QuillonV20", dir);
        const std::string path = WriteTextFile(dir + "/script.txt", script);
        env.push_back("QT_QPA_PLATFORM=offscreen");
        env.push_back("VELTRA_COM1=" + sim.ptyLink);
        return RunProgram(exe, {"--ui-script", path}, env, 150, &out);
    }
};

// Runs a shell command; true when it exits 0.
bool Shell(const std::string &cmd) { return std::system(cmd.c_str()) == 0; }

// A binary of n bytes and its S-record file made by a tool, in dir.
std::string MakeBinary(const std::string &dir, int n)
{
    std::string bin;
    for (int i = 0; i < n; ++i)
        bin.push_back(static_cast<char>((i * 131 + i / 256 * 7) & 0xFF));
    return WriteTextFile(dir + "/fw.bin", bin);
}

// The firmware update of a file, until a text shows in the status window.
std::string UpdateScript(const std::string &file)
{
    return "file " + file + " existing\n" + Click("ButtonReadFW") + Click("ButtonArmPL") +
           "print MAINP DispStatus\nprint MAINP DispProgress\nquit 0\n";
}

} // namespace

// (A missing answer is a row of the fault matrix.)
TEST(Loader, IdentifiesTextsOf36And48And72Bytes)
{
    for (int length : {36, 48, 72}) {
        const std::string text = "IDENT " + std::to_string(length) + std::string(static_cast<size_t>(length - 12), 'x');
        SimProcess sim({"--id-length", std::to_string(length), "--version-text", text}, false, true);
        ASSERT_TRUE(sim.ok());
        Loader l;
        ASSERT_EQ(l.run(sim, "print MAINP DispStatus\nquit 0\n"), 0) << l.out;
        EXPECT_TRUE(shown(l.out, "It is STRONGLY recommended to UPDATE the FIRMWARE according to the MANUAL!\n\n" +
                                     text + "\n"))
            << l.out;
    }
}

// The backup file holds the sensor's region word for word; a damaged file is
// refused before anything is sent, a sound one goes word for word into the region.
TEST(Loader, BackupEqualsTheSensorRegionThenRestoreWritesAFileIntoIt)
{
    const std::string dir = MakeTempDir();
    const std::string state = StateWithRegion(dir);
    SimProcess sim({"--state", state}, false, true);
    ASSERT_TRUE(sim.ok());
    Loader l;
    const std::string backup = l.dir + "/EEPROM_Backup.dat";
    const std::string bad = WriteTextFile(l.dir + "/bad.dat", BackupText(filePattern, 3327));
    const std::string file = WriteTextFile(l.dir + "/restore.dat", BackupText(filePattern));
    ASSERT_EQ(l.run(sim, "file " + backup + " new\n" + Click("ButtonReadEEPROM") +
                             "print MAINP DispProgress\nprint MAINP DispEEPROMTransferFile\n" + "file " + bad +
                             " existing\n" + Click("ButtonSaveEEPROM") + "file " + file + " existing\n" +
                             Click("ButtonSaveEEPROM") + "print MAINP DispStatus\nprint MAINP DispProgress\nquit 0\n"),
              0)
        << l.out;
    EXPECT_TRUE(shown(l.out, " \nSuccess! \nBackup File has been created! \n")) << l.out;
    EXPECT_TRUE(Has(l.out, "MAINP.DispProgress=0\nMAINP.DispEEPROMTransferFile=" + backup)) << l.out;
    EXPECT_EQ(ReadTextFile(backup), BackupText(sensorPattern));
    EXPECT_TRUE(shown(l.out, "bad.dat cannot be restored: \nThe file holds 3327 numbers instead of 3328. \n \nFailure! "
                             "\nBackup File has not been saved to EEPROM!\n"))
        << l.out;
    EXPECT_EQ(Count(l.out, "MAINP.DispProgress=0\n"), 2) << l.out;
    // The refused file sent no page, block or jump.
    std::vector<int> orders = Repeat(Repeat(Repeat({7}, 184, 256), 180, 13), 182, 256);
    orders.push_back(187);
    EXPECT_EQ(sim.receivedOrders(), orders);
    sim.stop();
    std::vector<unsigned> expected(kRegionWords);
    for (int i = 0; i < kRegionWords; ++i)
        expected[static_cast<size_t>(i)] = filePattern(i);
    EXPECT_EQ(RegionOfState(state), expected);
}

// The firmware tests: a binary, its S-record file made by a tool, and the
// image the simulator wrote when the boot firmware accepted the file.
struct FirmwareRun {
    std::string dir = MakeTempDir();
    std::string bin, image = dir + "/image.bin";
    explicit FirmwareRun(int bytes) : bin(MakeBinary(dir, bytes)) {}
    std::string file() const { return dir + "/fw.s"; }
    bool objcopy() const { return Shell("cd " + dir + " && objcopy -I binary -O srec fw.bin fw.s"); }
    // The image the boot firmware wrote is the binary.
    bool imageWhole() const { return ReadTextFile(image) == ReadTextFile(bin); }
    std::vector<std::string> args(std::vector<std::string> more = {}) const
    {
        more.insert(more.begin(), {"--fw-out", image});
        return more;
    }
};

// A srec_cat file with CR LF line ends, the boot texts among 6000 bytes of
// other text and NULs: the image arrives whole, the records back to back.
TEST(Loader, FirmwareUpdateWithASrecCatFileAmongNoisyBootText)
{
    FirmwareRun fw(3000);
    ASSERT_TRUE(
        Shell("cd " + fw.dir +
              " && srec_cat fw.bin -binary -offset 0x4000 -execution-start-address=0x4000 -o fw.lf -motorola && "
              "sed 's/$/\\r/' fw.lf > fw.s"));
    ASSERT_TRUE(Has(ReadTextFile(fw.file()), "\r\n"));
    SimProcess sim(fw.args({"--fault", "boottext:bytes=6000", "--fault", "bootnul", "--pace"}), false, true);
    ASSERT_TRUE(sim.ok());
    Loader l;
    ASSERT_EQ(l.run(sim, UpdateScript(fw.file())), 0) << l.out;
    EXPECT_TRUE(shown(l.out, " \nFile loaded: \n" + fw.file() + "\n")) << l.out;
    EXPECT_TRUE(Has(l.out, "boot: sector erased")) << l.out;
    EXPECT_TRUE(Has(l.out, "MAINP.DispProgress=0\n")) << l.out;
    sim.stop();
    EXPECT_TRUE(fw.imageWhole());
    const auto orders = sim.receivedOrders();
    ASSERT_GE(orders.size(), 3u);
    EXPECT_EQ(orders[1], 187);
    EXPECT_EQ(orders.back(), 7);
    for (const std::string &line : sim.logLines()) {
        const bool bootInput = Has(line, "\"mode\":\"boot\"") && Has(line, "\"dir\":\"rx\"");
        EXPECT_FALSE(bootInput && (Has(line, "\\r") || Has(line, "\\n"))) << line;
    }
}

TEST(Loader, FirmwareUpdateReportsTheBootFirmwaresError)
{
    FirmwareRun fw(600);
    ASSERT_TRUE(fw.objcopy());
    SimProcess sim(fw.args({"--fault", "srecerror:nth=3"}), false, true);
    ASSERT_TRUE(sim.ok());
    Loader l;
    ASSERT_EQ(l.run(sim, UpdateScript(fw.file())), 0) << l.out;
    EXPECT_TRUE(Has(l.out, "Error # 02")) << l.out;
    EXPECT_FALSE(Has(l.out, "successful"));
    EXPECT_TRUE(Has(l.out, "MAINP.DispProgress=0\n"));
}

TEST(Loader, XonXoffHoldsTheTransferAtASlowBootFirmware)
{
    // About 40 KB of S-records; the boot firmware needs 6 ms per record of
    // 44 characters (the line brings one in 3.8 ms) and buffers 1024 bytes,
    // so it stops the line again and again.
    FirmwareRun fw(16000);
    ASSERT_TRUE(fw.objcopy());
    ASSERT_GT(ReadTextFile(fw.file()).size(), 40000u);
    SimProcess sim(fw.args({"--pace", "--flash-ms", "6", "--boot-buffer", "1024"}), false, true);
    ASSERT_TRUE(sim.ok());
    Loader l;
    ASSERT_EQ(l.run(sim, UpdateScript(fw.file())), 0) << l.out;
    sim.stop();
    EXPECT_TRUE(fw.imageWhole()); // nothing lost
    // The loader hands bytes to the line at its pace: at the first XOFF
    // little is on its way (a loader running ahead fills the 4 KB of the
    // pseudo-terminal at once). Between XOFF and XON the sensor reads nothing,
    // so what waits on the line grows only by what was sent before XOFF
    // arrived. (Later the sensor, reading only what fits its buffer, leaves
    // more and more on the line.)
    // A loader that ignored XOFF would overrun nearly every pause; a busy
    // machine may let a few pauses start late, so most must hold.
    int pairs = 0, held = 0;
    long atXoff = -1;
    for (const std::string &line : sim.logLines()) {
        if (!Has(line, "\"event\":\"flow-sent\""))
            continue;
        const long pending = std::atol(line.c_str() + line.find("\"pending\":") + 10);
        if (Has(line, "\"byte\":\"xoff\"")) {
            if (pairs == 0) {
                EXPECT_LE(pending, 1024) << line;
            }
            atXoff = pending;
        } else if (atXoff >= 0) {
            if (pending <= atXoff + 256)
                ++held;
            else
                std::printf("pause not held: %s\n", line.c_str());
            ++pairs;
            atXoff = -1;
        }
    }
    EXPECT_GE(pairs, 5);
    EXPECT_GE(held * 5, pairs * 4) << held << " of " << pairs << " pauses held";
}

TEST(Loader, FirmwareFilesThatCannotBeSentAreRefusedBeforeTheJump)
{
    SimProcess sim({}, false, true);
    ASSERT_TRUE(sim.ok());
    Loader l;
    ASSERT_TRUE(Shell("cd " + l.dir + " && head -c 600 /dev/zero > fw.bin && objcopy -I binary -O srec fw.bin fw.s"));
    const std::string good = ReadTextFile(l.dir + "/fw.s");
    std::string flipped = good;
    flipped[flipped.find("\nS1") + 12] ^= 1; // one digit of the first data record
    // name, content, what the status window names (the kinds of damage are
    // the check's unit test)
    const std::vector<std::vector<std::string>> files = {
        {"backup.s", BackupText(filePattern), "Line 1: it does not begin with S, so it is no S-record."},
        {"flipped.s", flipped, "Line 2: the checksum is wrong"},
    };
    // First TRY TO CONNECT on a COM number without a device, and back on COM1.
    std::string script = "set MAINP EditSelectComPort 9\n" + Click("ButtonTryToConnect") +
                         "set MAINP EditSelectComPort 1\n" + Click("ButtonTryToConnect") + Click("ButtonArmPL") +
                         "file " + l.dir + "/gone.s existing\n" + Click("ButtonReadFW") + Click("ButtonArmPL");
    for (const auto &f : files)
        script += "file " + WriteTextFile(l.dir + "/" + f[0], f[1]) + " existing\n" + Click("ButtonReadFW") +
                  Click("ButtonArmPL");
    script += "file " + l.dir + "/flipped.s cancel\n" + Click("ButtonReadFW") + Click("ButtonArmPL");
    ASSERT_EQ(l.run(sim, script + "print MAINP DispStatus\nquit 0\n", {"VELTRA_COM9=/nonexistent/tty"}), 0) << l.out;
    EXPECT_TRUE(shown(l.out, "V6.1\nNo serial port found\nVELTSIM COLOUR SENSOR V6.1\n")) << l.out;
    EXPECT_EQ(Count(l.out, esc(" \nATTENTION! \nNo Firmware file was specified. \n")), 2) << l.out;
    EXPECT_TRUE(shown(l.out, "gone.s cannot be used: \nThe file does not exist any more."));
    for (const auto &f : files)
        EXPECT_TRUE(shown(l.out, f[0] + " cannot be used: \n" + f[2])) << f[0];
    EXPECT_EQ(Count(l.out, esc(" \nFirmware Update will not be done! \n")), 3);
    EXPECT_EQ(sim.receivedOrders(), (std::vector<int> {7, 7})); // the sensor never left its application
}

TEST(Loader, DisarmPlEndsTheWaitForTheBootFirmware)
{
    FirmwareRun fw(300);
    ASSERT_TRUE(fw.objcopy());
    // The application does not answer the jump; the user would reset the sensor.
    SimProcess sim(fw.args({"--fault", "nojump:reset_ms=60000"}), false, true);
    ASSERT_TRUE(sim.ok());
    Loader l;
    ASSERT_EQ(l.run(sim, "file " + fw.dir + "/fw.s existing\n" + Click("ButtonReadFW") +
                             "click MAINP ButtonArmPL\n"
                             "waitfor MAINP DispStatus ~= Waiting for HARDWARE RESET! 20\n"
                             "click MAINP ButtonDisarmPL\n"
                             "waitfor MAINP ButtonArmPL dimmed == 0 20\n"
                             "print MAINP DispStatus\nquit 0\n"),
              0)
        << l.out;
    EXPECT_TRUE(shown(l.out, "\nCONNECTION FAILURE \nWaiting for HARDWARE RESET! \nFirmeware Update aborted! \n"))
        << l.out;
    for (const std::string &line : sim.logLines())
        EXPECT_FALSE(Has(line, "\"mode\":\"boot\"") && Has(line, "\"dir\":\"rx\"")) << line; // nothing sent
}

// ---- veltra's loader commands: backup, restore, flash, identify --loader ----

// The loader's identification (48 bytes, NUL-padded), a backup, and a restore
// whose read-back finds the one word the sensor stored wrongly (it echoed it right).
TEST(Veltra, BackupThenRestoreWhoseVerifyFindsAWrongWord)
{
    const std::string dir = MakeTempDir();
    SimProcess sim(
        {"--state", StateWithRegion(dir), "--id-length", "48", "--fault", "miswrite:order=182:nth=40:word=6"}, false,
        true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(Veltra(sim, {"identify", "--loader"}, &out), 0) << out;
    EXPECT_EQ(out, "VELTSIM COLOUR SENSOR V6.1\n");
    const std::string file = dir + "/backup.dat";
    ASSERT_EQ(Veltra(sim, {"backup", file}, &out), 0) << out;
    EXPECT_EQ(ReadTextFile(file), BackupText(sensorPattern));
    const std::string other = WriteTextFile(dir + "/restore.dat", BackupText(filePattern));
    EXPECT_EQ(Veltra(sim, {"restore", other}, &out), 4) << out;
    EXPECT_TRUE(Has(out, "block 39 (0x13FB-0x1407)")) << out;
    EXPECT_EQ(Count(out, "(0x"), 1) << out; // no other block named
    // Read back before the jump order, which is not sent then.
    EXPECT_EQ(sim.receivedOrders(), Repeat(Repeat(Repeat(Repeat({7}, 184, 256), 180, 13), 182, 256), 184, 256));
}

// Flash backs the EEPROM up first; the jump is not answered (the boot
// firmware starts 6 s later, as after a hardware reset): Ctrl-C tells how to
// resume, and the resumed update sends no second jump order.
TEST(Veltra, FlashBacksUpTheEepromFirstAndResumesAfterCtrlC)
{
    FirmwareRun fw(2000);
    ASSERT_TRUE(fw.objcopy());
    SimProcess sim(fw.args({"--state", StateWithRegion(fw.dir), "--fault", "nojump:reset_ms=6000"}), false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + MakeTempDir()};
    const std::string backups = env[0].substr(env[0].find('=') + 1) + "/veltra/backups";
    EXPECT_EQ(
        VeltraInterrupted(sim, {"flash", fw.file()}, &out, env, [&] { return Count(sim.receivedOrders(), 187) == 1; }),
        kCtrlC)
        << out;
    EXPECT_TRUE(Has(out, "To resume: reset the sensor by hand and run veltra flash " + fw.file() + " --resume")) << out;
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(backups))
        names.push_back(e.path().filename().string());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind("VELTSIM-COLOUR-SENSOR-V6.1-2", 0), 0u) << names[0];
    EXPECT_EQ(names[0].size(), std::string("VELTSIM-COLOUR-SENSOR-V6.1-20261207T061500Z.dat").size());
    EXPECT_EQ(ReadTextFile(backups + "/" + names[0]), BackupText(sensorPattern));
    ASSERT_EQ(Veltra(sim, {"flash", fw.file(), "--resume"}, &out, env), 0) << out;
    std::vector<int> orders = sim.receivedOrders();
    EXPECT_EQ(Count(orders, 187), 1); // no second jump order
    orders.resize(std::min<size_t>(orders.size(), 258));
    EXPECT_EQ(orders, Repeat(Repeat({7}, 184, 256), 187, 1));
    sim.stop();
    EXPECT_TRUE(fw.imageWhole());
}
