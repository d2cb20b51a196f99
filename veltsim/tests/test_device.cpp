// The device around the sensor: reassembly, boot mode, faults, state file.
#include <gtest/gtest.h>

#include <random>

#include "statefile.h"
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
  Outbox sendText(int channel, const std::string& text, double now) {
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

}  // namespace

TEST(Device, TelegramsInPiecesAreReassembled) {
  Rig rig;
  const Bytes t = telegram(GetVersion);
  EXPECT_TRUE(rig.send(rig.tcp, Bytes(t.begin(), t.begin() + 20)).emissions.empty());
  const Outbox out = rig.send(rig.tcp, Bytes(t.begin() + 20, t.end()), 0.1);
  ASSERT_EQ(out.emissions.size(), 1u);
  EXPECT_EQ(out.emissions[0].bytes.size(), 36u);
  // Byte by byte, and two telegrams in one piece.
  for (uint8_t b : t) rig.send(rig.pty, Bytes{b}, 0.2);
  Bytes two = telegram(GetPara);
  two.insert(two.end(), t.begin(), t.end());
  EXPECT_EQ(rig.send(rig.pty, two, 0.3).emissions.size(), 2u);
}

TEST(Device, GarbageAndStalePiecesAreDropped) {
  Rig rig;
  Bytes junk{0x12, 0x34};
  const Bytes t = telegram(GetVersion);
  junk.insert(junk.end(), t.begin(), t.end());
  const Outbox out = rig.send(rig.tcp, junk);
  EXPECT_EQ(out.emissions.size(), 1u);
  EXPECT_TRUE(logged(out, "no sync word"));
  rig.send(rig.tcp, Bytes(t.begin(), t.begin() + 10), 1.0);
  const Outbox late = rig.send(rig.tcp, t, 2.0);  // the partial one is dropped after the gap
  EXPECT_EQ(late.emissions.size(), 1u);
  EXPECT_TRUE(logged(late, "partial telegram"));
}

TEST(Device, LogsEveryTelegramAndUnknownOrders) {
  Rig rig;
  const Outbox out = rig.send(rig.tcp, telegram(99));
  EXPECT_TRUE(out.emissions.empty());
  EXPECT_TRUE(logged(out, "\"dir\":\"rx\",\"order\":99,\"hex\":\"00550063"));
  EXPECT_TRUE(logged(out, "unknown-order"));
  EXPECT_TRUE(logged(rig.send(rig.tcp, telegram(7)), "\"dir\":\"tx\",\"order\":7"));
}

