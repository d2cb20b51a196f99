// veltsim: the event loop around one simulated sensor. It owns the transports
// (a TCP listener with at most one client, a pseudo-terminal), the log, state
// and firmware files and the pacing; all sensor behaviour is in veltsim_core.
#include <sys/ioctl.h>
#include <termios.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <deque>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cmdline.h"
#include "device.h"
#include "options.h"
#include "pacer.h"
#include "statefile.h"
#include "transports.h"

using namespace veltsim;

namespace {

int signalPipe[2] = {-1, -1};
void onSignal(int) {
  const char c = 1;
  [[maybe_unused]] auto n = write(signalPipe[1], &c, 1);
}

double monotonicSeconds() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Reply bytes that may wait for one peer. A peer that sends requests and
// reads no replies would otherwise make the queue grow without limit; past
// this the oldest replies are dropped, whole, as a line drops what nobody reads.
constexpr size_t kMaxQueuedBytes = 256 * 1024;

// One open line to a peer: its descriptor, the replies waiting to go out, its pacing.
struct Endpoint {
  int fd = -1;  // -1: no peer connected (TCP between clients)
  int channel = 0;
  std::string name;
  bool ownsFd = true;     // false for the pty master, which outlives clients
  bool listening = true;  // a peer has the line open (the pty between clients: no)
  std::deque<Emission> queue;
  size_t queuedBytes = 0;
  size_t sentOfHead = 0;
  // Replies dropped from a full queue since the last log line about it.
  size_t droppedReplies = 0, droppedBytes = 0;
  double lastDropLog = -1e9;
  Pacer out, in;
  Endpoint(int ch, std::string n, bool pace) : channel(ch), name(std::move(n)), out(pace), in(pace) {}
};

class Simulator {
 public:
  Simulator(Options options, Sensor& sensor)
      : o_(std::move(options)), sensor_(sensor), device_(sensor, o_.device) {}

  int run();

 private:
  bool open();
  void dispatch(Outbox out);
  void closeClient(Endpoint& e, double now);
  void enqueue(Endpoint& e, Emission emission, double now);
  void dropQueue(Endpoint& e);
  void logDrops(Endpoint& e, double now, bool force);
  void watchPtyClients(double now);
  void ptyClientArrived(double now);
  void ptyClientLeft(double now, bool drain);
  void dropStale(Endpoint& e, double now, const char* what);
  void readFrom(Endpoint& e, double now);
  void writeTo(Endpoint& e, double now);
  void logPending(Endpoint& e, double now, uint8_t flowByte);
  void saveState();
  void writeFirmware(const FirmwareImage& image);
  void logLine(const std::string& line);

