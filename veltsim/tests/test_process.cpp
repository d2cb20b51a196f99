// Runs the real veltsim executable (from VELT_BIN_DIR) on loopback TCP and on a
// pseudo-terminal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "options.h"
#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Reads until `n` bytes arrived or `timeout` seconds passed.
Bytes readBytes(int fd, size_t n, double timeout = 3) {
  Bytes out;
  const double end = now() + timeout;
  while (out.size() < n && now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    uint8_t buf[512];
    const ssize_t got = read(fd, buf, std::min(sizeof buf, n - out.size()));
    if (got <= 0) break;
    out.insert(out.end(), buf, buf + got);
  }
  return out;
}

std::string readUntil(int fd, const std::string& text, double timeout = 5) {
  std::string s;
  const double end = now() + timeout;
  while (s.find(text) == std::string::npos && now() < end) {
    const Bytes b = readBytes(fd, 1, end - now());
    s.append(b.begin(), b.end());
  }
  return s;
}

// veltsim as a child process, with the TCP port and pty device it printed.
struct Veltsim {
  pid_t pid = -1;
  int port = 0;
  std::string device;

  explicit Veltsim(std::vector<std::string> args) {
    const char* bin = std::getenv("VELT_BIN_DIR");
    const std::string exe = std::string(bin ? bin : ".") + "/veltsim";
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    pid = fork();
    if (pid == 0) {
      dup2(out[1], 1);
      close(out[0]);
      std::vector<char*> argv{const_cast<char*>(exe.c_str())};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    std::string text;
    const int expected = static_cast<int>(std::count(args.begin(), args.end(), "--tcp") +
                                          std::count(args.begin(), args.end(), "--pty"));
    for (int line = 0; line < expected; ++line) text += readUntil(out[0], "\n");
    close(out[0]);
    if (auto at = text.find("TCP "); at != std::string::npos) port = std::stoi(text.substr(at + 4));
    if (auto at = text.find("PTY "); at != std::string::npos)
      device = text.substr(at + 4, text.find('\n', at) - at - 4);
  }
  int stop() {
    int status = -1;
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, &status, 0);
      pid = -1;
    }
    return status;
  }
  ~Veltsim() { stop(); }
};

int connectTcp(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  return fd;
}

// Opens the serial side as the programs do: 19200 8N1, raw.
int openSerial(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  EXPECT_GE(fd, 0) << path;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetspeed(&t, B19200);
  t.c_cflag |= CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  tcflush(fd, TCIOFLUSH);  // FlushInQ, FlushOutQ
  return fd;
}

Bytes roundTrip(int fd, const Bytes& request, size_t replyBytes = 36) {
  EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  return readBytes(fd, replyBytes);
}

const std::string kVersion = "VELTSIM COLOUR SENSOR V6.1";

// Peak resident memory of a process, in KiB (VmHWM).
long peakMemoryKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Writes `count` copies of a telegram without reading anything.
void flood(int fd, const Bytes& request, size_t count) {
  Bytes burst;
  for (int i = 0; i < 1000; ++i) burst.insert(burst.end(), request.begin(), request.end());
  for (size_t left = count * request.size(); left > 0;) {
    const ssize_t n = write(fd, burst.data(), std::min(left, burst.size()));
    ASSERT_GT(n, 0);
    left -= static_cast<size_t>(n);
  }
}

// Waits until `count` lines of the log contain `text`.
bool waitForLog(const std::string& path, const std::string& text, int count = 1, double timeout = 10) {
  for (const double end = now() + timeout; now() < end; usleep(20000)) {
    std::ifstream in(path);
    int seen = 0;
    for (std::string line; std::getline(in, line) && seen < count;) seen += line.find(text) != std::string::npos;
    if (seen >= count) return true;
  }
  return false;
}

}  // namespace

