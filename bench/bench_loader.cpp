// The loader's three jobs against the simulator paced at the wire rate,
// measured from the simulator's log and set against the time the bytes need
// on the line:
//  - EEPROM backup: 256 exchanges of 36 + 36 bytes at 19200 baud = 9.6 s;
//  - EEPROM restore: 13 page and 256 block exchanges (10.09 s) plus the 13
//    pauses of 0.2 s after the page commands;
//  - firmware update of a 64 KB image: the S-record characters at 115200 baud
//    against the time from the first character to the boot firmware's
//    success text; then once more at a boot firmware that cannot keep up
//    (XON/XOFF), where nothing may be lost;
//  - the same jobs run by veltra (backup; restore with its read-back, whose
//    floor adds 256 block reads; flash without the backup before it).
#include "simproc.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kAppByteTime = 10.0 / 19200;
constexpr double kBootByteTime = 10.0 / 115200;

double field(const std::string &line, const char *key)
{
    const std::string k = std::string("\"") + key + "\":";
    const size_t p = line.find(k);
    return p == std::string::npos ? -1 : std::atof(line.c_str() + p + k.size());
}

bool has(const std::string &s, const std::string &what) { return s.find(what) != std::string::npos; }

int runLoader(const SimProcess &sim, const std::string &dir, const std::string &script)
{
    const std::string exe = InstallCopy("QuillonV20", dir);
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    std::string out;
    const int rc =
        RunProgram(exe, {"--ui-script", path}, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + sim.ptyLink}, 90, &out);
    if (rc != 0)
        std::fprintf(stderr, "loader ended with %d:\n%s\n", rc, out.c_str());
    return rc;
}

// From the first request of the first order received to the end of the last
// reply of the last order sent.
double span(const SimProcess &sim, int firstOrder, int lastOrder)
{
    double first = -1, last = -1;
    const std::string rx = "\"dir\":\"rx\",\"order\":" + std::to_string(firstOrder) + ",";
    const std::string tx = "\"dir\":\"tx\",\"order\":" + std::to_string(lastOrder) + ",";
    for (const std::string &l : sim.logLines()) {
        if (first < 0 && has(l, rx))
            first = field(l, "t") - 36 * kAppByteTime; // the request began 36 bytes earlier
        if (has(l, tx))
            last = field(l, "at") + 36 * kAppByteTime; // the reply is due at "at" and takes 36 bytes
    }
    return first < 0 || last < 0 ? -1 : last - first;
}

void eeprom()
{
    SimProcess sim({"--pace"}, false, true);
    const std::string dir = MakeTempDir();
    if (runLoader(sim, dir,
                  "file " + dir +
                      "/EEPROM_Backup.dat new\nclick MAINP ButtonReadEEPROM\n"
                      "waitfor MAINP DispStatus ~= Backup File has been created! 60\nquit 0\n") != 0)
        return;
    const double backup = span(sim, 184, 184), backupFloor = 256 * 72 * kAppByteTime;
    std::printf("EEPROM backup:  %.2f s, floor %.2f s, ratio %.3f (target <= 1.05)\n", backup, backupFloor,
                backup / backupFloor);

    SimProcess sim2({"--pace"}, false, true);
    if (runLoader(sim2, dir,
                  "file " + dir +
                      "/EEPROM_Backup.dat existing\nclick MAINP ButtonSaveEEPROM\n"
                      "waitfor MAINP DispStatus ~= Backup File has been saved to EEPROM! 60\nquit 0\n") != 0)
        return;
    const double restore = span(sim2, 180, 182), restoreFloor = 269 * 72 * kAppByteTime + 13 * 0.2;
    std::printf("EEPROM restore: %.2f s, floor %.2f s, ratio %.3f (target <= 1.05)\n", restore, restoreFloor,
                restore / restoreFloor);
}

int runVeltra(const SimProcess &sim, std::vector<std::string> args)
{
    args.insert(args.end(), {"--quiet", "--link", sim.ptyLink});
    std::string out;
    const int rc = RunProgram(BuiltProgram("veltra"), args, {"XDG_DATA_HOME=" + MakeTempDir()}, 120, &out);
    if (rc != 0)
        std::fprintf(stderr, "veltra %s ended with %d:\n%s\n", args[0].c_str(), rc, out.c_str());
    return rc;
}

