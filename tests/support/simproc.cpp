#include "simproc.h"

#include <chrono>
#include <functional>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Starts argv[0] with the arguments and environment additions, its standard
// output (and error, with bothStreams) into a pipe whose read end is *out.
pid_t spawn(std::vector<std::string> args, const std::vector<std::string> &env, bool bothStreams, int *out)
{
    int p[2];
    if (pipe(p) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(p[1], 1);
        if (bothStreams)
            dup2(p[1], 2);
        close(p[0]);
        close(p[1]);
        for (const auto &e : env)
            putenv(strdup(e.c_str()));
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(p[1]);
    if (child < 0)
        close(p[0]);
    *out = p[0];
    return child;
}

} // namespace

std::string MakeTempDir()
{
    char tmpl[] = "/tmp/velttest.XXXXXX";
    const char *d = mkdtemp(tmpl);
    return d ? d : "/tmp";
}

std::string InstallCopy(const std::string &program, const std::string &dir, bool hardLink)
{
    namespace fs = std::filesystem;
    const fs::path bin = fs::path(BuiltProgram(program)).parent_path();
    std::error_code ec;
    if (hardLink)
        fs::create_hard_link(bin / program, fs::path(dir) / program, ec);
    if (!hardLink || ec)
        fs::copy_file(bin / program, fs::path(dir) / program, fs::copy_options::overwrite_existing);
    for (const auto &entry : fs::directory_iterator(bin))
        if (entry.path().extension() == ".uir" || entry.path().extension() == ".png")
            fs::copy_file(entry.path(), fs::path(dir) / entry.path().filename(), fs::copy_options::overwrite_existing);
    return (fs::path(dir) / program).string();
}

std::string WriteTextFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

std::string ReadTextFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BuiltProgram(const std::string &name)
{
    const char *dir = std::getenv("VELT_BIN_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

SimProcess::SimProcess(const std::vector<std::string> &extraArgs, bool tcp, bool pty, const std::string &ptyLinkAt)
{
    dir = MakeTempDir();
    logPath = dir + "/sim.log";
    std::vector<std::string> args = {BuiltProgram("veltsim"), "--log", logPath, "--temperature", "30"};
    if (tcp) {
        args.push_back("--tcp");
        args.push_back("127.0.0.1:0");
    }
    if (pty) {
        ptyLink = ptyLinkAt.empty() ? dir + "/tty" : ptyLinkAt;
        args.push_back("--pty");
        args.push_back(ptyLink);
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    int out = -1;
    pid = spawn(args, {}, false, &out);
    if (pid <= 0)
        return;
    // The ports it listens on, one line each, within ten seconds.
    std::string buf;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end && ((tcp && tcpPort <= 0) || (pty && ptyDevice.empty()))) {
        pollfd p {out, POLLIN, 0};
        char chunk[256];
        const ssize_t n = poll(&p, 1, 50) > 0 ? read(out, chunk, sizeof chunk) : 0;
        if (n < 0 || (n == 0 && p.revents != 0)) // an error, or the end of its output
            break;
        buf.append(chunk, static_cast<size_t>(n));
        for (size_t nl; (nl = buf.find('\n')) != std::string::npos; buf.erase(0, nl + 1)) {
            if (buf.rfind("TCP ", 0) == 0)
                tcpPort = std::atoi(buf.c_str() + 4);
            else if (buf.rfind("PTY ", 0) == 0)
                ptyDevice = buf.substr(4, nl - 4);
        }
    }
    if (!pty)
        ptyLink.clear();
    // Keep draining the simulator's output so that it never blocks on a full pipe.
    std::thread([fd = out] {
        char sink[256];
        while (read(fd, sink, sizeof sink) > 0) {
        }
        close(fd);
    }).detach();
}

void SimProcess::stop()
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && pid > 0; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            pid = -1;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    killHard();
}

void SimProcess::killHard()
{
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
}

SimProcess::~SimProcess() { stop(); }

std::vector<std::string> SimProcess::logLines() const
{
    std::vector<std::string> out;
    std::ifstream in(logPath);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::vector<std::string> SimProcess::telegrams(const std::string &dir, int order, const std::string &field) const
{
    std::vector<std::string> out;
    const std::string key = "\"dir\":\"" + dir + "\",\"order\":" + std::to_string(order) + ",";
    const std::string at = "\"" + field + "\":" + (field == "hex" ? "\"" : "");
    for (const std::string &l : logLines()) {
        const size_t p = l.find(at);
        if (l.find(key) == std::string::npos || p == std::string::npos)
            continue;
        const size_t from = p + at.size();
        out.push_back(l.substr(from, field == "hex" ? 72 : l.find_first_of(",}", from) - from));
    }
    return out;
}

std::vector<int> SimProcess::receivedOrders() const
{
    std::vector<int> out;
    for (const auto &l : logLines()) {
        if (l.find("\"dir\":\"rx\"") == std::string::npos)
            continue;
        const size_t p = l.find("\"order\":");
        if (p != std::string::npos)
            out.push_back(std::atoi(l.c_str() + p + 8));
    }
    return out;
}

int RunProgram(const std::string &path, const std::vector<std::string> &args, const std::vector<std::string> &env,
               double timeoutSeconds, std::string *output)
{
    return RunProgramWatched(path, args, env, timeoutSeconds, output, nullptr);
}

int RunProgramWatched(const std::string &path, const std::vector<std::string> &args,
                      const std::vector<std::string> &env, double timeoutSeconds, std::string *output,
                      const std::function<void(const std::string &line)> &onLine)
{
    std::vector<std::string> all = {path};
    all.insert(all.end(), args.begin(), args.end());
    int out = -1;
    const pid_t child = spawn(all, env, true, &out);
    if (child <= 0)
        return -1;
    std::string text;
    size_t seen = 0; // text before this offset has been handed to onLine
    int status = 0;
    bool exited = false;
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(timeoutSeconds * 1000));
    while (std::chrono::steady_clock::now() < end) {
        pollfd p {out, POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            char chunk[4096];
            const ssize_t n = read(out, chunk, sizeof chunk);
            if (n > 0) {
                text.append(chunk, static_cast<size_t>(n));
                // Whole lines go to the observer while the program still runs.
                for (size_t nl; onLine && (nl = text.find('\n', seen)) != std::string::npos; seen = nl + 1)
                    onLine(text.substr(seen, nl - seen));
            }
        }
        if (waitpid(child, &status, WNOHANG) == child) {
            exited = true;
            break;
        }
    }
    if (!exited) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    // Whatever is left in the pipe.
    fcntl(out, F_SETFL, O_NONBLOCK);
    char chunk[4096];
    ssize_t n;
    while ((n = read(out, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(n));
    close(out);
    if (output)
        *output = text;
    if (!exited)
        return -1;
    if (WIFEXITED(status))
        return static_cast<signed char>(WEXITSTATUS(status));
    return -2;
}
