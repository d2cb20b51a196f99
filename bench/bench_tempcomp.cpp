// The whole Send CF job of VeltTempCompV61 (upload, reconnect, read-back)
// against the simulator paced at 19200 baud on a pseudo-terminal, compared
// with its floor: the wire time of every byte the job moves plus the fixed
// pauses of the upload (0.2 s after the start order, 0.05 s after each of
// the 62 blocks). Target: at most 1.10 times the floor.
//
// The real program runs offscreen with a UI script; the job's start and end
// are taken from the simulator's telegram log: from the moment the start
// order began to arrive to the moment the last cube-root reply has left.
#include "bench_util.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kBaud = 19200;
constexpr double kByteSeconds = 10.0 / kBaud; // start bit, 8 data bits, stop bit
constexpr int kTelegram = 36;
constexpr double kPauses = 0.2 + 62 * 0.05;
constexpr double kTarget = 1.10;
const char *const kVersion = "BENCH TEMPCOMP V6.1";

// Starts the paced simulator on a pseudo-terminal; true once it is up.
bool StartSim(const std::string &bin, const std::string &dir, pid_t *pid)
{
    return !StartSimUntil(bin, {"--pty", dir + "/tty", "--pace", "--log", dir + "/sim.log", "--version-text", kVersion},
                          "PTY ", pid)
                .empty();
}

// A number field of a JSON log line ("t", "at").
double Field(const std::string &line, const std::string &name)
{
    const std::string key = "\"" + name + "\":";
    const size_t p = line.find(key);
    return p == std::string::npos ? -1 : std::atof(line.c_str() + p + key.size());
}

} // namespace

int main(int, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    char tmpl[] = "/tmp/benchtempcomp.XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::fprintf(stderr, "bench_tempcomp: no temporary directory\n");
        return 1;
    }
    const std::string dir = tmpl;
    pid_t sim = -1;
    if (!StartSim(bin, dir, &sim)) {
        std::fprintf(stderr, "bench_tempcomp: the simulator did not start (%s/veltsim)\n", bin.c_str());
        return 1;
    }
    {
        std::ofstream s(dir + "/script.txt");
        s << "waitfor P DispStatus == " << kVersion << " 10\n"
          << "set P EditRX2 -0.02\nset P EditRX1 1.5\nset P EditRT 1000\n"
             "set P EditGX1 1\nset P EditGT 500\nset P EditRefG 500\n"
             "set P EditBX3 1e-4\nset P EditBT 900\n"
             "click P ButtonSendCF\n"
             "waitfor P DispResult == SUCCESS 60\n"
             "quit 0\n";
    }
    // The program is installed in the temporary directory so that its own
    // files (IP history) stay out of the build tree.
    std::system(("cp '" + bin + "/VeltTempCompV61' '" + bin + "/VeltTempCompV61.uir' '" + dir + "/'").c_str());
    std::system(("cp '" + bin + "'/*.png '" + dir + "/' 2>/dev/null").c_str());
    const pid_t prog = Spawn({dir + "/VeltTempCompV61", "--ui-script", dir + "/script.txt"}, -1,
                             {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + dir + "/tty"});
    int status = 0;
    waitpid(prog, &status, 0);
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_tempcomp: the job did not end with SUCCESS (exit status %d); log in %s\n",
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1, dir.c_str());
        return 1;
    }

    // The job: from the start order to the end of the last reply.
    double start = -1, lastReply = -1;
    int requests = 0, replyBytes = 0;
    std::ifstream log(dir + "/sim.log");
    for (std::string l; std::getline(log, l);) {
        const bool rx = l.find("\"dir\":\"rx\"") != std::string::npos,
                   tx = l.find("\"dir\":\"tx\"") != std::string::npos;
        if (rx && start < 0 && l.find("\"order\":43,") != std::string::npos)
            start = Field(l, "t") - kTelegram * kByteSeconds; // when its first byte went out
        if (start < 0)
            continue;
        if (rx)
            ++requests;
        if (tx) {
            const size_t h = l.find("\"hex\":\"");
            const size_t bytes = h == std::string::npos ? 0 : (l.find('"', h + 7) - (h + 7)) / 2;
            replyBytes += static_cast<int>(bytes);
            lastReply = Field(l, "at") + static_cast<double>(bytes) * kByteSeconds;
        }
    }
    if (start < 0 || lastReply < start || requests != 69) {
        std::fprintf(stderr, "bench_tempcomp: unexpected log (%d requests); see %s\n", requests, dir.c_str());
        return 1;
    }
    const double job = lastReply - start;
    const double wire = (requests * kTelegram + replyBytes) * kByteSeconds;
    const double floor = wire + kPauses;
    const double ratio = job / floor;
    std::printf("Send CF job at 19200 baud: %.3f s; floor %.3f s (wire %.3f s for %d requests and %d reply bytes, "
                "pauses %.3f s)\n",
                job, floor, wire, requests, replyBytes, kPauses);
    std::printf("ratio %.3f (target <= %.2f) %s\n", ratio, kTarget, ratio <= kTarget ? "OK" : "ABOVE TARGET");
    std::system(("rm -rf '" + dir + "'").c_str());
    return ratio <= kTarget ? 0 : 1;
}
