#include "support_io.h"

#include "rt_ui.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace testio {

std::string fixture(const std::string &name)
{
    return std::string(RT_TEST_DATA_DIR) + "/" + name;
}

std::string readBytes(const std::string &path, bool *ok)
{
    std::ifstream in(path, std::ios::binary);
    if (ok)
        *ok = static_cast<bool>(in);
    std::ostringstream s;
    s << in.rdbuf();
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

std::string TempDir::path(const std::string &name) const
{
    return name.empty() ? dir_ : dir_ + "/" + name;
}

bool Pty::open()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return false;
    // Raw master side, so the test sees the bytes exactly as sent.
    termios t{};
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    char buf[4096];
    while (got.size() < want) {
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        ProcessSystemEvents(); // lets the run-time push its output queue
    }
    return got;
}

bool Pty::writeMaster(const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n > 0)
            done += static_cast<size_t>(n);
        else
            ::usleep(1000); // the pty is full: give the reader a moment
    }
    return true;
}

ScriptServer::ScriptServer(std::function<void(int fd)> script)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
        ::listen(listenFd_, 1) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        return;
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script = std::move(script)] {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1)
            return;
        const int fd = ::accept(listenFd_, nullptr, nullptr);
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
    while (got.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            break;
        const ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - got.size()));
        if (r <= 0)
            break;
        got.append(buf, static_cast<size_t>(r));
    }
    return got;
}

bool writeAll(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

unsigned closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd); // bound but never listening: connections are refused
    return ntohs(a.sin_port);
}

} // namespace testio
