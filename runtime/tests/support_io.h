// Helpers shared by the run-time's link and file tests.
#pragma once

#include <functional>
#include <string>
#include <thread>

namespace testio {

// Path of a file in the tests' data folder.
std::string fixture(const std::string &name);
// Whole content of a file ("" if it cannot be read).
std::string readBytes(const std::string &path);
bool writeBytes(const std::string &path, const std::string &bytes);
// A fresh directory removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string path(const std::string &name = {}) const;

private:
    std::string dir_;
};

// Services the run-time's events until done() holds or ms pass; returns done().
bool serviceEventsUntil(const std::function<bool()> &done, int ms);

// A pseudo-terminal pair: the test plays the device on the master side, the
// run-time opens the slave path. The master is non-blocking.
struct Pty {
    int master = -1;
    std::string slavePath;
    bool open();
    ~Pty();
    // Bytes the run-time sent, collected for up to waitMs (servicing the
    // run-time's events meanwhile) until want bytes are there.
    std::string readMaster(size_t want, int waitMs);
    bool writeMaster(const std::string &bytes);
};

// A loopback TCP server on its own thread that accepts one client and runs
// a script on the connected socket (blocking calls), then closes it.
class ScriptServer {
public:
    explicit ScriptServer(std::function<void(int fd)> script);
    ~ScriptServer();
    ScriptServer(const ScriptServer &) = delete;
    ScriptServer &operator=(const ScriptServer &) = delete;
    unsigned port() const { return port_; }
    void join();

private:
    int listenFd_ = -1;
    unsigned port_ = 0;
    std::thread thread_;
};
// Blocking helpers for the server side: read exactly n bytes (or fewer on
// time-out / close), write everything (waiting while a non-blocking fd is full).
std::string readExactly(int fd, size_t n, int timeoutMs);
bool writeAll(int fd, const std::string &bytes);

} // namespace testio
