#include "support_io.h"

#include "rt_ui.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace testio {

std::string fixture(const std::string &name) { return std::string(RT_TEST_DATA_DIR) + "/" + name; }

std::string readBytes(const std::string &path)
{
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

bool writeBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

TempDir::TempDir()
{
    char tmpl[] = "/tmp/rt_io_test_XXXXXX";
    const char *d = ::mkdtemp(tmpl);
    dir_ = d ? d : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (dir_ != "/tmp")
        std::filesystem::remove_all(dir_, ec);
}

std::string TempDir::path(const std::string &name) const { return name.empty() ? dir_ : dir_ + "/" + name; }

bool serviceEventsUntil(const std::function<bool()> &done, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < end)
        ProcessSystemEvents(); // sleeps briefly when nothing is pending
    return done();
}

bool Pty::open()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return false;
    // Raw master side, so the test sees the bytes exactly as sent.
    termios t {};
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    ::close(slave); // the run-time opens the slave by its path
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    slavePath = name;
    return true;
}

Pty::~Pty()
{
    if (master >= 0)
        ::close(master);
}

std::string Pty::readMaster(size_t want, int waitMs)
{
    std::string got;
    serviceEventsUntil(
        [&] {
            char buf[4096];
            ssize_t n;
            while (got.size() < want && (n = ::read(master, buf, sizeof buf)) > 0)
                got.append(buf, static_cast<size_t>(n));
            return got.size() >= want;
        },
        waitMs);
    return got;
}

bool Pty::writeMaster(const std::string &bytes) { return writeAll(master, bytes); }

namespace {
sockaddr_in loopback()
{
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}
} // namespace

ScriptServer::ScriptServer(std::function<void(int fd)> script)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback();
    socklen_t len = sizeof a;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
        ::listen(listenFd_, 1) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        return;
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
        pollfd p {listenFd_, POLLIN, 0};
        const int fd = ::poll(&p, 1, 5000) == 1 ? ::accept(listenFd_, nullptr, nullptr) : -1;
        if (fd < 0)
            return;
        script(fd);
        ::close(fd);
    });
}

void ScriptServer::join()
{
    if (thread_.joinable())
        thread_.join();
}

ScriptServer::~ScriptServer()
{
    join();
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

std::string readExactly(int fd, size_t n, int timeoutMs)
{
    std::string got;
    char buf[4096];
    pollfd p {fd, POLLIN, 0};
    ssize_t r;
    while (got.size() < n && ::poll(&p, 1, timeoutMs) == 1 &&
           (r = ::read(fd, buf, std::min(sizeof buf, n - got.size()))) > 0)
        got.append(buf, static_cast<size_t>(r));
    return got;
}

bool writeAll(int fd, const std::string &bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        pollfd p {fd, POLLOUT, 0}; // a full non-blocking fd: wait up to 5 s for room
        if (n == 0 || (errno != EAGAIN && errno != EINTR) || ::poll(&p, 1, 5000) <= 0)
            return false;
    }
    return true;
}

} // namespace testio
