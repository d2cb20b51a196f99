// Live data loop of Veltv61 against the simulator over loopback TCP: the
// frame rate compared with the bound that the 50 ms pause and the measured
// round trip allow (target >= 95 %), and the program's CPU use while the loop
// runs (target < 10 % of one core).
//
// The real program runs offscreen with a UI script (connect over TCP, Go,
// wait, Stop, quit); frames are counted in the simulator's telegram log and
// the program's CPU time is sampled from /proc while the frames arrive.
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

struct Sample {
    double t;
    int frames;
    double cpu;
};

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
    const int framesBefore = CountFrames(log);

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
    std::vector<Sample> samples;
    int status = 0;
    while (waitpid(prog, &status, WNOHANG) == 0) {
        const double cpu = CpuSeconds(prog);
        samples.push_back({Now(), CountFrames(log) - framesBefore, cpu});
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);

    // The window of the live loop: from the first sample that saw a frame to
    // the first sample that saw the last one.
    const Sample *first = nullptr, *last = nullptr;
    for (const Sample &s : samples) {
        if (s.cpu < 0)
            continue;
        if (!first && s.frames > 0)
            first = &s;
        if (first && (!last || s.frames > last->frames))
            last = &s;
    }
    if (!first || !last || last == first) {
        std::fprintf(stderr, "bench_live: no live frames seen (program exit status %d)\n", status);
        return 1;
    }
    const double wall = last->t - first->t;
    const double rate = (last->frames - first->frames) / wall;
    const double bound = 1.0 / (kPauseSeconds + rtt);
    const double rateRatio = rate / bound;
    const double cpuRatio = (last->cpu - first->cpu) / wall;
    std::printf("round trip %.3f ms; bound with the 50 ms pause %.2f frames/s\n", rtt * 1e3, bound);
    std::printf("live loop over TCP: %d frames in %.2f s = %.2f frames/s\n", last->frames - first->frames, wall, rate);
    std::printf("frame rate / bound = %.1f %% (target >= 95 %%): %s\n", 100 * rateRatio,
                rateRatio >= 0.95 ? "met" : "MISSED");
    std::printf("CPU of Veltv61 during Go = %.1f %% of one core (target < 10 %%): %s\n", 100 * cpuRatio,
                cpuRatio < 0.10 ? "met" : "MISSED");
    return rateRatio >= 0.95 && cpuRatio < 0.10 ? 0 : 1;
}