  Options o_;
  Sensor& sensor_;
  Device device_;
  std::optional<TcpListener> listener_;
  std::optional<Pty> pty_;
  std::deque<Endpoint> endpoints_;  // [tcp] [pty], stable addresses
  Endpoint* tcp_ = nullptr;
  Endpoint* serial_ = nullptr;
  int ptyWatch_ = -1;   // opens and closes of the pty's slave side
  int ptyClients_ = 0;  // open descriptions of the slave side besides our own
  double deviceTime_ = 0;  // latest time handed to the device (it never goes back)
  FILE* log_ = nullptr;
};

bool Simulator::open() {
  std::string error;
  if (o_.tcpHost) {
    listener_ = listenTcp(*o_.tcpHost, o_.tcpPort, &error);
    if (!listener_) return std::cerr << "veltsim: " << error << "\n", false;
    tcp_ = &endpoints_.emplace_back(device_.addChannel(ChannelKind::Tcp, "tcp"), "tcp", o_.pace);
    std::printf("TCP %d\n", listener_->port);
  }
  if (o_.ptyLink) {
    pty_ = openPty(*o_.ptyLink, &error);
    if (!pty_) return std::cerr << "veltsim: " << error << "\n", false;
    serial_ = &endpoints_.emplace_back(device_.addChannel(ChannelKind::Serial, "pty"), "pty", o_.pace);
    serial_->fd = pty_->master;
    serial_->ownsFd = false;
    // Clients come and go on the slave side; the watch tells when, so that a
    // new client gets nothing its predecessor left unread.
    ptyWatch_ = watchOpens(pty_->device);
    if (ptyWatch_ >= 0) {
      serial_->listening = false;
    } else {
      std::cerr << "veltsim: cannot watch " << pty_->device
                << " for clients; bytes a client leaves unread reach the next one\n";
      device_.connected(serial_->channel, monotonicSeconds());
    }
    std::printf("PTY %s\n", pty_->device.c_str());
  }
  std::fflush(stdout);
  return true;
}

void Simulator::saveState() {
  if (o_.stateFile && !writeFileAtomically(*o_.stateFile, veltsim::saveState(sensor_)))
    std::cerr << "veltsim: cannot write state file " << *o_.stateFile << "\n";
}

void Simulator::dispatch(Outbox out) {
  if (log_)
    for (const auto& line : out.log) std::fprintf(log_, "%s\n", line.c_str());
  if (log_ && !out.log.empty()) std::fflush(log_);
  // Bytes for a line that nobody has open are lost, as on a wire.
  for (auto& e : out.emissions)
    for (auto& ep : endpoints_)
      if (ep.channel == e.channel && ep.fd >= 0 && ep.listening) enqueue(ep, std::move(e), monotonicSeconds());
  if (out.saveState) saveState();
  if (out.firmware && o_.firmwareOut) writeFirmware(*out.firmware);
}

// The accepted image as one binary from its lowest address, gaps 0xFF. An image
// whose records lie so far apart that the file would exceed the image limit is
// not written (a 4 GiB file of 0xFF helps nobody): the log and stderr say why.
void Simulator::writeFirmware(const FirmwareImage& image) {
  const std::string& path = *o_.firmwareOut;
  const auto flat = image.flatten();
  std::string problem;
  if (!flat)
    problem = "image spans " + std::to_string(image.span()) + " bytes from address " + std::to_string(image.base()) +
              " in " + std::to_string(image.segments().size()) + " segments, more than " +
              std::to_string(FirmwareImage::kMaxBytes) + "; not written";
  else if (!writeFileAtomically(path, std::string(flat->begin(), flat->end())))
    problem = "cannot write the file";
  if (problem.empty()) return;
  std::cerr << "veltsim: --fw-out " << path << ": " << problem << "\n";
  logLine(Json()
              .num("t", monotonicSeconds())
              .str("event", "fw-out")
              .str("file", path)
              .boolean("written", false)
              .str("note", problem)
              .text());
}

void Simulator::logLine(const std::string& line) {
  if (!log_) return;
  std::fprintf(log_, "%s\n", line.c_str());
  std::fflush(log_);
}

void Simulator::closeClient(Endpoint& e, double now) {
  if (e.ownsFd && e.fd >= 0) close(e.fd);
  e.fd = -1;
  logDrops(e, now, true);
  dropQueue(e);
  device_.disconnected(e.channel, now);
}

void Simulator::enqueue(Endpoint& e, Emission emission, double now) {
  e.queuedBytes += emission.bytes.size();
  e.queue.push_back(std::move(emission));
  while (e.queuedBytes > kMaxQueuedBytes) {
    // The oldest reply that has not begun to go out (a begun one would leave
    // half a telegram on the line); a pending close stays.
    auto victim = e.queue.begin() + (e.sentOfHead > 0 ? 1 : 0);
    while (victim != e.queue.end() && victim->kind == Emission::Close) ++victim;
    if (victim == e.queue.end()) break;
    ++e.droppedReplies;
    e.droppedBytes += victim->bytes.size();
    e.queuedBytes -= victim->bytes.size();
    e.queue.erase(victim);
  }
  logDrops(e, now, false);
}

void Simulator::dropQueue(Endpoint& e) {
  e.out.stop();
  e.queue.clear();
  e.queuedBytes = 0;
  e.sentOfHead = 0;
}

// One log line a second at most while a peer reads nothing.
void Simulator::logDrops(Endpoint& e, double now, bool force) {
  if (e.droppedReplies == 0 || (!force && now - e.lastDropLog < 1.0)) return;
  logLine(Json()
              .num("t", now)
              .str("ch", e.name)
              .str("event", "queue-full")
              .num("replies", static_cast<long long>(e.droppedReplies))
              .num("bytes", static_cast<long long>(e.droppedBytes))
              .str("note", "the client reads no replies; the oldest were dropped")
              .text());
  e.droppedReplies = e.droppedBytes = 0;
  e.lastDropLog = now;
}

// Follows the clients of the pty in the order they opened and closed it.
void Simulator::watchPtyClients(double now) {
  if (ptyWatch_ < 0) return;
  const std::vector<OpenEvent> events = readOpenEvents(ptyWatch_);
  for (size_t i = 0; i < events.size(); ++i) {
    switch (events[i]) {
      case OpenEvent::Opened:
        if (ptyClients_++ == 0) ptyClientArrived(now);
        break;
      case OpenEvent::Closed:
        if (ptyClients_ > 0 && --ptyClients_ == 0)
          // Once the next client has the line, its first bytes may be in the
          // line already: then nothing is read ahead.
          ptyClientLeft(now, std::find(events.begin() + static_cast<long>(i), events.end(), OpenEvent::Opened) ==
                                 events.end());
        break;
      case OpenEvent::Lost:  // count unknown: better a stale byte than a lost reply
        if (ptyClients_ == 0) ptyClientArrived(now);
        ptyClients_ = std::max(ptyClients_, 1);
        break;
    }
  }
}

// A client opened the line. Nothing meant for its predecessor is left (that
// went when the predecessor closed); this drops what may have come since.
void Simulator::ptyClientArrived(double now) {
  Endpoint& e = *serial_;
  dropStale(e, now, "replies for an earlier client");
  e.listening = true;
  device_.connected(e.channel, now);
}

// The last client closed the line: the answers still on their way go nowhere.
// What it wrote and the sensor has not read yet is read now, as far as the
// sensor takes it (a serial port drains its output on close), and answered
// into the void, unless another client has opened the line meanwhile.
void Simulator::ptyClientLeft(double now, bool drain) {
  Endpoint& e = *serial_;
  e.listening = false;
  logDrops(e, now, true);
  for (int pass = 0; drain && pass < 256; ++pass) {
    int waiting = 0;
    if (ioctl(e.fd, FIONREAD, &waiting) != 0 || waiting <= 0) break;
    const size_t limit = std::min<size_t>({static_cast<size_t>(waiting), device_.acceptLimit(e.channel), 4096});
    if (limit == 0) break;  // the boot firmware takes no more now: the rest is read as usual
    uint8_t buf[4096];
    const ssize_t n = read(e.fd, buf, limit);
    if (n <= 0) break;
    device_.receive(e.channel, std::span(buf, static_cast<size_t>(n)), now);
    dispatch(device_.take());
  }
  dropStale(e, now, "replies the client left unread");
  device_.disconnected(e.channel, now);
}

// Empties our queue and the line's input towards the client, and logs what went.
void Simulator::dropStale(Endpoint& e, double now, const char* what) {
  int unread = 0;
  if (ioctl(pty_->slave, FIONREAD, &unread) != 0 || unread < 0) unread = 0;
  tcflush(pty_->slave, TCIFLUSH);
  const size_t stale = e.queuedBytes - std::min(e.queuedBytes, e.sentOfHead) + static_cast<size_t>(unread);
  dropQueue(e);
  if (stale > 0)
    logLine(Json()
                .num("t", now)
                .str("ch", e.name)
                .str("event", "dropped")
                .num("bytes", static_cast<long long>(stale))
                .str("note", what)
                .text());
}

void Simulator::readFrom(Endpoint& e, double now) {
  const int baud = device_.baud(e.channel);
  e.in.start(now);  // bytes found waiting left the client about now
  const size_t limit = std::min<size_t>({device_.acceptLimit(e.channel), e.in.allowance(now, baud), 4096});
  if (limit == 0) return;
  uint8_t buf[4096];
  const ssize_t n = read(e.fd, buf, limit);
  if (n > 0) {
    e.in.consume(static_cast<size_t>(n), baud);
    // Paced, the sensor has the bytes when the line delivered them, not when
    // this process got round to reading them: its answer is due from then.
    const double arrival = e.in.enabled() ? std::clamp(e.in.lineTime(), deviceTime_, now) : now;
    deviceTime_ = std::max(deviceTime_, arrival);
    device_.receive(e.channel, std::span(buf, static_cast<size_t>(n)), arrival);
    // All read: the line from the client is idle until it writes again.
    int more = 0;
    if (e.fd >= 0 && ioctl(e.fd, FIONREAD, &more) == 0 && more == 0) e.in.stop();
  } else if (n < 0 && errno == EAGAIN) {
    e.in.stop();
  } else if (e.ownsFd && (n == 0 || errno != EINTR)) {
    closeClient(e, now);  // the TCP client went away
  }
}

// Bytes the client has handed to the pty that the sensor has not read yet,
// when XOFF or XON goes out: a client that honours XOFF adds none between
// the two (the sensor reads nothing meanwhile).
void Simulator::logPending(Endpoint& e, double now, uint8_t flowByte) {
  int pending = 0;
  if (!log_ || ioctl(e.fd, FIONREAD, &pending) != 0) return;
  std::fprintf(log_, "{\"t\":%.3f,\"ch\":\"pty\",\"event\":\"flow-sent\",\"byte\":\"%s\",\"pending\":%d}\n",
               now, flowByte == 0x13 ? "xoff" : "xon", pending);
  std::fflush(log_);
}

void Simulator::writeTo(Endpoint& e, double now) {
  const int baud = device_.baud(e.channel);
  while (!e.queue.empty() && e.queue.front().at <= now && e.fd >= 0) {
    Emission& head = e.queue.front();
    if (head.kind == Emission::Close) {
      e.queue.pop_front();
      closeClient(e, now);
      return;
    }
    e.out.start(head.at);  // a reply due while the line was idle starts when due
    const size_t left = head.bytes.size() - e.sentOfHead;
    const size_t n = std::min(left, e.out.allowance(now, baud));
    if (n == 0) return;
    const ssize_t w = write(e.fd, head.bytes.data() + e.sentOfHead, n);
    if (w < 0) {
      if (errno != EAGAIN && errno != EINTR && e.ownsFd) closeClient(e, now);
      return;
    }
    e.out.consume(static_cast<size_t>(w), baud);
    e.sentOfHead += static_cast<size_t>(w);
    if (e.sentOfHead < head.bytes.size()) return;
    if (!e.ownsFd && head.bytes.size() == 1 && (head.bytes[0] == 0x13 || head.bytes[0] == 0x11))
      logPending(e, now, head.bytes[0]);
    e.queuedBytes -= head.bytes.size();
    e.queue.pop_front();
    e.sentOfHead = 0;
  }
  // Nothing due: the line to the client is idle until the next reply is.
  if (e.queue.empty() || e.queue.front().at > now) e.out.stop();
}

int Simulator::run() {
  if (o_.logFile && !(log_ = std::fopen(o_.logFile->c_str(), "a")))
    return std::cerr << "veltsim: cannot open log " << *o_.logFile << "\n", 1;
  if (!open()) return 1;

  bool quit = false;
  while (!quit) {
    double now = monotonicSeconds();
    deviceTime_ = std::max(deviceTime_, now);
    device_.tick(now);
    dispatch(device_.take());

    // What to wait for, and until when.
    std::vector<pollfd> fds{{signalPipe[0], POLLIN, 0}};
    std::vector<Endpoint*> polled;
    double wake = now + 1.0;
    if (auto d = device_.nextDeadline()) wake = std::min(wake, *d);
    if (listener_ && tcp_->fd < 0) fds.push_back({listener_->fd, POLLIN, 0});
    if (ptyWatch_ >= 0) fds.push_back({ptyWatch_, POLLIN, 0});
    const size_t firstEndpoint = fds.size();
    for (auto& e : endpoints_) {
      if (e.fd < 0) continue;
      short events = 0;
      const int baud = device_.baud(e.channel);
      if (device_.acceptLimit(e.channel) > 0) {
        const double w = e.in.wait(now, baud);
        if (w == 0)
          events |= POLLIN;
        else
          wake = std::min(wake, now + w);
      } else {
        e.in.stop();  // the sensor holds the line (XOFF, full buffer): it starts anew when it reads again
      }
      if (!e.queue.empty()) {
        const double due = std::max(e.queue.front().at, now + e.out.wait(now, baud));
        if (due <= now)
          events |= POLLOUT;
        else
          wake = std::min(wake, due);
      }
      fds.push_back({e.fd, events, 0});
      polled.push_back(&e);
    }
    const int timeoutMs = std::max(0, static_cast<int>(std::ceil((wake - now) * 1000)));
    if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
      std::perror("veltsim: poll");
      break;
    }
    now = monotonicSeconds();
    if (fds[0].revents & POLLIN) quit = true;
    // Opens and closes first, whatever poll saw: a client's open comes before
    // its first byte, and no stale reply may go out after it.
    watchPtyClients(now);
    if (listener_ && tcp_->fd < 0 && (fds[1].revents & POLLIN)) {
      tcp_->fd = acceptClient(listener_->fd);
      if (tcp_->fd >= 0) device_.connected(tcp_->channel, now);
    }
    for (size_t i = 0; i < polled.size(); ++i) {
      Endpoint& e = *polled[i];
      const short rev = fds[firstEndpoint + i].revents;
      if (e.fd >= 0 && (rev & (POLLIN | POLLHUP | POLLERR))) readFrom(e, now);
      if (e.fd >= 0) writeTo(e, now);
      logDrops(e, now, false);
    }
    dispatch(device_.take());
  }

