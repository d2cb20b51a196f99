// Round trip of a 36-byte telegram done the programs' way (write, service
// events until 36 bytes are in, read) against an echo peer on loopback TCP
// and on a pseudo-terminal, compared in the same run with the bare round trip
// of a blocking socket / pty. Also the CPU the waiting loop costs while the
// peer takes its time to answer.
#include "rt_com.h"
#include "rt_tcp.h"
#include "rt_ui.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTelegram = 36;
constexpr int kRounds = 2000;
constexpr int kSlowRounds = 40;
constexpr int kSlowDelayMs = 25;

double nowUs() { return std::chrono::duration<double, std::micro>(Clock::now().time_since_epoch()).count(); }

double cpuSeconds()
{
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool readFull(int fd, char *buf, int n, int timeoutMs)
{
    int got = 0;
    while (got < n) {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return false;
        const ssize_t r = ::read(fd, buf + got, static_cast<size_t>(n - got));
        if (r <= 0)
            return false;
        got += static_cast<int>(r);
    }
    return true;
}

bool writeFull(int fd, const char *buf, int n)
{
    int done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd, buf + done, static_cast<size_t>(n - done));
        if (w <= 0)
            return false;
        done += static_cast<int>(w);
    }
    return true;
}

// Echoes 36-byte telegrams on fd until it closes or stop is set, after an
// optional delay per telegram (a sensor that takes its time).
void echoLoop(int fd, const std::atomic<int> *delayMs, const std::atomic<bool> *stop)
{
    char buf[kTelegram];
    while (!stop->load()) {
        if (!readFull(fd, buf, kTelegram, 200)) {
            if (stop->load())
                break;
            continue;
        }
        if (const int d = delayMs->load(); d > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(d));
        if (!writeFull(fd, buf, kTelegram))
            break;
    }
}

struct Stats {
    double medianUs = 0;
    double meanUs = 0;
    double cpuRatio = 0; // process CPU time / wall time
};

struct Samples {
    std::vector<double> us;
    double cpu = 0;
    double wall = 0;
    bool failed = false;
    Stats stats()
    {
        Stats s;
        if (us.empty())
            return s;
        std::sort(us.begin(), us.end());
        s.medianUs = us[us.size() / 2];
        for (double v : us)
            s.meanUs += v;
        s.meanUs /= static_cast<double>(us.size());
        s.cpuRatio = wall > 0 ? cpu / wall : 0;
        return s;
    }
};

template <typename RoundTrip>
void sample(int rounds, Samples &out, RoundTrip rt)
{
    const double cpu0 = cpuSeconds();
    const double wall0 = nowUs();
    for (int i = 0; i < rounds && !out.failed; ++i) {
        const double t0 = nowUs();
        if (!rt()) {
            std::fprintf(stderr, "round trip failed\n");
            out.failed = true;
        }
        out.us.push_back(nowUs() - t0);
    }
    out.cpu += cpuSeconds() - cpu0;
    out.wall += (nowUs() - wall0) / 1e6;
}

// Bare and run-time round trips in alternating blocks, so that both see the
// same load on a shared machine.
template <typename Bare, typename Rt>
bool compare(Bare bare, Rt rt, Stats *bareStats, Stats *rtStats)
{
    Samples b, r, warm;
    sample(50, warm, bare);
    sample(50, warm, rt);
    constexpr int kBlocks = 20;
    for (int i = 0; i < kBlocks; ++i) {
        sample(kRounds / kBlocks, b, bare);
        sample(kRounds / kBlocks, r, rt);
    }
    *bareStats = b.stats();
    *rtStats = r.stats();
    return !b.failed && !r.failed && !warm.failed;
}

template <typename RoundTrip>
Stats measureSlow(RoundTrip rt)
{
    Samples s;
    sample(kSlowRounds, s, rt);
    return s.stats();
}

void report(const char *link, const Stats &bare, const Stats &rt, const Stats &slow)
{
    std::printf("%-4s bare   median %8.1f us  mean %8.1f us\n", link, bare.medianUs, bare.meanUs);
    std::printf("%-4s runtime median %7.1f us  mean %8.1f us\n", link, rt.medianUs, rt.meanUs);
    std::printf("%-4s added latency: %.2fx bare, %+.1f us (target < 1.5x and < 1000 us)\n", link,
                rt.medianUs / bare.medianUs, rt.medianUs - bare.medianUs);
    std::printf("%-4s CPU while waiting on a %d ms peer: %.2f %% of a core (target < 5 %%)\n", link, kSlowDelayMs,
                100.0 * slow.cpuRatio);
    std::printf("%-4s CPU during back-to-back round trips: runtime %.0f %%, bare %.0f %% (includes the peer)\n", link,
                100.0 * rt.cpuRatio, 100.0 * bare.cpuRatio);
}

// ---- TCP --------------------------------------------------------------------

struct TcpReply {
    char buf[kTelegram];
    int bytesToRead = 0;
};

