// Reply bytes of every order, written out by hand from the telegram layouts.
#include <gtest/gtest.h>

#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {
// A reply given by its first bytes in hex, padded with zeros to 36; empty means no reply.
Bytes reply36(const std::string& text) {
  Bytes b = hex(text);
  if (!b.empty()) b.resize(36, 0);
  return b;
}
}  // namespace

// The version texts of 36, 48 and 72 bytes are read end to end (e2e_loader).
// One sensor, one conversation: each request and the reply it must get.
TEST(Protocol, RepliesToEachOrder) {
  Sensor s = makeSensor();
  const std::string para = "1234 0001 0080 0003 000A 0032 001F 0001 0000 0000 0001 0BB8 0DAC 0001 AAAA 5555";
  const std::pair<Bytes, std::string> exchange[] = {
      // Parameter write has no reply; the read echoes it.
      {telegram(SetPara, {0x1234, 1, 128, 3, 10, 50, 31, 1, 0, 0, 1, 3000, 3500, 1, 0xAAAA, 0x5555}), ""},
      {telegram(GetPara), "0055 0003 " + para},
      // Rows 0..30 can be written and read; from 31 on they address nothing and get no reply.
      {telegram(SetRow, {30, 1000, 2000, 300, 1500, 200, 7}), ""},
      {telegram(GetRow, {30}), "0055 0004 001E 03E8 07D0 012C 05DC 00C8 0007"},
      {telegram(SetRow, {31, 1, 2, 3, 4, 5, 6}), ""},
      {telegram(GetRow, {31}), ""},
      // EEPROM save and load echo the parameters; load brings the saved ones back.
      {telegram(SaveEeprom), "0055 0006 " + para},
      {telegram(SetPara, {111}), ""},
      {telegram(LoadEeprom), "0055 0008 " + para},
      // The calibration program's FillTxBuf(30, 0) with 1024, 1000, 980.
      {hex("0055 001E 0400 03E8 03D4" + std::string(52, '0')), ""},
      {telegram(GetCalibCf), "0055 001F 0400 03E8 03D4"},
      // The loader's EEPROM orders answer with 00AA.
      {telegram(EepromPage, {0x1300}), "00AA 00B4 1300"},
      {hex("0055 00B6 120D 000D 0001 0002 0003 0004 0005 0006 0007 0008 0009 000A 000B 000C 000D 5555"),
       "00AA 00B6 120D 000D 0001 0002 0003 0004 0005 0006 0007 0008 0009 000A 000B 000C 000D 0000"},
      {telegram(EepromRead, {0x120D, 13}),
       "00AA 00B8 120D 000D 0001 0002 0003 0004 0005 0006 0007 0008 0009 000A 000B 000C 000D 0000"},
      // The start of the region holds the layout's magic word "VE" and layout 1.
      {telegram(EepromRead, {0x1200, 2}), "00AA 00B8 1200 0002 5645 0001"},
      {telegram(JumpBoot), "00AA 00BB 00AA"},
      {telegram(99), ""},  // unknown orders are ignored
  };
  for (const auto& [request, reply] : exchange)
    EXPECT_EQ(ask(s, request), reply36(reply)) << "order " << words(request)[1];
  EXPECT_EQ(s.ram().param(Power), 0x1234);
}

TEST(Protocol, DataFrameLayout) {
  Sensor s = makeSensor(0.5, 0.25, 0.125, 31);
  ask(s, telegram(SetPara, {400, 0, 0x8000, 0, 0, 0, 0, 0, 0, 0, 0, 3000, 3500, 0}));
  ask(s, telegram(SetCalibCf, {2048, 1024, 512}));
  for (uint16_t order : {GetData, GetRecData}) {
    const auto w = words(ask(s, telegram(order)));
    ASSERT_EQ(w.size(), 18u);
    EXPECT_EQ(w[0], 0x55);
    EXPECT_EQ(w[1], order);
    EXPECT_EQ(w[2], w[9] * 2);  // calibrated = raw * factor / 1024
    EXPECT_EQ(w[3], w[10]);
    EXPECT_EQ(w[4], w[11] / 2);
    const unsigned sum = w[2] + w[3] + w[4];
    EXPECT_EQ(w[5], 4095 * w[2] / sum);
    EXPECT_EQ(w[6], 4095 * w[3] / sum);
    EXPECT_EQ(w[7], sum / 3);
    EXPECT_EQ(w[8], 255);   // nothing taught
    EXPECT_EQ(w[12], 31);   // temperature
    EXPECT_EQ(w[13], 0);    // groups off
    EXPECT_EQ(w[14], 400);  // power in use
  }
}

