// The boot firmware's S-record checker, on files made at test time by objcopy
// (binutils) and srec_cat (srecord), and on damaged records.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "boot.h"
#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {

struct Firmware {
  std::vector<uint8_t> binary;
  std::string srec;  // as the tool wrote it, with line ends
};

// A random binary of `size` bytes and its S-record file made by `tool` ("objcopy" or "srec_cat").
Firmware makeFirmware(const std::string& tool, size_t size) {
  Firmware fw;
  std::mt19937 rng(static_cast<unsigned>(size));
  for (size_t i = 0; i < size; ++i) fw.binary.push_back(static_cast<uint8_t>(rng()));
  const std::string dir = tempDir();
  std::ofstream(dir + "/fw.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(fw.binary.data()), static_cast<long>(size));
  const std::string cmd =
      tool == "objcopy"
          ? "objcopy -I binary -O srec --change-addresses 0x1000 " + dir + "/fw.bin " + dir + "/fw.s"
          : "srec_cat " + dir + "/fw.bin -binary -offset 0x20000 -execution-start-address=0x20000 -o " + dir +
                "/fw.s -motorola -header 'FW V7.0'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::ostringstream text;
  text << std::ifstream(dir + "/fw.s", std::ios::binary).rdbuf();
  fw.srec = text.str();
  EXPECT_FALSE(fw.srec.empty());
  std::system(("rm -rf " + dir).c_str());
  return fw;
}

std::string withoutLineEnds(std::string text) {
  std::erase(text, '\n');
  std::erase(text, '\r');
  return text;
}

// Feeds text to a boot firmware in chunks and returns every event.
std::vector<BootEvent> feed(BootFirmware& boot, const std::string& text, size_t chunk = 37) {
  std::vector<BootEvent> all;
  boot.enter(0);
  for (size_t i = 0; i < text.size() && boot.active(); i += chunk) {
    auto events = boot.receive(std::string_view(text).substr(i, chunk), 1);
    all.insert(all.end(), events.begin(), events.end());
  }
  return all;
}

bool has(const std::vector<BootEvent>& events, BootEvent::Kind kind) {
  return std::any_of(events.begin(), events.end(), [&](const BootEvent& e) { return e.kind == kind; });
}

}  // namespace

TEST(SRecord, ScansOneRecordAndNamesWhatIsWrong) {
  const SRecScan s = scanRecord("S1131000D623DF7740452EED694895163FCE23D68BS9");
  ASSERT_EQ(s.status, SRecScan::Complete);
  EXPECT_EQ(s.record.type, '1');
  EXPECT_EQ(s.record.address, 0x1000u);
  EXPECT_EQ(s.record.data.size(), 16u);
  EXPECT_EQ(s.consumed, 42u);
  EXPECT_EQ(scanRecord("\r\nS11310").status, SRecScan::Incomplete);
  const std::pair<const char*, SRecError> bad[] = {
      {"S1131000D623DF7740452EED694895163FCE23D68C", SRecError::BadChecksum},
      {"S1131000D623DF7740452EXD694895163FCE23D68B", SRecError::BadHex},
      {"S1131000D623DF77S9031000EC", SRecError::Truncated},
      {"S1131000D623DF77\r\nS9031000EC", SRecError::Truncated},
      {"S4030000FC", SRecError::BadType},
      {"S30400000000", SRecError::BadLength},  // 4 address bytes need count >= 5
      {"X1", SRecError::NotARecord},
  };
  for (const auto& [text, error] : bad) EXPECT_EQ(scanRecord(text).error, error) << text;
}

class SRecordFiles : public ::testing::TestWithParam<std::string> {};

TEST_P(SRecordFiles, AcceptedBackToBackAndWithLineEndsRejectedWhenDamaged) {
  const Firmware fw = makeFirmware(GetParam(), 700);
  for (const std::string& text : {withoutLineEnds(fw.srec), fw.srec}) {
    BootFirmware boot(BootSettings{});
    const auto events = feed(boot, text);
    EXPECT_TRUE(has(events, BootEvent::Started));
    EXPECT_FALSE(has(events, BootEvent::Failed));
    EXPECT_FALSE(boot.active());
    EXPECT_EQ(boot.image().flatten(), fw.binary);
    EXPECT_EQ(boot.image().base(), GetParam() == "objcopy" ? 0x1000u : 0x20000u);
    if (GetParam() == "srec_cat") {  // its header becomes the next version text
      ASSERT_TRUE(boot.header());
      EXPECT_EQ(*boot.header(), "FW V7.0");
    }
  }
  const std::string good = withoutLineEnds(fw.srec);
  const size_t second = good.find('S', 1);  // start of the first data record
  std::string badChecksum = good, badHex = good, truncated = good;
  char& last = badChecksum[good.find('S', second + 1) - 1];
  last = last == '0' ? '1' : '0';
  badHex[second + 10] = 'G';
  truncated.erase(second + 20, 6);
  for (const std::string& text : {badChecksum, badHex, truncated}) {
    BootFirmware boot(BootSettings{});
    const auto events = feed(boot, text);
    EXPECT_TRUE(has(events, BootEvent::Failed));
    EXPECT_FALSE(has(events, BootEvent::Started));
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const BootEvent& e) {
      return e.kind == BootEvent::Text && e.text.find("Error # 02") != std::string::npos;
    }));
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, SRecordFiles, ::testing::Values("objcopy", "srec_cat"));

TEST(SRecord, RecordCutOffBySilenceIsAnError) {
  BootFirmware boot(BootSettings{});
  boot.enter(0);
  boot.receive("S1131000D623DF77", 1);
  const auto events = boot.tick(1 + BootSettings{}.idleTimeout);
  EXPECT_TRUE(has(events, BootEvent::Failed));
  EXPECT_FALSE(boot.active());
}