TEST(Process, AnswersOnTcpAndOnThePtyAndKeepsTheEepromAcrossARestart) {
  const std::string dir = tempDir();
  const std::vector<std::string> args{"--tcp", "127.0.0.1:0", "--pty",   dir + "/tty",
                                      "--log", dir + "/log",  "--state", dir + "/state"};
  Veltsim sim(args);
  ASSERT_GT(sim.port, 0);
  ASSERT_FALSE(sim.device.empty());
  // A second TCP client is accepted after the first one left; the pty keeps
  // working when a client closes and reopens it.
  for (int round = 0; round < 4; ++round) {
    const int fd = round % 2 ? openSerial(dir + "/tty") : connectTcp(sim.port);
    const Bytes r = roundTrip(fd, telegram(GetVersion));
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(std::string(r.begin(), r.begin() + kVersion.size()), kVersion);
    if (round == 0) {
      EXPECT_EQ(write(fd, telegram(SetPara, {4321}).data(), 36), 36);
      EXPECT_EQ(words(roundTrip(fd, telegram(SaveEeprom)))[2], 4321);
    }
    close(fd);
  }
  EXPECT_EQ(sim.stop(), 0);
  std::ifstream log(dir + "/log");
  std::string first;
  std::getline(log, first);
  EXPECT_EQ(first.front(), '{');

  Veltsim again(args);
  const int tcp = connectTcp(again.port);
  EXPECT_EQ(words(roundTrip(tcp, telegram(LoadEeprom)))[2], 4321);
  close(tcp);
  std::system(("rm -rf " + dir).c_str());
}

// A client that sends and never reads costs the simulator a bounded queue:
// the oldest replies go, whole, and the newest still arrive.
TEST(Process, ATcpClientThatReadsNothingCannotGrowTheSimulator) {
  const size_t kFlood = (size_t{12} << 20) / 36;
  Veltsim sim({"--tcp", "127.0.0.1:0"});
  ASSERT_GT(sim.port, 0);
  // A small receive buffer, so that the replies pile up in the simulator
  // rather than in the kernel.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const int small = 4096;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(sim.port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(roundTrip(fd, telegram(GetVersion)).size(), 36u);
  const long before = peakMemoryKiB(sim.pid);
  flood(fd, telegram(GetVersion), kFlood);  // 12 MiB of replies nobody reads
  const Bytes final = telegram(GetPara);
  ASSERT_EQ(write(fd, final.data(), final.size()), 36);
  // Everything that arrives is whole replies, ending with the last one asked for.
  Bytes received;
  size_t replies = 0;
  bool whole = true, last = false;
  for (const double end = now() + 20; !last && now() < end;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    uint8_t buf[65536];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) break;
    received.insert(received.end(), buf, buf + n);
    size_t at = 0;
    for (; !last && at + 36 <= received.size(); at += 36, ++replies) {
      last = wordAt(std::span(received).subspan(at), 1) == GetPara;
      whole = whole && (last || std::equal(kVersion.begin(), kVersion.end(), received.begin() + at));
    }
    received.erase(received.begin(), received.begin() + at);
  }
  EXPECT_TRUE(last);
  EXPECT_TRUE(whole);
  EXPECT_TRUE(received.empty());
  EXPECT_LT(replies, kFlood);  // some were dropped
#ifndef __SANITIZE_ADDRESS__  // its quarantine keeps freed replies resident
  EXPECT_LT(peakMemoryKiB(sim.pid) - before, 3 * 1024);
#endif
  close(fd);
}

