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

pid_t Spawn(const std::vector<std::string> &args, int stdoutFd, const std::vector<std::string> &env = {})
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (stdoutFd >= 0) {
            dup2(stdoutFd, 1);
            close(stdoutFd);
        } else {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        }
        for (const auto &e : env)
            putenv(strdup(e.c_str()));
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Starts veltsim on a free loopback port; returns the port (0 on failure).
int StartSim(const std::string &bin, const std::string &log, pid_t *pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return 0;
    *pid = Spawn({bin + "/veltsim", "--tcp", "127.0.0.1:0", "--log", log, "--temperature", "30"}, fds[1]);
    close(fds[1]);
    std::string out;
    char c;
    while (read(fds[0], &c, 1) == 1) {
        if (c != '\n') {
            out += c;
            continue;
        }
        if (out.rfind("TCP ", 0) == 0)
            break;
        out.clear();
    }
    // The simulator prints little more; the pipe may close with it.
    std::thread([fd = fds[0]] {
        char sink[256];
        while (read(fd, sink, sizeof sink) > 0) {
        }
        close(fd);
    }).detach();
    return out.rfind("TCP ", 0) == 0 ? std::atoi(out.c_str() + 4) : 0;
}

// Mean time of one order-5 request and its 36-byte reply on a plain socket.
double MeasureRoundTrip(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return -1;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    unsigned char req[36] = {0x00, 0x55, 0x00, 0x05};
    unsigned char reply[36];
    const double t0 = Now();
    for (int i = 0; i < kRoundTrips; ++i) {
        if (write(fd, req, sizeof req) != static_cast<ssize_t>(sizeof req))
            return -1;
        size_t got = 0;
        while (got < sizeof reply) {
            const ssize_t n = read(fd, reply + got, sizeof reply - got);
            if (n <= 0)
                return -1;
            got += static_cast<size_t>(n);
        }
    }
    const double rtt = (Now() - t0) / kRoundTrips;
    close(fd);
    return rtt;
}

int CountFrames(const std::string &log)
{
    std::ifstream in(log);
    int n = 0;
    for (std::string l; std::getline(in, l);)
        n += l.find("\"dir\":\"rx\",\"order\":5,") != std::string::npos;
    return n;
}

// CPU seconds (user + system) the process has used so far.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t paren = stat.rfind(')');
    if (paren == std::string::npos)
        return -1;
    // Fields after the command: state is field 3; utime and stime are 14 and 15.
    std::vector<std::string> f;
    size_t p = paren + 2;
    while (p < stat.size()) {
        const size_t q = stat.find(' ', p);
        f.push_back(stat.substr(p, q == std::string::npos ? std::string::npos : q - p));
        if (q == std::string::npos)
            break;
        p = q + 1;
    }
    if (f.size() < 13)
        return -1;
    return (std::atof(f[11].c_str()) + std::atof(f[12].c_str())) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

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
    const int port = StartSim(bin, log, &sim);
    if (port <= 0) {
        std::fprintf(stderr, "bench_live: the simulator did not start (%s/veltsim)\n", bin.c_str());
        return 1;
    }
    const double rtt = MeasureRoundTrip(port);
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