int tcpCallback(unsigned handle, int xType, int, void *data)
{
    auto *r = static_cast<TcpReply *>(data);
    if (xType != TCP_DATAREADY)
        return 0;
    if (r->bytesToRead < 1) {
        char scratch[1024];
        ClientTCPRead(handle, scratch, sizeof scratch, 5000);
        return 0;
    }
    while (r->bytesToRead > 0) {
        const int n =
            ClientTCPRead(handle, r->buf + (kTelegram - r->bytesToRead), static_cast<size_t>(r->bytesToRead), 5000);
        if (n <= 0)
            break;
        r->bytesToRead -= n;
    }
    return 0;
}

bool benchTcp()
{
    const int lfd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(lfd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(lfd, 4) != 0 ||
        ::getsockname(lfd, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        return false;
    const unsigned port = ntohs(a.sin_port);
    std::atomic<int> delay {0};
    std::atomic<bool> stop {false};
    std::vector<std::thread> peers;
    std::thread acceptor([&] {
        for (int i = 0; i < 2; ++i) {
            const int fd = ::accept(lfd, nullptr, nullptr);
            if (fd < 0)
                return;
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            peers.emplace_back([fd, &delay, &stop] {
                echoLoop(fd, &delay, &stop);
                ::close(fd);
            });
        }
    });

    // Bare: a blocking socket, write then read.
    const int cfd = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(cfd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(cfd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return false;
    char tx[kTelegram], rx[kTelegram];
    std::memset(tx, 0x55, sizeof tx);
    auto bareTrip = [&] { return writeFull(cfd, tx, kTelegram) && readFull(cfd, rx, kTelegram, 3000); };

    // The programs' way.
    TcpReply reply;
    unsigned h = 0;
    if (ConnectToTCPServer(&h, port, "127.0.0.1", tcpCallback, &reply, 5000) != 0)
        return false;
    auto exchange = [&] {
        reply.bytesToRead = kTelegram;
        ClientTCPWrite(h, tx, kTelegram, 2000);
        const double start = Timer();
        while (reply.bytesToRead > 0 && Timer() - start <= 3.0)
            ProcessSystemEvents();
        return reply.bytesToRead == 0;
    };
    Stats bare, rt;
    if (!compare(bareTrip, exchange, &bare, &rt))
        return false;
    delay = kSlowDelayMs;
    const Stats slow = measureSlow(exchange);
    report("TCP", bare, rt, slow);

    stop = true;
    DisconnectFromTCPServer(h);
    ::close(cfd);
    acceptor.join();
    for (auto &t : peers)
        t.join();
    ::close(lfd);
    return true;
}

// ---- pseudo-terminal ----------------------------------------------------------

struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string path;
    bool open()
    {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios t {};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        path = name;
        return true;
    }
    ~PtyPair()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

bool benchPty()
{
    PtyPair barePair, rtPair;
    if (!barePair.open() || !rtPair.open())
        return false;
    std::atomic<int> delay {0};
    std::atomic<bool> stop {false};
    std::thread barePeer([&] { echoLoop(barePair.master, &delay, &stop); });
    std::thread rtPeer([&] { echoLoop(rtPair.master, &delay, &stop); });

    char tx[kTelegram], rx[kTelegram];
    std::memset(tx, 0x55, sizeof tx);
    auto bareTrip = [&] {
        return writeFull(barePair.slave, tx, kTelegram) && readFull(barePair.slave, rx, kTelegram, 3000);
    };

    const int port = 9;
    ::close(rtPair.slave); // the run-time opens the slave by its path
    rtPair.slave = -1;
    if (OpenComConfig(port, rtPair.path.c_str(), 19200, 0, 8, 1, 1024, 1024) != 0) {
        std::fprintf(stderr, "open %s: %s\n", rtPair.path.c_str(), GetComErrorReason(port).c_str());
        return false;
    }
    SetComTime(port, 2.0);
    auto exchange = [&] {
        FlushInQ(port);
        FlushOutQ(port);
        ComWrt(port, tx, kTelegram);
        const double start = Timer();
        int dataSize = 0;
        do {
            ProcessSystemEvents();
            dataSize = GetInQLen(port);
        } while (Timer() - start <= 3.0 && dataSize < kTelegram);
        return ComRd(port, rx, dataSize) == kTelegram;
    };
    Stats bare, rt;
    if (!compare(bareTrip, exchange, &bare, &rt))
        return false;
    delay = kSlowDelayMs;
    const Stats slow = measureSlow(exchange);
    report("pty", bare, rt, slow);

    stop = true;
    CloseCom(port);
    barePeer.join();
    rtPeer.join();
    return true;
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    InitRuntime(0, nullptr);
    std::printf("36-byte telegram round trips: %d back-to-back, %d against a slow peer\n", kRounds, kSlowRounds);
    const bool ok = benchTcp() && benchPty();
    // Leave without tearing down the application object at exit: the figures
    // are printed, and the system reclaims everything else.
    std::fflush(stdout);
    std::_Exit(ok ? 0 : 1);
}
