// Runs the real veltsim executable (from VELT_BIN_DIR) on loopback TCP and on a
// pseudo-terminal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "options.h"
#include "simproc.h"
#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Reads until `n` bytes or `text` arrived or `timeout` seconds passed.
std::string readFor(int fd, size_t n, const std::string& text = "", double timeout = 5) {
  std::string out;
  for (const double end = now() + timeout; out.size() < n && now() < end;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buf[512];
    const ssize_t got = read(fd, buf, std::min(sizeof buf, n - out.size()));
    if (got <= 0) break;
    out.append(buf, static_cast<size_t>(got));
    if (!text.empty() && out.find(text) != std::string::npos) break;
  }
  return out;
}

// A TCP client; a small receive buffer makes replies pile up in the simulator.
int connectTcp(int port, int receiveBuffer = 0) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (receiveBuffer) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  return fd;
}

// Opens the serial side as the programs do: 19200 8N1, raw, queues flushed.
int openSerial(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  EXPECT_GE(fd, 0) << path;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetspeed(&t, B19200);
  t.c_cflag |= CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  tcflush(fd, TCIOFLUSH);
  return fd;
}

Bytes roundTrip(int fd, const Bytes& request) {
  EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  const std::string r = readFor(fd, 36);
  return Bytes(r.begin(), r.end());
}

const std::string kVersion = "VELTSIM COLOUR SENSOR V6.1";

bool isVersion(const Bytes& reply) {
  return reply.size() == 36 && std::equal(kVersion.begin(), kVersion.end(), reply.begin());
}

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

// Waits until `count` lines of the simulator's log contain `text`.
bool waitForLog(const SimProcess& sim, const std::string& text, size_t count = 1, double timeout = 10) {
  for (const double end = now() + timeout; now() < end; usleep(20000)) {
    const auto lines = sim.logLines();
    if (static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
          return l.find(text) != std::string::npos;
        })) >= count)
      return true;
  }
  return false;
}

}  // namespace

// A client that sends and never reads costs the simulator a bounded queue:
// the oldest replies go, whole, and the newest still arrive.
TEST(Process, ATcpClientThatReadsNothingCannotGrowTheSimulator) {
  const size_t kFlood = (size_t{12} << 20) / 36;
  SimProcess sim({}, true, false);
  ASSERT_GT(sim.tcpPort, 0);
  const int fd = connectTcp(sim.tcpPort, 4096);
  ASSERT_EQ(roundTrip(fd, telegram(GetVersion)).size(), 36u);
  const long before = peakMemoryKiB(sim.pid);
  flood(fd, telegram(GetVersion), kFlood);  // 12 MiB of replies nobody reads
  ASSERT_EQ(write(fd, telegram(GetPara).data(), 36), 36);
  // Everything that arrives is whole replies, ending with the last one asked for.
  Bytes received;
  size_t replies = 0;
  bool whole = true, last = false;
  for (const double end = now() + 20; !last && now() < end;) {
    const std::string piece = readFor(fd, 65536, "", 0.1);
    received.insert(received.end(), piece.begin(), piece.end());
    size_t at = 0;
    for (; !last && at + 36 <= received.size(); at += 36, ++replies) {
      last = wordAt(std::span(received).subspan(at), 1) == GetPara;
      whole = whole && (last || std::equal(kVersion.begin(), kVersion.end(), received.begin() + at));
    }
    received.erase(received.begin(), received.begin() + at);
  }
  EXPECT_TRUE(last && whole && received.empty());
  EXPECT_LT(replies, kFlood);  // some were dropped
#ifndef __SANITIZE_ADDRESS__   // its quarantine keeps freed replies resident
  EXPECT_LT(peakMemoryKiB(sim.pid) - before, 3 * 1024);
#endif
  close(fd);
}

