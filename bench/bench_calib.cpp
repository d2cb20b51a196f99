// VeltCalibV61 against the simulator on a pseudo-terminal paced at 19200
// baud (10 bits a byte):
// - the capture of 100 frames against its floor, 100 times the wire time of
//   one exchange (36 bytes out, 36 bytes back): target <= 1.05;
// - the finishing sequence (order 1, 31 rows, order 6 with its reply, order
//   30, order 31 with its reply, the reconnect's line check) against the wire
//   time of its bytes plus its two pauses of 0.5 s: target <= 1.10.
//
// The real program runs offscreen with a UI script; the times come from the
// simulator's telegram log: when each request had fully arrived and when each
// reply was due.
#include "bench_util.h"

#include <fcntl.h>
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

constexpr double kByteTime = 10.0 / 19200; // seconds a byte takes on the wire
constexpr int kTelegram = 36;
constexpr int kFrames = 100;
constexpr double kPauses = 2 * 0.5;

// One telegram line of the simulator's log.
struct Entry {
    bool rx;
    int order;
    double t;  // when it was logged
    double at; // replies: when they were due
};

double Field(const std::string &l, const char *key)
{
    const size_t p = l.find(key);
    return p == std::string::npos ? -1 : std::atof(l.c_str() + p + std::strlen(key));
}

std::vector<Entry> ReadLog(const std::string &path)
{
    std::vector<Entry> out;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) {
        const bool rx = l.find("\"dir\":\"rx\"") != std::string::npos;
        const bool tx = l.find("\"dir\":\"tx\"") != std::string::npos;
        if ((rx || tx) && l.find("\"order\":") != std::string::npos)
            out.push_back({rx, static_cast<int>(Field(l, "\"order\":")), Field(l, "\"t\":"), Field(l, "\"at\":")});
    }
    return out;
}

bool WaitForFile(const std::string &path, double seconds)
{
    for (int i = 0; i < seconds * 100; ++i) {
        if (access(path.c_str(), F_OK) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

int main(int, char **argv)
{
    const std::string bin = BinDir(argv[0]);
    char tmpl[] = "/tmp/benchcalib.XXXXXX";
    const std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    const std::string log = dir + "/sim.log", tty = dir + "/tty", scene = dir + "/scene.txt";
    // A white target that gives raw 1008 on every channel at the sensor's
    // factory power: the capture passes with factors of 1015.
    std::ofstream(scene) << "white 0.4 0.42 0.4666666667 1000\n";
    const pid_t sim = Spawn({bin + "/veltsim", "--pty", tty, "--pace", "--log", log, "--temperature", "25", "--noise",
                             "0", "--scene", scene});
    if (!WaitForFile(tty, 5)) {
        std::fprintf(stderr, "bench_calib: the simulator did not start (%s/veltsim)\n", bin.c_str());
        return 1;
    }
    const std::string script = dir + "/script.txt";
    std::ofstream(script) << "waitfor P DispStatus == VELTSIM COLOUR SENSOR V6.1 10\n"
                             "answer yes\n"
                             "click P ButtonCalcCF\n"
                             "waitfor P EditCFR == 1015 30\n"
                             "waitfor P DispR == 999 10\n" // the live loop runs with the new factors
                             "click P ButtonStop\n"
                             "waitfor P ButtonGo dimmed == 0 10\n"
                             "click P ButtonFinishCalib\n"
                             "waitfor P ButtonFinishCalib dimmed == 0 20\n"
                             "quit 0\n";
    const pid_t prog =
        Spawn({bin + "/VeltCalibV61", "--ui-script", script}, -1, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + tty});
    int status = 0;
    waitpid(prog, &status, 0);
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_calib: the program failed (status %d); log in %s\n", status, log.c_str());
        return 1;
    }

    const std::vector<Entry> e = ReadLog(log);
    // The capture: the first 100 requests of order 5 (nothing polled before it).
    std::vector<double> frames;
    for (const Entry &x : e)
        if (x.rx && x.order == 5 && frames.size() < kFrames)
            frames.push_back(x.t);
    // The finishing sequence: from its order 1 to the reply of the last line check.
    double finishStart = -1, finishEnd = -1;
    for (const Entry &x : e) {
        if (x.rx && x.order == 1 && finishStart < 0)
            finishStart = x.t - kTelegram * kByteTime; // its first byte went out one telegram earlier
        if (!x.rx && x.order == 7 && finishStart >= 0)
            finishEnd = x.at + kTelegram * kByteTime; // its last byte arrives one telegram later
    }
    if (frames.size() < kFrames || finishStart < 0 || finishEnd < 0) {
        std::fprintf(stderr, "bench_calib: the log lacks the capture or the finishing sequence (%s)\n", log.c_str());
        return 1;
    }
    const double exchange = 2 * kTelegram * kByteTime;
    // 99 request-to-request intervals, each a whole exchange, plus the first exchange at its floor.
    const double capture = frames.back() - frames.front() + exchange;
    const double captureFloor = kFrames * exchange;
    const int finishBytes =
        32 * kTelegram + 2 * kTelegram /*6*/ + kTelegram /*30*/ + 2 * kTelegram /*31*/ + 2 * kTelegram /*7*/;
    const double finish = finishEnd - finishStart;
    const double finishFloor = finishBytes * kByteTime + kPauses;
    const double r1 = capture / captureFloor, r2 = finish / finishFloor;
    std::printf("capture of %d frames at 19200 baud: %.3f s, floor %.3f s: ratio %.3f (target <= 1.05): %s\n", kFrames,
                capture, captureFloor, r1, r1 <= 1.05 ? "met" : "MISSED");
    std::printf("finishing sequence: %.3f s, wire time %.3f s + pauses %.1f s: ratio %.3f (target <= 1.10): %s\n",
                finish, finishBytes * kByteTime, kPauses, r2, r2 <= 1.10 ? "met" : "MISSED");
    return r1 <= 1.05 && r2 <= 1.10 ? 0 : 1;
}
