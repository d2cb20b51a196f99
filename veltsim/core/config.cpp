#include "config.h"

#include <algorithm>
#include <cmath>

namespace veltsim {

std::array<uint16_t, kRootEntries> standardRootTable() {
  std::array<uint16_t, kRootEntries> t{};
  double x = 0.0;
  for (int i = 0; i < kRootEntries; ++i) {
    t[i] = static_cast<uint16_t>(static_cast<int>(std::pow(x, 0.3333333333333333) * 1000.0));
    x += 16.0;
  }
  return t;
}

SensorConfig SensorConfig::factoryDefaults() {
  SensorConfig c;
  const uint16_t params[kParamCount] = {300, 0, 16, 0, 10, 50, 4, 1, 0, 0, 0, 3000, 3500, 0, 0, 0};
  std::copy(std::begin(params), std::end(params), c.packet.begin());
  c.calib = {1024, 1024, 1024};
  for (auto& table : c.tempComp) table.fill(1024);
  c.root = standardRootTable();
  return c;
}

namespace eeprom {

Region encode(const SensorConfig& c) {
  Region r;
  r.fill(kErased);
  r[kMagicAt] = kMagic;
  r[kLayoutAt] = kLayout;
  r[kLoadedAt] = c.loaded;
  std::copy(c.packet.begin(), c.packet.end(), r.begin() + kPacketAt);
  std::copy(c.calib.begin(), c.calib.end(), r.begin() + kCalibAt);
  for (int ch = 0; ch < 3; ++ch)
    std::copy(c.tempComp[ch].begin(), c.tempComp[ch].end(), r.begin() + kTempCompAt[ch]);
  std::copy(c.root.begin(), c.root.end(), r.begin() + kRootAt);
  return r;
}

std::optional<SensorConfig> decode(std::span<const uint16_t, kRegionWords> r) {
  if (r[kMagicAt] != kMagic || r[kLayoutAt] != kLayout) return std::nullopt;
  SensorConfig c;
  c.loaded = r[kLoadedAt] & 0x0F;
  auto take = [&](uint16_t at, auto& dest) {
    std::copy(r.begin() + at, r.begin() + at + dest.size(), dest.begin());
  };
  take(kPacketAt, c.packet);
  take(kCalibAt, c.calib);
  for (int ch = 0; ch < 3; ++ch) take(kTempCompAt[ch], c.tempComp[ch]);
  take(kRootAt, c.root);
  return c;
}

}  // namespace eeprom
}  // namespace veltsim
