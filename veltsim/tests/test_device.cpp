// The device around the sensor: reassembly, boot mode, faults, line pacing.
#include <algorithm>
#include <gtest/gtest.h>

#include <limits>

#include "pacer.h"
#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {

struct Rig {
  Sensor sensor = makeSensor();
  Device device;
  int tcp, pty;
  explicit Rig(std::vector<std::string> faults = {}, BootSettings boot = {})
      : device(sensor, settings(faults, boot)) {
    tcp = device.addChannel(ChannelKind::Tcp, "tcp");
    pty = device.addChannel(ChannelKind::Serial, "pty");
    device.connected(tcp, 0);
    device.connected(pty, 0);
    device.take();
  }
  static DeviceSettings settings(const std::vector<std::string>& faults, BootSettings boot) {
    DeviceSettings s;
    s.boot = boot;
    for (const auto& f : faults) {
      std::string error;
      auto rule = parseFault(f, &error);
      EXPECT_TRUE(rule) << error;
      if (rule) s.faults.push_back(*rule);
    }
    return s;
  }
  Outbox send(int channel, const Bytes& bytes, double now = 0) {
    device.receive(channel, bytes, now);
    return device.take();
  }
  Outbox send(int channel, const std::string& text, double now) {
    return send(channel, Bytes(text.begin(), text.end()), now);
  }
  Outbox tick(double now) {
    device.tick(now);
    return device.take();
  }
};

std::string text(const Outbox& out) {
  const Bytes b = sentBytes(out);
  return std::string(b.begin(), b.end());
}

bool logged(const Outbox& out, const std::string& fragment) {
  for (const auto& line : out.log)
    if (line.find(fragment) != std::string::npos) return true;
  return false;
}

const std::string kFirmware =  // 16 bytes at 0x1000, S0 header "HI", S9
    "S0050000484969"
    "S1131000000102030405060708090A0B0C0D0E0F64"
    "S9031000EC";
const std::string kPrompt = "\r\n\r\n Waiting for application S-Record.";
const std::string kStarted = "\r\nApplication started from address 0x00A4\r\n";
const std::string kError = "\r\nError # 02\r\n";

}  // namespace

// Reassembly from pieces; junk before a sync word and a stale partial telegram
// are dropped; every telegram and unknown orders are logged.
TEST(Device, TelegramsInPiecesAreReassembledAndLogged) {
  Rig rig;
  const Bytes t = telegram(GetVersion);
  EXPECT_TRUE(rig.send(rig.tcp, Bytes(t.begin(), t.begin() + 20)).emissions.empty());
  const Outbox out = rig.send(rig.tcp, Bytes(t.begin() + 20, t.end()), 0.1);
  ASSERT_EQ(out.emissions.size(), 1u);
  EXPECT_EQ(out.emissions[0].bytes.size(), 36u);
  for (uint8_t b : t) rig.send(rig.pty, Bytes{b}, 0.2);
  Bytes two = telegram(GetPara);  // two telegrams in one piece
  two.insert(two.end(), t.begin(), t.end());
  EXPECT_EQ(rig.send(rig.pty, two, 0.3).emissions.size(), 2u);

  Bytes junk{0x12, 0x34};
  junk.insert(junk.end(), t.begin(), t.end());
  const Outbox afterJunk = rig.send(rig.tcp, junk, 0.4);
  EXPECT_EQ(afterJunk.emissions.size(), 1u);
  EXPECT_TRUE(logged(afterJunk, "no sync word"));
  rig.send(rig.tcp, Bytes(t.begin(), t.begin() + 10), 1.0);
  const Outbox late = rig.send(rig.tcp, t, 2.0);  // the partial one is dropped after the gap
  EXPECT_EQ(late.emissions.size(), 1u);
  EXPECT_TRUE(logged(late, "partial telegram"));

  const Outbox unknown = rig.send(rig.tcp, telegram(99), 2.1);
  EXPECT_TRUE(unknown.emissions.empty());
  EXPECT_TRUE(logged(unknown, "\"dir\":\"rx\",\"order\":99,\"hex\":\"00550063"));
  EXPECT_TRUE(logged(unknown, "unknown-order"));
  EXPECT_TRUE(logged(rig.send(rig.tcp, telegram(7), 2.2), "\"dir\":\"tx\",\"order\":7"));
}

TEST(Device, FlashPacingThrottlesInputWithXonXoff) {
  BootSettings boot;
  boot.flashSecondsPerRecord = 0.01;
  boot.bufferSize = 100;
  Rig rig({}, boot);
  rig.send(rig.pty, telegram(JumpBoot), 0);
  rig.tick(1);
  const std::string record = "S1131000000102030405060708090A0B0C0D0E0F64";  // 42 characters
  EXPECT_EQ(rig.device.acceptLimit(rig.pty), 100u);
  EXPECT_TRUE(rig.send(rig.pty, record, 1.0).emissions.empty());         // programmed until 1.01
  Outbox out = rig.send(rig.pty, record + record.substr(0, 34), 1.001);  // 76 of 100 bytes wait
  EXPECT_EQ(sentBytes(out), Bytes{0x13});                                // XOFF
  EXPECT_EQ(rig.device.acceptLimit(rig.pty), 0u);                        // nothing more is read until XON
  EXPECT_EQ(*rig.device.nextDeadline(), 1.01);
  // The second record is programmed; the rest of the third cannot complete without input.
  out = rig.tick(1.011);
  EXPECT_EQ(sentBytes(out), Bytes{0x11});  // XON
  EXPECT_EQ(rig.device.acceptLimit(rig.pty), 66u);
  rig.send(rig.pty, record.substr(34) + "S9031000EC", 1.012);
  EXPECT_EQ(text(rig.tick(1.03)), "");  // third record programmed until 1.04, then the S9
  EXPECT_EQ(text(rig.tick(1.05)), kStarted);
}