void veltraEeprom()
{
    const std::string file = MakeTempDir() + "/backup.dat";
    SimProcess sim({"--pace"}, false, true);
    if (runVeltra(sim, {"backup", file}) != 0)
        return;
    const double backup = span(sim, 184, 184), backupFloor = 256 * 72 * kAppByteTime;
    std::printf("veltra backup:  %.2f s, floor %.2f s, ratio %.3f (target <= 1.05)\n", backup, backupFloor,
                backup / backupFloor);
    SimProcess sim2({"--pace"}, false, true);
    if (runVeltra(sim2, {"restore", file}) != 0)
        return;
    const double restore = span(sim2, 180, 184), restoreFloor = (269 + 256) * 72 * kAppByteTime + 13 * 0.2;
    std::printf("veltra restore with verify: %.2f s, floor %.2f s, ratio %.3f (target <= 1.05)\n", restore,
                restoreFloor, restore / restoreFloor);
}

// Characters of the file without its line ends: what goes on the line.
size_t lineChars(const std::string &path)
{
    size_t n = 0;
    for (char c : ReadTextFile(path))
        n += c != '\r' && c != '\n';
    return n;
}

void firmware(bool slowBoot, bool veltra = false)
{
    const std::string dir = MakeTempDir();
    std::string bin;
    for (int i = 0; i < 65536; ++i)
        bin.push_back(static_cast<char>((i * 7919 + (i >> 8)) & 0xFF));
    WriteTextFile(dir + "/fw.bin", bin);
    if (std::system(("cd " + dir + " && objcopy -I binary -O srec --srec-len=32 fw.bin fw.s").c_str()) != 0) {
        std::printf("firmware update: objcopy failed\n");
        return;
    }
    std::vector<std::string> args = {"--pace", "--fw-out", dir + "/image.bin"};
    // 10 ms a record is slower than the line brings them (76 characters take 6.6 ms).
    if (slowBoot)
        args.insert(args.end(), {"--flash-ms", "10", "--boot-buffer", "1024"});
    SimProcess sim(args, false, true);
    if (veltra ? runVeltra(sim, {"flash", dir + "/fw.s", "--no-backup"}) != 0
               : runLoader(sim, dir,
                           "file " + dir +
                               "/fw.s existing\nclick MAINP ButtonReadFW\nwaitfor MAINP ButtonArmPL dimmed == 0 10\n"
                               "click MAINP ButtonArmPL\n"
                               "waitfor MAINP DispStatus ~= Firmeware Update successful! 80\nquit 0\n") != 0)
        return;
    double first = -1, done = -1;
    int xoffs = 0;
    for (const std::string &l : sim.logLines()) {
        if (first < 0 && has(l, "\"dir\":\"rx\",\"mode\":\"boot\""))
            first = field(l, "t");
        if (has(l, "Application started from address"))
            done = field(l, "t");
        xoffs += has(l, "\"event\":\"xoff\"");
    }
    sim.stop();
    const size_t chars = lineChars(dir + "/fw.s");
    const double wire = static_cast<double>(chars) * kBootByteTime, took = done - first;
    const bool whole = ReadTextFile(dir + "/image.bin") == bin;
    if (!slowBoot)
        std::printf("%s (64 KB, %zu characters): %.2f s, line time %.2f s, ratio %.3f of the line rate "
                    "(target >= %s), image %s\n",
                    veltra ? "veltra flash" : "firmware update", chars, took, wire, wire / took,
                    veltra ? "0.95" : "0.90", whole ? "whole" : "DAMAGED");
    else
        std::printf("firmware update at a slow boot firmware: %.2f s, %d XOFF, image %s (target: nothing lost)\n", took,
                    xoffs, whole ? "whole" : "DAMAGED");
}

} // namespace

int main(int, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The figures count scheduling delays of this machine as line time.
    std::printf("load average at the start: %s", ReadTextFile("/proc/loadavg").c_str());
    // The programs lie beside this benchmark.
    std::string self = argv[0];
    const std::string binDir = self.find('/') == std::string::npos ? "." : self.substr(0, self.rfind('/'));
    setenv("VELT_BIN_DIR", binDir.c_str(), 0);
    eeprom();
    firmware(false);
    firmware(true);
    veltraEeprom();
    firmware(false, true);
    return 0;
}