  saveState();
  for (auto& e : endpoints_)
    if (e.fd >= 0 && e.ownsFd) close(e.fd);
  if (ptyWatch_ >= 0) close(ptyWatch_);
  if (pty_) closePty(*pty_);
  if (listener_) close(listener_->fd);
  if (log_) std::fclose(log_);
  return 0;
}

}  // namespace

// The options' help and what a user of the suite needs around them.
std::string fullHelpText() {
  std::string t = helpText();
  t += "\nSerial devices:\n";
  t += WrapText("The --pty link stands in for the serial device of a real sensor.", 2);
  t += SerialDevicesHelpText();
  t += "\nEnvironment:\n";
  t += WrapText(
      "veltsim reads no environment variables. The programs of the suite find it through theirs: "
      "VELTRA_COM<n> names the serial device of COM port number n, so VELTRA_COM1=LINKPATH points COM1 "
      "at the --pty link; VELTRA_UI_SCRIPT names a UI script that drives a program without a person.",
      2);
  t += "\nFiles:\n";
  t += WrapText(
      "veltsim keeps no files of its own. It writes only those named on its command line: the state file "
      "(--state), the log (--log), the firmware image (--fw-out) and the symbolic link of the "
      "pseudo-terminal (--pty), which it removes when it ends; it reads the scene file (--scene).",
      2);
  return t;
}