// Boot-mode scripts: at each time the jump order ("JUMP"), text for the boot
// firmware, or nothing (a tick); then the text answered (" +fw" when a firmware
// image was taken) and a log fragment. Every script ends back in the application.
TEST(Device, BootModeFailuresAndFaults) {
  struct Step {
    double at;
    std::string input, output, log;
  };
  struct Script {
    std::vector<std::string> faults;
    std::vector<Step> steps;
  };
  const Bytes jump =
      wordsToBytes(std::vector<uint16_t>{0xAA, 0xBB, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const std::string jumped(jump.begin(), jump.end());
  const Script scripts[] = {
      {{},  // an update; the header becomes the version text
       {{1.0, "JUMP", jumped, ""},
        {1.2, "", "", ""},
        {1.6, "", kPrompt, ""},
        {2.0, kFirmware.substr(0, 30), "", "\"type\":\"S0\""},
        {2.1, kFirmware.substr(30), kStarted + " +fw", ""}}},
      {{},
       {{0, "JUMP", jumped, ""},
        {1, "", kPrompt, ""},  // a bad checksum
        {2, "S1131000000102030405060708090A0B0C0D0E0F65", kError, "bad checksum"}}},
      {{}, {{0, "JUMP", jumped, ""}, {1, "", kPrompt, ""}, {11, "", "", "timeout"}}},  // silence
      {{"noprompt"},
       {{0, "JUMP", jumped, ""}, {0.1, "", "", ""}, {5, "", "", ""}, {6, kFirmware, kStarted + " +fw", ""}}},
  };
  for (const Script& script : scripts) {
    Rig rig(script.faults);
    for (const Step& step : script.steps) {
      const Outbox out = step.input == "JUMP" ? rig.send(rig.pty, telegram(JumpBoot), step.at)
                         : step.input.empty() ? rig.tick(step.at)
                                              : rig.send(rig.pty, step.input, step.at);
      EXPECT_EQ(text(out) + (out.firmware ? " +fw" : ""), step.output) << step.at;
      EXPECT_TRUE(step.log.empty() || logged(out, step.log)) << step.log;
      if (out.firmware) {
        EXPECT_EQ(out.firmware->flatten()->back(), 0x0F);
      }
      if (step.input == "JUMP" && !step.output.empty()) {
        EXPECT_EQ(rig.device.baud(rig.pty), 115200);
        // Telegrams on the other line are not for the boot firmware.
        EXPECT_TRUE(rig.send(rig.tcp, telegram(GetVersion), step.at).emissions.empty());
      }
    }
    EXPECT_FALSE(rig.device.bootMode());
    if (&script == &scripts[0]) {  // the header is the new version text
      EXPECT_EQ(text(rig.send(rig.pty, telegram(GetVersion), 3)).substr(0, 3), std::string("HI\0", 3));
    }
  }
}

// Malformed fault rules are refused (the rules themselves, reply faults among
// them, are driven end to end by the fault matrix).
TEST(Faults, MalformedRulesAreRefused) {
  std::string error;
  for (const char* bad :
       {"short", "bogus", "delay:ms=x", "delay:ms=5:foo=1", "alter", "alter:word=1:value=70000"})
    EXPECT_FALSE(parseFault(bad, &error)) << bad;
}

// A line paced at 19200 baud: 36 bytes handed over at once need 36 byte
// times, however long the line stood idle before.
TEST(Pacer, BytesPassAtTheWireRateAndAnIdleLineSavesNothing) {
  constexpr int kBaud = 19200;
  constexpr double kByte = 10.0 / kBaud;
  Pacer line(true);
  EXPECT_EQ(line.allowance(0, kBaud), 0u);  // idle: nothing to send
  EXPECT_EQ(line.wait(0, kBaud), 0);
  line.start(0);
  EXPECT_EQ(line.allowance(0, kBaud), 0u);  // the first byte needs its own time
  EXPECT_NEAR(line.wait(0, kBaud), kByte, 1e-12);
  EXPECT_EQ(line.allowance(36 * kByte, kBaud), 36u);
  line.consume(36, kBaud);
  EXPECT_EQ(line.allowance(36 * kByte, kBaud), 0u);
  line.stop();

  line.start(10);  // ten seconds later
  EXPECT_EQ(line.allowance(10, kBaud), 0u);
  EXPECT_EQ(line.allowance(10 + 5 * kByte, kBaud), 5u);
  line.start(10.5);                              // still running: the earlier start holds
  EXPECT_EQ(line.allowance(10.5, kBaud), 960u);  // a late reader finds what has arrived
  line.consume(960, kBaud);
  EXPECT_EQ(line.allowance(10.5, kBaud), 0u);

  // A reply due at 20.0 that the sender notices at 20.002 has been on the line since 20.0.
  line.stop();
  line.start(20.0);
  EXPECT_EQ(line.allowance(20.002, kBaud), static_cast<size_t>(0.002 / kByte));

  EXPECT_EQ(Pacer(false).allowance(0, kBaud), std::numeric_limits<size_t>::max());
}
