// Recorder benchmarks.
//
// 1. Plotting: the graph panel of Veltv61 on screen (offscreen platform) with
//    the seven graphs; frame after frame goes through SetPanelGraphData and
//    the event loop paints it. The cost of one point near point 1,000 and
//    near point 100,000 (median of 200 points each, target within 1.5x of
//    each other), the full redraws when the frame axis steps up, and the
//    memory per point per graph (target under 100 bytes).
// 2. CPU: the real program records over TCP at an interval of 1 s against
//    the simulator; its CPU time is sampled from /proc while the record file
//    grows (target under 2 % of one core).
#include "bench_util.h"

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "graph_panel.h"
#include "packet.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

long RssBytes()
{
    std::ifstream in("/proc/self/statm");
    long pages = 0, rss = 0;
    in >> pages >> rss;
    return rss * sysconf(_SC_PAGESIZE);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

constexpr int kWindow = 200;
constexpr int kGraphs = 7;

// Adds one point with changing values and lets the event loop paint it;
// returns the seconds it took.
double AddPoint(int i)
{
    const double t0 = Now();
    dataR = static_cast<uint16_t>(2000 + (i * 37) % 1000);
    dataG = static_cast<uint16_t>(1500 + (i * 53) % 800);
    dataB = static_cast<uint16_t>(1000 + (i * 71) % 600);
    dataX = dataY = dataINT = static_cast<uint16_t>(1200 + i % 500);
    dataTemp = static_cast<uint16_t>(25 + i % 10);
    SetPanelGraphData();
    ProcessSystemEvents();
    return Now() - t0;
}

int BenchPlotting(const std::string &bin)
{
    if (InitRuntime(0, nullptr) != 0)
        return 1;
    RegisterVeltv61Callbacks();
    const std::string file = bin + "/Veltv61.uir";
    if ((panel = LoadPanel(0, file.c_str(), P)) <= 0 || (graphpanel = LoadPanel(0, file.c_str(), GRAPHP)) <= 0) {
        std::fprintf(stderr, "bench_recorder: cannot load %s\n", file.c_str());
        return 1;
    }
    DisplayPanel(graphpanel);
    InitPanelGraph();
    for (int i = 0; i < 20; ++i)
        ProcessSystemEvents();

    const int marks[2] = {1000, 100000};
    double median[2] = {0, 0}, mean[2] = {0, 0};
    std::vector<std::pair<int, double>> slowest; // the axis steps show as single slow points
    const long rss0 = RssBytes();
    const double start = Now();
    const int total = marks[1] + kWindow;
    std::vector<double> window;
    for (int i = 0; i < total; ++i) {
        const double dt = AddPoint(i);
        if (dt > 0.002)
            slowest.emplace_back(i, dt);
        for (int m = 0; m < 2; ++m) {
            if (i >= marks[m] && i < marks[m] + kWindow)
                window.push_back(dt);
            if (i == marks[m] + kWindow - 1) {
                median[m] = Median(window);
                double sum = 0;
                for (double w : window)
                    sum += w;
                mean[m] = sum / static_cast<double>(window.size());
                window.clear();
            }
        }
    }
    const double elapsed = Now() - start;
    const long rss1 = RssBytes();
    const double perPointPerGraph = static_cast<double>(rss1 - rss0) / total / kGraphs;

    std::printf("plotting, 7 graphs, the shown one painted after every point:\n");
    for (int m = 0; m < 2; ++m)
        std::printf("  at point %6d: median %.1f us, mean %.1f us per point\n", marks[m], median[m] * 1e6,
                    mean[m] * 1e6);
    std::printf("  all %d points: %.2f s, %.1f us per point on average (axis steps included)\n", total, elapsed,
                elapsed / total * 1e6);
    for (const auto &[i, dt] : slowest)
        std::printf("  slow point %6d: %.1f ms (frame axis step or display flush)\n", i, dt * 1e3);
    const double ratio = median[1] / median[0];
    std::printf("cost at 100,000 / cost at 1,000 = %.2f (target <= 1.5): %s\n", ratio, ratio <= 1.5 ? "met" : "MISSED");
    std::printf("memory per point per graph = %.1f bytes (target < 100): %s\n", perPointPerGraph,
                perPointPerGraph < 100 ? "met" : "MISSED");
    return ratio <= 1.5 && perPointPerGraph < 100 ? 0 : 1;
}

// ---- the real program recording at 1 s ----

long FileSize(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : 0;
}

int BenchRecordingCpu(const std::string &bin)
{
    constexpr int kFrames = 15;
    char tmpl[] = "/tmp/benchrec.XXXXXX";
    const std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    const std::string record = dir + "/record.dat", script = dir + "/script.txt";
    pid_t sim = -1;
    const int port = StartTcpSim(bin, "", &sim);
    if (port <= 0) {
        std::fprintf(stderr, "bench_recorder: the simulator did not start (%s/veltsim)\n", bin.c_str());
        return 1;
    }
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
             "click P ButtonOpenRecorder\n"
             "file "
          << record
          << " new\n"
             "click RECP ButtonSelRecFile\n"
             "set RECP EditInterval 1\n"
             "set RECP EditRecVal "
          << kFrames
          << "\n"
             "answer yes\n"
             "click RECP ButtonStartRecord\n"
             "waitfor RECP DispRecordedValues == "
          << kFrames << " " << kFrames + 20 << "\nquit 0\n";
    }
    const pid_t prog = Spawn({bin + "/Veltv61", "--ui-script", script}, -1,
                             {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=/nonexistent/tty"});
    // Window: from the second line in the file to the last one.
    struct Sample {
        double t, cpu;
        long size;
    };
    std::vector<Sample> samples;
    int status = 0;
    while (waitpid(prog, &status, WNOHANG) == 0) {
        samples.push_back({Now(), CpuSeconds(prog), FileSize(record)});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    const Sample *first = nullptr, *last = nullptr;
    long seenSize = 0;
    int lines = 0;
    for (const Sample &s : samples) {
        if (s.cpu < 0 || s.size == seenSize)
            continue;
        seenSize = s.size;
        if (++lines == 2) // header, then the first data line
            first = &s;
        last = &s;
    }
    if (!first || !last || last == first) {
        std::fprintf(stderr, "bench_recorder: the recording did not run (exit status %d)\n", status);
        return 1;
    }
    const double wall = last->t - first->t, cpu = (last->cpu - first->cpu) / wall;
    std::printf("timed recording at 1 s over TCP: %.1f s sampled, CPU of Veltv61 = %.2f %% of one core "
                "(target < 2 %%): %s\n",
                wall, 100 * cpu, cpu < 0.02 ? "met" : "MISSED");
    return cpu < 0.02 ? 0 : 1;
}

} // namespace

int main(int, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    const int plotting = BenchPlotting(bin);
    const int cpu = BenchRecordingCpu(bin);
    return plotting != 0 || cpu != 0 ? 1 : 0;
}
