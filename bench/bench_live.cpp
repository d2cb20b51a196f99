// Live data loop of Veltv61 against the simulator over loopback TCP: the
// frame rate compared with the bound that the 50 ms pause and the measured
// round trip allow (target >= 95 %), and the program's CPU use while the loop
// runs (target < 10 % of one core). Then `veltra live` over the same line:
// its frame rate against Veltv61's (target >= 95 %).
//
// The real program runs offscreen with a UI script (connect over TCP, Go,
// wait, Stop, quit); veltra runs for the same time and ends with Ctrl-C.
// Frames are counted in the simulator's telegram log and the CPU time is
// sampled from /proc while the frames arrive.
#include "bench_util.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kPauseSeconds = 0.050;
constexpr double kGoSeconds = 5.0;
constexpr int kRoundTrips = 200;

// One loop watched until its process ends; false (with a message) without frames.
bool Watch(pid_t pid, const std::string &log, const char *name, FrameLoop *loop)
{
    int status = 0;
    if (WatchFrames(pid, log, loop, &status))
        return true;
    std::fprintf(stderr, "bench_live: %s fetched no live frames (exit status %d)\n", name, status);
    return false;
}

} // namespace

int main(int, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    char tmpl[] = "/tmp/benchlive.XXXXXX";
    const std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    const std::string log = dir + "/sim.log";
    pid_t sim = -1;
    const int port = StartTcpSim(bin, log, &sim);
    if (port <= 0) {
        std::fprintf(stderr, "bench_live: the simulator did not start (%s/veltsim)\n", bin.c_str());
        return 1;
    }
    const double rtt = MeasureRoundTrip(port, kRoundTrips);
    if (rtt <= 0) {
        std::fprintf(stderr, "bench_live: round trip measurement failed\n");
        kill(sim, SIGTERM);
        return 1;
    }
    const std::string script = dir + "/script.txt";
    {
        std::ofstream s(script);
        s << "click P ButtonConnect\n"
             "set INTERFACEP EditCommunicationProtocol 1\n"
             "set INTERFACEP StringIpAdress 127.0.0.1\n"
             "set INTERFACEP StringPortNumber "
          << port
          << "\n"
             "click INTERFACEP ButtonTryToConnect\n"
             "waitfor INTERFACEP DispConnectionStatus == VELTSIM COLOUR SENSOR V6.1 10\n"
             "wait 1\n"
             "click INTERFACEP ButtonAccept\n"
             "click P ButtonGo\n"
             "wait "
          << kGoSeconds
          << "\n"
             "click P ButtonStop\n"
             "wait 0.5\n"
             "quit 0\n";
    }
    const pid_t prog = Spawn({bin + "/Veltv61", "--ui-script", script}, -1,
                             {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=/nonexistent/tty"});
    FrameLoop program;
    if (!Watch(prog, log, "Veltv61", &program)) {
        kill(sim, SIGTERM);
        return 1;
    }
    // veltra over the same line for as long, then Ctrl-C.
    const pid_t tool = Spawn({bin + "/veltra", "--quiet", "--link", "tcp:127.0.0.1:" + std::to_string(port), "live"});
    std::thread interrupt([tool] {
        std::this_thread::sleep_for(std::chrono::duration<double>(kGoSeconds));
        kill(tool, SIGINT);
    });
    FrameLoop cli;
    const bool toolSeen = Watch(tool, log, "veltra", &cli);
    interrupt.join();
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    if (!toolSeen)
        return 1;

    const double bound = 1.0 / (kPauseSeconds + rtt);
    const double rateRatio = program.rate / bound, cpuRatio = program.cpuShare;
    const double toolRatio = cli.rate / program.rate;
    std::printf("round trip %.3f ms; bound with the 50 ms pause %.2f frames/s\n", rtt * 1e3, bound);
    std::printf("Veltv61 live loop over TCP: %d frames in %.2f s = %.2f frames/s\n", program.frames, program.wall,
                program.rate);
    std::printf("frame rate / bound = %.1f %% (target >= 95 %%): %s\n", 100 * rateRatio,
                rateRatio >= 0.95 ? "met" : "MISSED");
    std::printf("CPU of Veltv61 during Go = %.1f %% of one core (target < 10 %%): %s\n", 100 * cpuRatio,
                cpuRatio < 0.10 ? "met" : "MISSED");
    std::printf("veltra live over TCP: %d frames in %.2f s = %.2f frames/s, CPU %.1f %% of one core\n", cli.frames,
                cli.wall, cli.rate, 100 * cli.cpuShare);
    std::printf("veltra frame rate / Veltv61's = %.1f %% (target >= 95 %%): %s\n", 100 * toolRatio,
                toolRatio >= 0.95 ? "met" : "MISSED");
    return rateRatio >= 0.95 && cpuRatio < 0.10 && toolRatio >= 0.95 ? 0 : 1;
}