// Compensation tables go up in 10 blocks of 10 words and come back as 200
// bytes; the root table in 32 blocks of 8 words, read back as two halves of
// 256 bytes. Each loaded table is marked; order 43 clears the marks.
TEST(Protocol, TablesGoUpInBlocksAndComeBackWhole) {
  Sensor s = makeSensor();
  const auto root = standardRootTable();
  const auto upload = [&](uint16_t order, uint16_t blocks, int perBlock, auto value) {
    for (uint16_t b = 0; b < blocks; ++b) {
      std::vector<uint16_t> w{kSync, order, b};
      for (int i = 0; i < perBlock; ++i) w.push_back(static_cast<uint16_t>(value(b * perBlock + i)));
      w.resize(18, 0);
      EXPECT_TRUE(ask(s, wordsToBytes(w)).empty());
    }
  };
  ask(s, telegram(TempCompStart));
  for (uint16_t ch = 0; ch < 3; ++ch)
    upload(static_cast<uint16_t>(SetTempCfRed + ch), 10, 10, [&](int i) { return 1000 * (ch + 1) + i; });
  upload(SetRootTable, 32, 8, [&](int i) { return root[i] + 1; });
  const Bytes red = ask(s, telegram(GetTempCfRed)), blue = ask(s, telegram(GetTempCfBlue));
  ASSERT_TRUE(red.size() == 200u && blue.size() == 200u);
  EXPECT_EQ(Bytes(red.begin(), red.begin() + 6), hex("03E8 03E9 03EA"));  // 1000, 1001, 1002
  EXPECT_EQ(Bytes(red.end() - 2, red.end()), hex("044B"));                // 1099
  EXPECT_EQ(Bytes(blue.begin(), blue.begin() + 2), hex("0BB8"));          // 3000
  EXPECT_EQ(Bytes(blue.end() - 2, blue.end()), hex("0C1B"));              // 3099
  EXPECT_EQ(words(ask(s, telegram(GetTempCfGreen)))[50], 2050);
  const Bytes low = ask(s, telegram(GetRootTable, {0})), high = ask(s, telegram(GetRootTable, {128}));
  ASSERT_TRUE(low.size() == 256u && high.size() == 256u);
  // Cube-root table: entries 0..3 are 0, 2519, 3174, 3634 (here each + 1); entry 255 is 15979.
  EXPECT_EQ(Bytes(low.begin(), low.begin() + 8), hex("0001 09D8 0C67 0E33"));
  EXPECT_EQ(Bytes(high.end() - 2, high.end()), hex("3E6C"));
  EXPECT_EQ(s.ram().loaded, LoadedRed | LoadedGreen | LoadedBlue | LoadedRoot);
  ask(s, telegram(TempCompStart));
  EXPECT_EQ(s.ram().loaded & (LoadedRed | LoadedGreen | LoadedBlue), 0);
}

// The loader's backup of 256 blocks, restored into another sensor, carries the
// whole configuration: parameters, table, calibration and compensation tables.
TEST(Protocol, EepromBackupAndRestoreCarryTheConfiguration) {
  Sensor a = makeSensor();
  ask(a, telegram(SetPara, {321, 0, 64}));
  ask(a, telegram(SetRow, {5, 100, 200, 30, 400, 50, 2}));
  ask(a, telegram(SaveEeprom));
  ask(a, telegram(SetCalibCf, {900, 1000, 1100}));
  ask(a, telegram(SetTempCfBlue, {3, 7, 7, 7}));

  std::vector<uint16_t> backup;
  for (uint16_t i = 0; i < 256; ++i) {
    const auto w = words(ask(a, telegram(EepromRead, {static_cast<uint16_t>(0x1200 + 13 * i), 13})));
    backup.insert(backup.end(), w.begin() + 4, w.begin() + 17);
  }
  Sensor b = makeSensor();
  for (uint16_t k = 0; k < 13; ++k) ask(b, telegram(EepromPage, {static_cast<uint16_t>(0x1200 + 256 * k)}));
  for (uint16_t i = 0; i < 256; ++i) {
    std::vector<uint16_t> w{kSync, EepromWrite, static_cast<uint16_t>(0x1200 + 13 * i), 13};
    w.insert(w.end(), backup.begin() + 13 * i, backup.begin() + 13 * i + 13);
    w.push_back(0);
    ask(b, wordsToBytes(w));
  }
  b.restart();
  EXPECT_EQ(b.ram(), a.ram());
  EXPECT_EQ(b.ram().param(Power), 321);
  EXPECT_EQ(b.ram().row(5, 5), 2);
  EXPECT_EQ(b.ram().tempComp[2][30], 7);
}
