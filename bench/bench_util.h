// Small helpers shared by the benchmarks that run the built programs.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

// Seconds on a monotonic clock.
inline double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Folder of the built programs: VELT_BIN_DIR, else the benchmark's own folder.
inline std::string BinDir(const char *argv0)
{
    if (const char *d = std::getenv("VELT_BIN_DIR"))
        return d;
    std::string self = argv0;
    const size_t slash = self.rfind('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}

// ---- child processes: the simulator and the programs ----

// Starts a program; its standard output goes to stdoutFd (or nowhere),
// standard error nowhere; env entries ("NAME=value") are added.
inline pid_t Spawn(const std::vector<std::string> &args, int stdoutFd = -1, const std::vector<std::string> &env = {})
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(stdoutFd >= 0 ? stdoutFd : null, 1);
        dup2(null, 2);
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

// Starts veltsim with args and returns the first line it prints that begins
// with `prefix` ("TCP ", "PTY "), or "" when none comes; its later output is
// drained so that it never blocks on a full pipe.
inline std::string StartSimUntil(const std::string &bin, std::vector<std::string> args, const std::string &prefix,
                                 pid_t *pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    args.insert(args.begin(), bin + "/veltsim");
    *pid = Spawn(args, fds[1]);
    close(fds[1]);
    std::string line, found;
    char c;
    while (found.empty() && read(fds[0], &c, 1) == 1) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (line.rfind(prefix, 0) == 0)
            found = line;
        line.clear();
    }
    std::thread([fd = fds[0]] {
        char sink[256];
        while (read(fd, sink, sizeof sink) > 0) {
        }
        close(fd);
    }).detach();
    return found;
}

// Starts veltsim on a free loopback port at 30 degrees, logging to log (if
// given); returns the port (0 on failure).
inline int StartTcpSim(const std::string &bin, const std::string &log, pid_t *pid)
{
    std::vector<std::string> args = {"--tcp", "127.0.0.1:0", "--temperature", "30"};
    if (!log.empty())
        args.insert(args.end(), {"--log", log});
    const std::string line = StartSimUntil(bin, args, "TCP ", pid);
    return line.empty() ? 0 : std::atoi(line.c_str() + 4);
}

// Mean time of one request (order 5 unless told) and its 36-byte reply on a plain socket.
inline double MeasureRoundTrip(int port, int rounds, unsigned char order = 5)
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
    unsigned char req[36] = {0x00, 0x55, 0x00, order};
    unsigned char reply[36];
    const double t0 = Now();
    for (int i = 0; i < rounds; ++i) {
        if (write(fd, req, sizeof req) != static_cast<ssize_t>(sizeof req))
            return -1;
        for (size_t got = 0; got < sizeof reply;) {
            const ssize_t n = read(fd, reply + got, sizeof reply - got);
            if (n <= 0)
                return -1;
            got += static_cast<size_t>(n);
        }
    }
    const double rtt = (Now() - t0) / rounds;
    close(fd);
    return rtt;
}

// Data requests (order 5) the simulator has logged.
inline int CountFrames(const std::string &log)
{
    std::ifstream in(log);
    int n = 0;
    for (std::string l; std::getline(in, l);)
        n += l.find("\"dir\":\"rx\",\"order\":5,") != std::string::npos;
    return n;
}

// CPU seconds (user + system) a process has used so far.
inline double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t paren = stat.rfind(')');
    if (paren == std::string::npos)
        return -1;
    unsigned long utime = 0, stime = 0;
    // After the command: state, then fields 4 to 13, then utime and stime.
    if (std::sscanf(stat.c_str() + paren + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) !=
        2)
        return -1;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// ---- a loop of frames, watched from outside ----

// What a program's loop of data frames achieved, from the first sample that
// saw a frame to the first sample that saw the last one: frames, seconds,
// frames a second and the program's CPU seconds a second.
struct FrameLoop {
    int frames = 0;
    double wall = 0, rate = 0, cpuShare = 0;
};

// Samples the simulator's frame count (its log) and the process's CPU time
// every 100 ms until the process ends; false when it fetched no frames.
inline bool WatchFrames(pid_t pid, const std::string &log, FrameLoop *loop, int *exitStatus = nullptr)
{
    struct Sample {
        double t;
        int frames;
        double cpu;
    };
    const int framesBefore = CountFrames(log);
    std::vector<Sample> samples;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        const double cpu = CpuSeconds(pid);
        samples.push_back({Now(), CountFrames(log) - framesBefore, cpu});
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (exitStatus)
        *exitStatus = status;
    const Sample *first = nullptr, *last = nullptr;
    for (const Sample &s : samples) {
        if (s.cpu < 0)
            continue;
        if (!first && s.frames > 0)
            first = &s;
        if (first && (!last || s.frames > last->frames))
            last = &s;
    }
    if (!first || !last || last == first)
        return false;
    loop->frames = last->frames - first->frames;
    loop->wall = last->t - first->t;
    loop->rate = loop->frames / loop->wall;
    loop->cpuShare = (last->cpu - first->cpu) / loop->wall;
    return true;
}
