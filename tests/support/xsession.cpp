#include "xsession.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineIn(double seconds)
{
    return Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
}

// Starts path with args; env entries are added to the environment. The
// child's stdout goes to outFd (or /dev/null when outFd < 0), stderr to
// errFd (or /dev/null); keepFd stays open in the child.
pid_t spawn(const std::string &path, const std::vector<std::string> &args, const std::vector<std::string> &env,
            int outFd, int errFd, int keepFd = -1)
{
    std::vector<std::string> all = {path};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM); // no X server or program outlives a test that crashed
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(outFd >= 0 ? outFd : null, 1);
    dup2(errFd >= 0 ? errFd : null, 2);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != keepFd)
            close(fd);
    for (const auto &e : env)
        putenv(strdup(e.c_str()));
    std::vector<char *> argv;
    for (auto &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Ends a child: SIGTERM, then SIGKILL when it lingers.
void endChild(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
}

uint32_t be32(const std::string &d, size_t at)
{
    const auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(d[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

// The 8-bit value of a colour channel given by its mask.
uint32_t channel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const uint32_t max = mask >> shift;
    return ((pixel & mask) >> shift) * 255 / max;
}

} // namespace

std::string FindOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string full = (dir.empty() ? "." : dir) + "/" + name;
        if (access(full.c_str(), X_OK) == 0)
            return full;
    }
    return "";
}

bool WaitUntil(double seconds, const std::function<bool()> &cond)
{
    const auto end = deadlineIn(seconds);
    while (true) {
        if (cond())
            return true;
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

XPicture ParseXwd(const std::string &d)
{
    XPicture pic;
    if (d.size() < 100 || be32(d, 4) != 7) // file version 7
        return pic;
    const uint32_t headerSize = be32(d, 0), format = be32(d, 8), width = be32(d, 16), height = be32(d, 20),
                   byteOrder = be32(d, 28), bitsPerPixel = be32(d, 44), bytesPerLine = be32(d, 48),
                   visualClass = be32(d, 52), red = be32(d, 56), green = be32(d, 60), blue = be32(d, 64),
                   ncolors = be32(d, 76);
    constexpr uint32_t kZPixmap = 2, kTrueColor = 4, kDirectColor = 5;
    if (format != kZPixmap || (visualClass != kTrueColor && visualClass != kDirectColor) ||
        (bitsPerPixel != 24 && bitsPerPixel != 32) || width == 0 || height == 0 || width > 16384 || height > 16384 ||
        bytesPerLine < width * bitsPerPixel / 8)
        return pic;
    const size_t start = headerSize + static_cast<size_t>(ncolors) * 12;
    if (d.size() < start + static_cast<size_t>(bytesPerLine) * height)
        return pic;
    pic.width = static_cast<int>(width);
    pic.height = static_cast<int>(height);
    pic.pixels.reserve(static_cast<size_t>(width) * height);
    const size_t bytes = bitsPerPixel / 8;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = start + static_cast<size_t>(y) * bytesPerLine + x * bytes;
            uint32_t v = 0;
            for (size_t i = 0; i < bytes; ++i) {
                const uint32_t b = static_cast<unsigned char>(d[at + i]);
                v |= byteOrder == 0 ? b << (8 * i) : b << (8 * (bytes - 1 - i));
            }
            pic.pixels.push_back(channel(v, red) << 16 | channel(v, green) << 8 | channel(v, blue));
        }
    return pic;
}

XProgram::XProgram(const std::string &path, const std::vector<std::string> &args, const std::vector<std::string> &env,
                   const std::string &output)
    : outputFile(output)
{
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid = spawn(path, args, env, fd, fd);
    if (fd >= 0)
        close(fd);
}

XProgram::~XProgram() { stop(); }

bool XProgram::running() { return waitExit(0) == -1 && pid > 0; }

int XProgram::waitExit(double seconds)
{
    if (pid <= 0)
        return exitCode;
    bool done = WaitUntil(seconds, [this] {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid)
            return false;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid = -1;
        return true;
    });
    return done ? exitCode : -1;
}

void XProgram::stop()
{
    endChild(pid);
    pid = -1;
}

