// Colour teaching in Veltv61: (1) the zoom loop against the simulator over
// loopback TCP, its frame rate compared with the bound of the 50 ms pause and
// the measured round trip (target >= 95 %) and the program's CPU use while it
// runs (target < 10 % of one core); (2) APPLY FROM ALL with 31 taught rows
// redrawn 1000 times in this process: time per redraw (target < 2 ms).
#include "bench_util.h"
#include "live.h"
#include "teach_table.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"

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
constexpr double kZoomSeconds = 5.0;
constexpr int kRoundTrips = 200;
constexpr int kRedraws = 1000;

// (1) The zoom loop of the real program against the simulator.
bool BenchZoomLoop(const std::string &bin)
{
    char tmpl[] = "/tmp/benchteach.XXXXXX";
    const std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    const std::string log = dir + "/sim.log";
    pid_t sim = -1;
    const int port = StartTcpSim(bin, log, &sim);
    if (port <= 0) {
        std::fprintf(stderr, "bench_teach: the simulator did not start (%s/veltsim)\n", bin.c_str());
        return false;
    }
    const double rtt = MeasureRoundTrip(port, kRoundTrips);
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
             "set P ParaVisible 0\n"
             "setcell P ColorTeachTable 1 1 1000\nsetcell P ColorTeachTable 2 1 1500\n"
             "setcell P ColorTeachTable 3 1 100\n"
             "click P ButtonZoom\n"
             "wait "
          << kZoomSeconds
          << "\n"
             "click P GraphData2\n"
             "wait 0.5\n"
             "quit 0\n";
    }
    const pid_t prog = Spawn({bin + "/Veltv61", "--ui-script", script}, -1,
                             {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=/nonexistent/tty"});
    FrameLoop loop;
    int status = 0;
    const bool seen = WatchFrames(prog, log, &loop, &status);
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    if (rtt <= 0 || !seen) {
        std::fprintf(stderr, "bench_teach: no zoom frames seen (program exit status %d)\n", status);
        return false;
    }
    const double wall = loop.wall, rate = loop.rate;
    const double bound = 1.0 / (kPauseSeconds + rtt);
    const double rateRatio = rate / bound, cpuRatio = loop.cpuShare;
    std::printf("round trip %.3f ms; bound with the 50 ms pause %.2f frames/s\n", rtt * 1e3, bound);
    std::printf("zoom loop over TCP: %d frames in %.2f s = %.2f frames/s\n", loop.frames, wall, rate);
    std::printf("frame rate / bound = %.1f %% (target >= 95 %%): %s\n", 100 * rateRatio,
                rateRatio >= 0.95 ? "met" : "MISSED");
    std::printf("CPU of Veltv61 during the zoom loop = %.1f %% of one core (target < 10 %%): %s\n", 100 * cpuRatio,
                cpuRatio < 0.10 ? "met" : "MISSED");
    return rateRatio >= 0.95 && cpuRatio < 0.10;
}

// (2) APPLY FROM ALL with 31 rows, on the program's own panels.
bool BenchApplyFromAll(const std::string &bin)
{
    RegisterVeltv61Callbacks();
    const std::string file = bin + "/Veltv61.uir";
    for (auto [handle, id] : {std::pair {&panel, P},
                              {&recpanel, RECP},
                              {&srcpanel, SRCP},
                              {&graphpanel, GRAPHP},
                              {&teachpanel, TEACHP},
                              {&interfacepanel, INTERFACEP},
                              {&grouppanel, PGROUP}})
        if ((*handle = LoadPanel(0, file.c_str(), id)) <= 0) {
            std::fprintf(stderr, "bench_teach: cannot load %s\n", file.c_str());
            return false;
        }
    DisplayPanel(panel);
    for (int r = 1; r <= 31; ++r) {
        const int cells[5] = {100 * r, 3000 - 90 * r, 20 + 3 * r, 500, 50};
        for (int c = 1; c <= 5; ++c)
            SetTableCellVal(panel, P_COLORTEACHTABLE, MakePoint(c, r), cells[c - 1]);
    }
    ProcessSystemEvents();
    const double t0 = Now();
    for (int i = 0; i < kRedraws; ++i) {
        ApplyFromAll();
        ProcessDrawEvents(); // the repaint of the graph, without idle waits
    }
    const double per = (Now() - t0) / kRedraws;
    std::printf("APPLY FROM ALL with 31 rows: %.3f ms per redraw over %d redraws (target < 2 ms): %s\n", per * 1e3,
                kRedraws, per < 0.002 ? "met" : "MISSED");
    return per < 0.002;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    const bool zoom = BenchZoomLoop(bin);
    if (InitRuntime(argc, argv) != 0)
        return 1;
    const bool apply = BenchApplyFromAll(bin);
    return zoom && apply ? 0 : 1;
}
