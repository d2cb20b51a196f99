// Helpers shared by the run-time's link and file tests.
#pragma once

#include <string>

namespace testio {

// Path of a file in the tests' data folder.
std::string fixture(const std::string &name);
// Whole content of a file ("" if it cannot be read; ok tells which).
std::string readBytes(const std::string &path, bool *ok = nullptr);
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

} // namespace testio