TEST(Device, FirmwareUpdateThroughTheBootFirmware) {
  Rig rig;
  Outbox out = rig.send(rig.pty, telegram(JumpBoot), 1.0);
  EXPECT_EQ(sentBytes(out), wordsToBytes(std::vector<uint16_t>{0xAA, 0xBB, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(rig.device.bootMode());
  EXPECT_EQ(rig.device.baud(rig.pty), 115200);
  EXPECT_EQ(text(rig.tick(1.2)), "");
  EXPECT_EQ(text(rig.tick(1.6)), "\r\n\r\n Waiting for application S-Record.");
  // Telegrams on the other line are not for the boot firmware.
  EXPECT_TRUE(rig.send(rig.tcp, telegram(GetVersion), 1.7).emissions.empty());
  out = rig.sendText(rig.pty, kFirmware.substr(0, 30), 2.0);
  EXPECT_TRUE(logged(out, "\"type\":\"S0\""));
  out = rig.sendText(rig.pty, kFirmware.substr(30), 2.1);
  EXPECT_EQ(text(out), "\r\nApplication started from address 0x00A4\r\n");
  ASSERT_TRUE(out.firmware);
  EXPECT_EQ(out.firmware->size(), 16u);
  EXPECT_EQ((*out.firmware)[15], 0x0F);
  EXPECT_FALSE(rig.device.bootMode());
  EXPECT_EQ(rig.sensor.versionText(), "HI");
  EXPECT_EQ(text(rig.send(rig.pty, telegram(GetVersion), 3)).substr(0, 3), std::string("HI\0", 3));
}

TEST(Device, BadRecordAnswersError02AndReturnsToTheApplication) {
  Rig rig;
  rig.send(rig.pty, telegram(JumpBoot), 0);
  rig.tick(1);
  const Outbox out = rig.sendText(rig.pty, "S1131000000102030405060708090A0B0C0D0E0F65", 2);
  EXPECT_EQ(text(out), "\r\nError # 02\r\n");
  EXPECT_TRUE(logged(out, "bad checksum"));
  EXPECT_FALSE(rig.device.bootMode());
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
  EXPECT_TRUE(rig.sendText(rig.pty, record, 1.0).emissions.empty());  // programmed until 1.01
  Outbox out = rig.sendText(rig.pty, record + record.substr(0, 34), 1.001);  // 76 of 100 bytes wait
  EXPECT_EQ(sentBytes(out), Bytes{0x13});                                    // XOFF
  EXPECT_EQ(rig.device.acceptLimit(rig.pty), 0u);  // nothing more is read until XON
  EXPECT_EQ(*rig.device.nextDeadline(), 1.01);
  // The second record is programmed; the rest of the third cannot complete without input.
  out = rig.tick(1.011);
  EXPECT_EQ(sentBytes(out), Bytes{0x11});  // XON
  EXPECT_EQ(rig.device.acceptLimit(rig.pty), 66u);
  rig.sendText(rig.pty, record.substr(34) + "S9031000EC", 1.012);
  EXPECT_EQ(text(rig.tick(1.03)), "");  // third record programmed until 1.04, then the S9
  EXPECT_EQ(text(rig.tick(1.05)), "\r\nApplication started from address 0x00A4\r\n");
}

TEST(Device, BootFirmwareGivesUpAfterSilence) {
  Rig rig;
  rig.send(rig.pty, telegram(JumpBoot), 0);
  rig.tick(1);
  EXPECT_TRUE(rig.device.bootMode());
  EXPECT_TRUE(logged(rig.tick(11), "timeout"));
  EXPECT_FALSE(rig.device.bootMode());
}

// ---- faults ----

TEST(Faults, ParseAndReject) {
  std::string error;
  const auto r = parseFault("noreply:order=8:nth=1", &error);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, FaultKind::NoReply);
  EXPECT_EQ(*r->order, 8);
  EXPECT_EQ(r->nth, 1);
  EXPECT_FALSE(parseFault("short", &error));        // needs bytes=
  EXPECT_FALSE(parseFault("bogus", &error));
  EXPECT_FALSE(parseFault("delay:ms=x", &error));
  EXPECT_FALSE(parseFault("delay:ms=5:foo=1", &error));
}

TEST(Faults, NoReplyToTheNthTelegramOfAnOrder) {
  Rig rig({"noreply:order=8:nth=2"});
  EXPECT_EQ(rig.send(rig.tcp, telegram(LoadEeprom)).emissions.size(), 1u);
  const Outbox second = rig.send(rig.tcp, telegram(LoadEeprom));
  EXPECT_TRUE(second.emissions.empty());
  EXPECT_TRUE(logged(second, "\"event\":\"fault\",\"fault\":\"noreply:order=8:nth=2\""));
  EXPECT_EQ(rig.send(rig.tcp, telegram(LoadEeprom)).emissions.size(), 1u);
  EXPECT_EQ(rig.send(rig.tcp, telegram(GetPara)).emissions.size(), 1u);
}

TEST(Faults, NoReplyToAll) {
  Rig rig({"noreply"});
  for (uint16_t o : {GetPara, GetVersion, GetData}) EXPECT_TRUE(rig.send(rig.pty, telegram(o)).emissions.empty());
}

TEST(Faults, ShortLongAndWrongEcho) {
  Rig rig({"short:bytes=35:order=3", "long:bytes=1:order=5", "badecho:order=6", "badecho:order=8:word=7"});
  EXPECT_EQ(sentBytes(rig.send(rig.tcp, telegram(GetPara))).size(), 35u);
  const Bytes longer = sentBytes(rig.send(rig.tcp, telegram(GetData)));
  EXPECT_EQ(longer.size(), 37u);
  EXPECT_EQ(longer.back(), 0xEE);
  EXPECT_EQ(words(sentBytes(rig.send(rig.tcp, telegram(SaveEeprom))))[1], 7);
  EXPECT_EQ(words(sentBytes(rig.send(rig.tcp, telegram(LoadEeprom))))[1], 7);
  EXPECT_EQ(words(sentBytes(rig.send(rig.tcp, telegram(GetVersion)))).size(), 18u);
}

TEST(Faults, DelayAndSplit) {
  Rig rig({"delay:ms=250", "split:ms=100:order=31"});
  Outbox out = rig.send(rig.tcp, telegram(GetPara), 1.0);
  ASSERT_EQ(out.emissions.size(), 1u);
  EXPECT_DOUBLE_EQ(out.emissions[0].at, 1.25);
  out = rig.send(rig.tcp, telegram(GetCalibCf), 2.0);
  ASSERT_EQ(out.emissions.size(), 2u);
  EXPECT_EQ(out.emissions[0].bytes.size(), 18u);
  EXPECT_DOUBLE_EQ(out.emissions[0].at, 2.25);
  EXPECT_DOUBLE_EQ(out.emissions[1].at, 2.35);
  EXPECT_EQ(words(sentBytes(out))[1], 31);
}

TEST(Faults, CloseTcpAfterNTelegramsOnEachConnection) {
  Rig rig({"close:after=2"});
  EXPECT_EQ(rig.send(rig.tcp, telegram(GetVersion)).emissions.size(), 1u);
  const Outbox out = rig.send(rig.tcp, telegram(GetVersion));
  ASSERT_EQ(out.emissions.size(), 2u);
  EXPECT_EQ(out.emissions[1].kind, Emission::Close);
  rig.device.connected(rig.tcp, 1);
  EXPECT_EQ(rig.send(rig.tcp, telegram(GetVersion)).emissions.size(), 1u);
  EXPECT_EQ(rig.send(rig.tcp, telegram(GetVersion)).emissions.back().kind, Emission::Close);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.send(rig.pty, telegram(GetVersion)).emissions.size(), 1u);  // not the pty
}

TEST(Faults, NoAnswerToTheJumpOrderUntilReset) {
  Rig rig({"nojump:reset_ms=2000"});
  EXPECT_TRUE(rig.send(rig.pty, telegram(JumpBoot), 0).emissions.empty());
  EXPECT_EQ(text(rig.tick(1.9)), "");
  rig.tick(2.0);  // the "reset": boot firmware starts
  EXPECT_EQ(text(rig.tick(2.5)), "\r\n\r\n Waiting for application S-Record.");
}

TEST(Faults, NoPromptInBootMode) {
  Rig rig({"noprompt"});
  rig.send(rig.pty, telegram(JumpBoot), 0);
  rig.tick(0.1);
  EXPECT_EQ(text(rig.tick(5)), "");
  EXPECT_EQ(text(rig.sendText(rig.pty, kFirmware, 6)), "\r\nApplication started from address 0x00A4\r\n");
}

TEST(Faults, Error02AtTheNthRecord) {
  Rig rig({"srecerror:nth=2"});
  rig.send(rig.pty, telegram(JumpBoot), 0);
  rig.tick(1);
  const Outbox out = rig.sendText(rig.pty, kFirmware, 2);
  EXPECT_EQ(text(out), "\r\nError # 02\r\n");
  EXPECT_TRUE(logged(out, "error at record 2"));
  EXPECT_FALSE(out.firmware);
}

// ---- state ----

TEST(State, EepromWritesAskForASaveAndSurviveARestart) {
  Rig rig;
  rig.send(rig.tcp, telegram(SetPara, {654, 0, 32}));
  EXPECT_FALSE(rig.send(rig.tcp, telegram(GetPara)).saveState);
  EXPECT_TRUE(rig.send(rig.tcp, telegram(SaveEeprom)).saveState);
  EXPECT_TRUE(rig.send(rig.tcp, telegram(SetCalibCf, {1000, 1001, 1002})).saveState);
  rig.send(rig.tcp, telegram(SetPara, {111}));  // RAM only
  rig.sensor.setVersionText("SAVED V1");
  const std::string saved = saveState(rig.sensor);

  Sensor fresh = makeSensor();
  std::string error;
  ASSERT_TRUE(loadState(fresh, saved, &error)) << error;
  EXPECT_EQ(fresh.versionText(), "SAVED V1");
  EXPECT_EQ(fresh.ram().param(Power), 111);
  EXPECT_EQ(words(ask(fresh, telegram(LoadEeprom)))[2], 654);
  EXPECT_EQ(words(ask(fresh, telegram(GetCalibCf)))[4], 1002);
  EXPECT_FALSE(loadState(fresh, "something else\n", &error));
}

// Never crashes on any input: random telegrams with every order value and random
// boot text, under the sanitizers in CI.
TEST(Device, SurvivesRandomInput) {
  Rig rig({"split:ms=1", "long:bytes=3:nth=5"});
  std::mt19937 rng(42);
  double t = 0;
  for (int i = 0; i < 4000; ++i) {
    t += 0.01;
    Bytes b = telegram(static_cast<uint16_t>(rng() % 256));
    for (size_t k = 4; k < b.size(); ++k) b[k] = static_cast<uint8_t>(rng());
    if (i % 50 == 0) b = telegram(JumpBoot);
    if (rig.device.bootMode()) {
      std::string text;
      const char alphabet[] = "S0123456789ABCDEFx\r\n";
      for (int k = 0; k < 40; ++k) text += alphabet[rng() % (sizeof alphabet - 1)];
      b.assign(text.begin(), text.end());
    }
    const size_t cut = rng() % b.size();
    rig.send(rig.pty, Bytes(b.begin(), b.begin() + static_cast<long>(cut)), t);
    rig.send(rig.pty, Bytes(b.begin() + static_cast<long>(cut), b.end()), t);
    rig.tick(t);
  }
  EXPECT_EQ(rig.sensor.ram().packet.size(), 202u);
}