// What a client leaves unread on the pty (in the line or still queued in the
// simulator) never reaches the next client; the queue stays bounded meanwhile.
TEST(Process, ThePtyGivesANewClientNothingThePreviousOneLeftUnread) {
  SimProcess sim({}, false, true);
  ASSERT_FALSE(sim.ptyLink.empty());
  int serial = openSerial(sim.ptyLink);
  flood(serial, telegram(GetPara), 16000);  // 576 KB of echoes, none read
  EXPECT_TRUE(waitForLog(sim, "\"event\":\"queue-full\""));
  // Every request has been read: what is left are replies on their way.
  EXPECT_TRUE(waitForLog(sim, "\"dir\":\"rx\",\"order\":3,", 16000));
  close(serial);

  serial = openSerial(sim.ptyLink);
  EXPECT_TRUE(isVersion(roundTrip(serial, telegram(GetVersion))));
  EXPECT_TRUE(readFor(serial, 1, "", 0.3).empty());
  close(serial);
  EXPECT_TRUE(waitForLog(sim, "replies the client left unread"));
  serial = openSerial(sim.ptyLink);  // the line still works for the next client
  EXPECT_EQ(words(roundTrip(serial, telegram(GetPara)))[1], GetPara);
  close(serial);
}

// Records at address 0 and 0xFFFFFF00: the image is accepted, and --fw-out
// refuses a file of nearly 4 GiB and says so instead of aborting.
TEST(Process, FirmwareSpanningTheAddressSpaceIsNotLaidOutFlat) {
  const std::string out = MakeTempDir() + "/out.bin";
  SimProcess sim({"--prompt-delay-ms", "0", "--fw-out", out}, false, true);
  int serial = openSerial(sim.ptyLink);
  EXPECT_EQ(words(roundTrip(serial, telegram(JumpBoot)))[1], JumpBoot);
  EXPECT_NE(readFor(serial, 4096, "S-Record.").find("Waiting"), std::string::npos);
  const std::string srec = "S30900000000DEADBEEFBE\r\nS309FFFFFF00CAFEBABEB9\r\nS70500000000FA\r\n";
  EXPECT_EQ(write(serial, srec.data(), srec.size()), static_cast<ssize_t>(srec.size()));
  EXPECT_NE(readFor(serial, 4096, "0x00A4\r\n").find("Application started"), std::string::npos);
  close(serial);
  EXPECT_TRUE(waitForLog(sim, "\"event\":\"fw-out\""));
  EXPECT_EQ(access(out.c_str(), F_OK), -1);
  serial = openSerial(sim.ptyLink);
  EXPECT_EQ(roundTrip(serial, telegram(GetVersion)).size(), 36u);  // still running
  close(serial);
}

// Every option the help lists is one the parser knows: an option added to the
// parser and the help but not to the list of options that take a value would
// be refused as unknown.
TEST(Options, EveryOptionInTheHelpIsAccepted) {
  std::istringstream help(veltsim::helpText());
  int seen = 0;
  std::string error;
  for (std::string line; std::getline(help, line);) {
    if (line.rfind("  --", 0) != 0) continue;
    const std::string option = line.substr(2, line.find(' ', 2) - 2);
    if (option == "--help") continue;
    ++seen;
    veltsim::parseOptions({option, "x", "--tcp", "127.0.0.1:0"}, &error);
    EXPECT_EQ(error.find("unknown option"), std::string::npos) << option << ": " << error;
  }
  EXPECT_GT(seen, 15);
  EXPECT_FALSE(veltsim::parseOptions({"--bogus", "--tcp", "127.0.0.1:0"}, &error));
  EXPECT_EQ(error, "unknown option '--bogus'");
  EXPECT_FALSE(veltsim::parseOptions({"--tcp"}, &error));
  EXPECT_EQ(error, "option '--tcp' needs a value");
  const auto version = veltsim::parseOptions({"--version", "--bogus"}, &error);
  ASSERT_TRUE(version);
  EXPECT_TRUE(version->version);
}
