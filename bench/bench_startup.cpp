// Start-up time of each program: from launch until its main panel is shown
// and the user-interface loop runs. The program runs offscreen with a UI
// script whose first action prints a control of the main panel; that action
// runs as soon as the loop starts, so the time until the printed line arrives
// is the start-up. COM1 names a missing device, so the start-up line check
// fails at once instead of waiting on whatever serial port exists.
//
// Each program is started kRuns times; the median and the fastest run are
// reported (the first run warms the file cache and is not counted).
#include "bench_util.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 11;
constexpr double kLimitSeconds = 30.0;

struct Program {
    const char *name;
    const char *firstAction; // prints a control of the main panel
};

constexpr Program kPrograms[] = {
    {"Veltv61", "print P DispStatus"},
    {"VeltTempCompV61", "print P DispStatus"},
    {"VeltCalibV61", "print P DispStatus"},
    {"QuillonV20", "print MAINP EditSelectComPort"},
};

// Starts the program on the script and returns the seconds until its first
// printed line (negative when it never came).
double TimeOneStart(const std::string &exe, const std::string &script)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const double t0 = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("VELTRA_COM1", "/nonexistent/velt-bench-tty", 1);
        execl(exe.c_str(), exe.c_str(), "--ui-script", script.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    double elapsed = -1;
    std::string out;
    while (elapsed < 0 && Now() - t0 < kLimitSeconds) {
        pollfd pfd {fds[0], POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0)
            continue;
        char buf[256];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<size_t>(n));
        if (out.find('\n') != std::string::npos)
            elapsed = Now() - t0;
    }
    close(fds[0]);
    if (elapsed < 0)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return elapsed;
}

} // namespace

int main(int, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    char dirTemplate[] = "/tmp/velt-bench-startup-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = dirTemplate;
    int status = 0;
    std::printf("start-up, launch to main panel shown (median of %d runs, fastest)\n", kRuns - 1);
    for (const Program &p : kPrograms) {
        const std::string exe = bin + "/" + p.name;
        if (access(exe.c_str(), X_OK) != 0) {
            std::printf("  %-16s not built\n", p.name);
            continue;
        }
        const std::string script = dir + "/" + p.name + ".script";
        FILE *f = std::fopen(script.c_str(), "w");
        if (!f || std::fprintf(f, "%s\nquit 0\n", p.firstAction) < 0 || std::fclose(f) != 0) {
            std::perror(script.c_str());
            return 1;
        }
        std::vector<double> times;
        for (int i = 0; i < kRuns; ++i) {
            const double t = TimeOneStart(exe, script);
            if (t < 0) {
                std::printf("  %-16s did not start within %.0f s\n", p.name, kLimitSeconds);
                status = 1;
                break;
            }
            if (i > 0)
                times.push_back(t);
        }
        std::remove(script.c_str());
        if (times.empty())
            continue;
        std::sort(times.begin(), times.end());
        std::printf("  %-16s %7.1f ms  (fastest %.1f ms)\n", p.name, 1000 * times[times.size() / 2],
                    1000 * times.front());
    }
    rmdir(dir.c_str());
    return status;
}