int main(int argc, char** argv) {
  std::string error;
  auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    const std::string help = helpText();
    std::cerr << CommandLineErrorText("veltsim", error, help.substr(0, help.find('\n') + 1));
    return kUsageExitCode;
  }
  if (options->help || options->version) {
    std::cout << (options->help ? fullHelpText() : ProgramVersionText("veltsim")) << std::flush;
    return std::cout ? 0 : 1;
  }

  Scene scene = Scene::builtIn();
  if (options->sceneFile) {
    const auto text = readFile(*options->sceneFile);
    auto parsed = text ? Scene::parse(*text, &error) : std::nullopt;
    if (!parsed) {
      std::cerr << "veltsim: --scene " << *options->sceneFile << ": " << (text ? error : "cannot read")
                << "\n";
      return 2;
    }
    scene = std::move(*parsed);
  }
  Sensor sensor(options->sensor, MeasurementModel(scene, options->model, options->seed));
  if (options->stateFile) {
    if (const auto text = readFile(*options->stateFile)) {
      if (!loadState(sensor, *text, &error)) {
        std::cerr << "veltsim: --state " << *options->stateFile << ": " << error << "\n";
        return 2;
      }
    }
  }

  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return std::perror("veltsim: pipe"), 1;
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Simulator simulator(std::move(*options), sensor);
  return simulator.run();
}
