#include "transports.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace veltsim {

std::optional<TcpListener> listenTcp(const std::string& host, int port, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found); rc != 0) {
    *error = "--tcp " + host + ": " + gai_strerror(rc);
    return std::nullopt;
  }
  std::optional<TcpListener> result;
  for (addrinfo* a = found; a && !result; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 4) == 0) {
      sockaddr_storage bound{};
      socklen_t len = sizeof bound;
      getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
      const int p = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                                : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
      result = TcpListener{fd, p};
    } else {
      *error = "--tcp " + host + ":" + service + ": " + std::strerror(errno);
      close(fd);
    }
  }
  freeaddrinfo(found);
  return result;
}

int acceptClient(int listenFd) {
  const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd >= 0) {
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, 1 /* TCP_NODELAY */, &one, sizeof one);
  }
  return fd;
}

std::optional<Pty> openPty(const std::string& linkPath, std::string* error) {
  auto fail = [&](const std::string& what) -> std::optional<Pty> {
    *error = "--pty " + linkPath + ": " + what + ": " + std::strerror(errno);
    return std::nullopt;
  };
  Pty pty;
  pty.link = linkPath;
  pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (pty.master < 0) return fail("posix_openpt");
  char name[128];
  if (grantpt(pty.master) != 0 || unlockpt(pty.master) != 0 ||
      ptsname_r(pty.master, name, sizeof name) != 0) {
    close(pty.master);
    return fail("pseudo-terminal set-up");
  }
  pty.device = name;
  // Our own slave descriptor keeps the line alive while clients close and reopen it.
  pty.slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (pty.slave < 0) {
    close(pty.master);
    return fail("open " + pty.device);
  }
  termios tio{};
  tcgetattr(pty.slave, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, B19200);
  cfsetospeed(&tio, B19200);
  tcsetattr(pty.slave, TCSANOW, &tio);
  unlink(linkPath.c_str());  // a link left over by an earlier run
  if (symlink(name, linkPath.c_str()) != 0) {
    closePty(pty);
    return fail("symlink");
  }
  return pty;
}

void closePty(Pty& pty) {
  if (!pty.link.empty()) {
    char target[256];
    const ssize_t n = readlink(pty.link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == pty.device) unlink(pty.link.c_str());
  }
  if (pty.slave >= 0) close(pty.slave);
  if (pty.master >= 0) close(pty.master);
  pty.slave = pty.master = -1;
}

int watchOpens(const std::string& device) {
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) return -1;
  if (inotify_add_watch(fd, device.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::vector<OpenEvent> readOpenEvents(int watchFd) {
  std::vector<OpenEvent> events;
  alignas(inotify_event) char buf[4096];
  for (;;) {
    const ssize_t n = read(watchFd, buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event ev;
      std::memcpy(&ev, buf + at, sizeof ev);
      if (ev.mask & IN_Q_OVERFLOW) events.push_back(OpenEvent::Lost);
      if (ev.mask & IN_OPEN) events.push_back(OpenEvent::Opened);
      if (ev.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) events.push_back(OpenEvent::Closed);
      at += static_cast<ssize_t>(sizeof(inotify_event) + ev.len);
    }
  }
  return events;
}

bool writeFileAtomically(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0 &&
                  fsync(fileno(f)) == 0;
  std::fclose(f);
  return ok && std::rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace veltsim
