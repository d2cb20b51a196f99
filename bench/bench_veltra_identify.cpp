// `veltra identify` over TCP to the simulator, timed from the fork of the
// process to its end (target: within 30 ms), beside the floor measured in
// the same run: starting and ending a process that does nothing (/bin/true)
// plus one order-7 round trip on a plain socket.
#include "bench_util.h"

#include <algorithm>
#include <csignal>

namespace {

constexpr int kRuns = 25;
constexpr double kTargetSeconds = 0.030;

// Seconds from fork to the end of the process; -1 when it failed.
double TimeRun(const std::vector<std::string> &args)
{
    const double t0 = Now();
    const pid_t pid = Spawn(args);
    int status = 0;
    waitpid(pid, &status, 0);
    const double t = Now() - t0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? t : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    pid_t sim = 0;
    const int port = StartTcpSim(bin, "", &sim);
    if (port <= 0) {
        std::printf("cannot start the simulator\n");
        return 1;
    }
    const std::string link = "tcp:127.0.0.1:" + std::to_string(port);
    std::vector<double> tool, spawnFloor;
    TimeRun({bin + "/veltra", "--link", link, "identify"}); // warm the page cache
    for (int i = 0; i < kRuns; ++i) {
        spawnFloor.push_back(TimeRun({"/bin/true"}));
        tool.push_back(TimeRun({bin + "/veltra", "--link", link, "identify"}));
    }
    const double roundTrip = MeasureRoundTrip(port, 50, 7);
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    if (std::count(tool.begin(), tool.end(), -1.0) > 0) {
        std::printf("veltra identify failed\n");
        return 1;
    }
    const double floor = Median(spawnFloor) + roundTrip;
    const double median = Median(tool);
    const double worst = *std::max_element(tool.begin(), tool.end());
    std::printf("floor: process start and end %.2f ms + order-7 round trip %.3f ms = %.2f ms\n",
                1000 * Median(spawnFloor), 1000 * roundTrip, 1000 * floor);
    std::printf("veltra identify over TCP, %d runs: median %.2f ms, worst %.2f ms (%.1fx the floor)\n", kRuns,
                1000 * median, 1000 * worst, median / floor);
    const bool ok = median <= kTargetSeconds;
    std::printf("median within %.0f ms of process start: %s\n", 1000 * kTargetSeconds, ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