// What a client leaves unread on the pty (in the line or still queued in the
// simulator) never reaches the next client; the queue stays bounded meanwhile.
TEST(Process, ThePtyGivesANewClientNothingThePreviousOneLeftUnread) {
  const std::string dir = tempDir();
  Veltsim sim({"--pty", dir + "/tty", "--log", dir + "/log"});
  ASSERT_FALSE(sim.device.empty());
  int serial = openSerial(dir + "/tty");
  flood(serial, telegram(GetPara), 16000);  // 576 KB of echoes, none read
  EXPECT_TRUE(waitForLog(dir + "/log", "\"event\":\"queue-full\""));
  // Every request has been read: what is left are replies on their way.
  EXPECT_TRUE(waitForLog(dir + "/log", "\"dir\":\"rx\",\"order\":3,", 16000));
  close(serial);

  serial = openSerial(dir + "/tty");
  const Bytes id = roundTrip(serial, telegram(GetVersion));
  ASSERT_EQ(id.size(), 36u);
  EXPECT_EQ(std::string(id.begin(), id.begin() + kVersion.size()), kVersion);
  EXPECT_TRUE(readBytes(serial, 1, 0.3).empty());
  close(serial);
  EXPECT_TRUE(waitForLog(dir + "/log", "replies the client left unread"));
  // The line still works for the next client in turn.
  serial = openSerial(dir + "/tty");
  EXPECT_EQ(words(roundTrip(serial, telegram(GetPara)))[1], GetPara);
  close(serial);
  std::system(("rm -rf " + dir).c_str());
}

// Records at address 0 and 0xFFFFFF00: the image is accepted, and --fw-out
// refuses a file of nearly 4 GiB and says so instead of aborting.
TEST(Process, FirmwareSpanningTheAddressSpaceIsNotLaidOutFlat) {
  const std::string dir = tempDir();
  Veltsim sim({"--pty", dir + "/tty", "--prompt-delay-ms", "0", "--fw-out", dir + "/out.bin", "--log",
               dir + "/log"});
  int serial = openSerial(dir + "/tty");
  EXPECT_EQ(words(roundTrip(serial, telegram(JumpBoot)))[1], JumpBoot);
  EXPECT_NE(readUntil(serial, "S-Record.").find("Waiting"), std::string::npos);
  const std::string srec = "S30900000000DEADBEEFBE\r\nS309FFFFFF00CAFEBABEB9\r\nS70500000000FA\r\n";
  EXPECT_EQ(write(serial, srec.data(), srec.size()), static_cast<ssize_t>(srec.size()));
  EXPECT_NE(readUntil(serial, "0x00A4\r\n").find("Application started"), std::string::npos);
  close(serial);
  EXPECT_TRUE(waitForLog(dir + "/log", "\"event\":\"fw-out\""));
  EXPECT_EQ(access((dir + "/out.bin").c_str(), F_OK), -1);
  serial = openSerial(dir + "/tty");
  EXPECT_EQ(roundTrip(serial, telegram(GetVersion)).size(), 36u);  // still running
  close(serial);
  std::system(("rm -rf " + dir).c_str());
}

// Every option the help lists is one the parser knows: an option added to the
// parser and the help but not to the list of options that take a value would
// be refused as unknown.
TEST(Options, EveryOptionInTheHelpIsAccepted) {
  std::istringstream help(veltsim::helpText());
  int seen = 0;
  for (std::string line; std::getline(help, line);) {
    if (line.rfind("  --", 0) != 0) continue;
    const std::string option = line.substr(2, line.find(' ', 2) - 2);
    if (option == "--help") continue;
    ++seen;
    std::string error;
    veltsim::parseOptions({option, "x", "--tcp", "127.0.0.1:0"}, &error);
    EXPECT_EQ(error.find("unknown option"), std::string::npos) << option << ": " << error;
  }
  EXPECT_GT(seen, 15);
  std::string error;
  EXPECT_FALSE(veltsim::parseOptions({"--bogus", "--tcp", "127.0.0.1:0"}, &error));
  EXPECT_EQ(error, "unknown option '--bogus'");
  EXPECT_FALSE(veltsim::parseOptions({"--tcp"}, &error));
  EXPECT_EQ(error, "option '--tcp' needs a value");
  const auto version = veltsim::parseOptions({"--version", "--bogus"}, &error);
  ASSERT_TRUE(version);
  EXPECT_TRUE(version->version);
}