XSession::XSession()
{
    const std::string xvfb = FindOnPath("Xvfb");
    if (xvfb.empty()) {
        why_ = "Xvfb is not installed";
        return;
    }
    // Xvfb picks a free display number itself and tells it on the pipe, so
    // that several sessions can start at once.
    int fds[2];
    if (pipe(fds) != 0) {
        why_ = "no pipe";
        return;
    }
    xvfb_ = spawn(
        xvfb, {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"},
        {}, -1, -1, fds[1]);
    close(fds[1]);
    std::string number;
    const auto end = deadlineIn(15);
    while (Clock::now() < end && number.find('\n') == std::string::npos) {
        pollfd p {fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buf[32];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        number.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        why_ = "Xvfb did not start";
        endChild(xvfb_);
        xvfb_ = -1;
        return;
    }
    display_ = ":" + number.substr(0, number.find('\n'));

    // A window manager gives windows the keyboard when asked and places them.
    for (const auto &[wm, args] : std::vector<std::pair<std::string, std::vector<std::string>>> {
             {"openbox", {"--sm-disable"}}, {"matchbox-window-manager", {"-use_titlebar", "yes"}}}) {
        const std::string path = FindOnPath(wm);
        if (path.empty())
            continue;
        wm_ = spawn(path, args, {displayEnv()}, -1, -1);
        break;
    }
    // Running once it announces itself on the root window.
    if (wm_ > 0)
        WaitUntil(10, [this] {
            std::string out;
            return tool({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, &out) == 0 &&
                   out.find("window id") != std::string::npos;
        });
}

XSession::~XSession()
{
    endChild(wm_);
    endChild(xvfb_);
}

int XSession::tool(const std::vector<std::string> &args, std::string *out, double seconds) const
{
    if (args.empty())
        return -1;
    const std::string path = FindOnPath(args[0]);
    if (path.empty())
        return -1;
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = spawn(path, std::vector<std::string>(args.begin() + 1, args.end()), {displayEnv()}, fds[1], -1);
    close(fds[1]);
    std::string text;
    int status = 0;
    bool exited = false, eof = false;
    const auto end = deadlineIn(seconds);
    while (!exited && Clock::now() < end) {
        pollfd p {fds[0], POLLIN, 0};
        if (!eof && poll(&p, 1, 20) > 0) {
            char chunk[65536];
            const ssize_t n = read(fds[0], chunk, sizeof chunk);
            if (n > 0)
                text.append(chunk, static_cast<size_t>(n));
            else
                eof = true;
            continue; // drain the pipe before looking for the end
        }
        exited = waitpid(pid, &status, WNOHANG) == pid;
        if (eof && !exited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    char chunk[65536];
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    ssize_t n;
    while ((n = read(fds[0], chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(n));
    close(fds[0]);
    if (out)
        *out = text;
    if (!exited)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool XSession::xdotool(const std::vector<std::string> &args, std::string *out) const
{
    std::vector<std::string> all = {"xdotool"};
    all.insert(all.end(), args.begin(), args.end());
    return tool(all, out) == 0;
}

std::vector<std::string> XSession::windows(const std::string &titleRegex) const
{
    std::string out;
    xdotool({"search", "--onlyvisible", "--name", titleRegex}, &out);
    std::vector<std::string> ids;
    std::istringstream in(out);
    std::string id;
    while (in >> id)
        ids.push_back(id);
    return ids;
}

std::string XSession::waitWindow(const std::string &titleRegex, double seconds) const
{
    std::string found;
    WaitUntil(seconds, [&] {
        const auto ids = windows(titleRegex);
        if (!ids.empty())
            found = ids.front();
        return !ids.empty();
    });
    return found;
}

bool XSession::waitNoWindow(const std::string &titleRegex, double seconds) const
{
    return WaitUntil(seconds, [&] { return windows(titleRegex).empty(); });
}

bool XSession::activate(const std::string &id) const
{
    return WaitUntil(10, [&] {
        std::string active;
        xdotool({"windowactivate", id});
        return xdotool({"getactivewindow"}, &active) &&
               std::strtoul(active.c_str(), nullptr, 10) == std::strtoul(id.c_str(), nullptr, 10);
    });
}

bool XSession::key(const std::string &keys) const { return xdotool({"key", keys}); }

bool XSession::type(const std::string &text) const { return xdotool({"type", "--delay", "30", text}); }

bool XSession::click(const std::string &id, int x, int y, int button) const
{
    // One xdotool run: the server takes the move before the click.
    return xdotool(
        {"mousemove", "--window", id, std::to_string(x), std::to_string(y), "click", std::to_string(button)});
}

XPicture XSession::grab(const std::string &id, const std::string &saveAs) const
{
    std::string data;
    if (tool({"xwd", "-id", id, "-silent"}, &data, 20) != 0)
        return {};
    if (!saveAs.empty())
        std::ofstream(saveAs, std::ios::binary) << data;
    return ParseXwd(data);
}
