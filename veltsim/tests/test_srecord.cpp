// The boot firmware's S-record checker on single and damaged records, and the
// firmware image it fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "boot.h"
#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {

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

// A record cut off by silence, a file without data, or data the image cannot
// hold (here past the address space) are answered with "Error # 02". (Whole
// files of objcopy and srec_cat go through the simulator in e2e_loader.)
TEST(SRecord, RecordCutOffBySilenceNoDataOrBeyondTheAddressSpaceIsAnError) {
  BootFirmware boot(BootSettings{});
  boot.enter(0);
  boot.receive("S1131000D623DF77", 1);
  EXPECT_TRUE(has(boot.tick(1 + BootSettings{}.idleTimeout), BootEvent::Failed));
  EXPECT_FALSE(boot.active());
  EXPECT_TRUE(has(feed(boot, "S0030000FCS9030000FC"), BootEvent::Failed));
  const auto events = feed(boot, "S315FFFFFFF801010101010101010101010101010101E5");
  EXPECT_TRUE(has(events, BootEvent::Failed));
  EXPECT_EQ(boot.image().size(), 0u);
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const BootEvent& e) {
    return e.kind == BootEvent::Text && e.text.find("Error # 02") != std::string::npos;
  }));
}

// Segments merge where data overlap or touch; later data win.
TEST(FirmwareImage, KeepsRunsOfAddressesAsSegments) {
  using Adds = std::vector<std::pair<uint32_t, std::vector<uint8_t>>>;
  using Segments = std::map<uint32_t, std::vector<uint8_t>>;
  const struct {
    const char* what;
    Adds adds;
    Segments segments;
  } cases[] = {
      {"in order", {{0x10, {1, 2}}, {0x12, {3}}}, {{0x10, {1, 2, 3}}}},
      {"gap", {{0x10, {1}}, {0x20, {2}}}, {{0x10, {1}}, {0x20, {2}}}},
      {"before, touching", {{0x10, {2}}, {0x0F, {1}}}, {{0x0F, {1, 2}}}},
      {"overwrite inside", {{0x10, {1, 2, 3}}, {0x11, {9}}}, {{0x10, {1, 9, 3}}}},
      {"bridges two", {{0x10, {1}}, {0x14, {5}}, {0x11, {2, 3, 4}}}, {{0x10, {1, 2, 3, 4, 5}}}},
      {"covers two", {{0x11, {1}}, {0x13, {2}}, {0x10, {7, 7, 7, 7, 7}}}, {{0x10, {7, 7, 7, 7, 7}}}},
      {"last byte of the space", {{0xFFFFFFFE, {1, 2}}}, {{0xFFFFFFFE, {1, 2}}}},
  };
  for (const auto& c : cases) {
    FirmwareImage image;
    for (const auto& [address, data] : c.adds)
      EXPECT_EQ(image.add(address, data), FirmwareImage::AddResult::Added);
    EXPECT_EQ(image.segments(), c.segments) << c.what;
    size_t size = 0;
    for (const auto& seg : c.segments) size += seg.second.size();
    EXPECT_EQ(image.size(), size) << c.what;
  }
  FirmwareImage gaps;
  gaps.add(0x100, {1});
  gaps.add(0x103, {2});
  EXPECT_EQ(gaps.flatten(), (std::vector<uint8_t>{1, 0xFF, 0xFF, 2}));
  EXPECT_EQ(gaps.flatten(3), std::nullopt);
}

TEST(FirmwareImage, RefusesDataPastTheAddressSpaceOrTheSizeLimit) {
  FirmwareImage image;
  EXPECT_EQ(image.add(0xFFFFFFFF, {1, 2}), FirmwareImage::AddResult::BeyondAddressSpace);
  const std::vector<uint8_t> mib(size_t{1} << 20, 0x5A);
  for (uint32_t i = 0; i < FirmwareImage::kMaxBytes >> 20; ++i)
    ASSERT_EQ(image.add(i << 24, mib), FirmwareImage::AddResult::Added);
  EXPECT_EQ(image.add(0xF0000000, {1}), FirmwareImage::AddResult::TooLarge);
  EXPECT_EQ(image.add(0, {1, 2, 3}), FirmwareImage::AddResult::Added);  // rewriting adds nothing
  EXPECT_EQ(image.size(), FirmwareImage::kMaxBytes);
  EXPECT_FALSE(image.flatten());
}
