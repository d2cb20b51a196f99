// The two ways in to the simulated sensor, and the pacing of a serial line.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace veltsim {

// A listening TCP socket (non-blocking). nullopt and *error on failure.
struct TcpListener {
  int fd = -1;
  int port = 0;
};
std::optional<TcpListener> listenTcp(const std::string& host, int port, std::string* error);
// Accepts one pending client as a non-blocking socket, or -1.
int acceptClient(int listenFd);

// A pseudo-terminal in raw mode with LINKPATH pointing at its device. The simulator
// keeps the slave side open itself so that clients may close and reopen it.
struct Pty {
  int master = -1;
  int slave = -1;
  std::string device;
  std::string link;
};
std::optional<Pty> openPty(const std::string& linkPath, std::string* error);
void closePty(Pty& pty);

// Opens and closes of a device by other processes, told by inotify: the pty
// cannot tell them itself while the simulator holds its own slave descriptor.
enum class OpenEvent { Opened, Closed, Lost };  // Lost: the kernel dropped events
// A non-blocking inotify descriptor watching `device`, or -1.
int watchOpens(const std::string& device);
// The events waiting on the watch, oldest first; none when nothing waits.
std::vector<OpenEvent> readOpenEvents(int watchFd);

// Writes `text` to `path` through a temporary file and a rename.
bool writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace veltsim
