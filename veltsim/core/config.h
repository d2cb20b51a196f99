// The sensor's configuration (what the programs write and read) and the map
// that places it in the service EEPROM region 0x1200-0x1EFF.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace veltsim {

// The sixteen parameter words of the parameter packet by index.
enum Param : int {
  Power,
  PMode,
  Average,
  EvalMode,
  Hold,
  IntLim,
  MaxColNo,
  OutMode,
  Trigger,
  ExTeach,
  CalcMode,
  DynWinLo,
  DynWinHi,
  ColorGroup,
  Frei15,
  Frei16
};

constexpr int kParamCount = 16;
constexpr int kRows = 31;
constexpr int kRowWords = 6;                                   // five row values + group number
constexpr int kPacketWords = kParamCount + kRows * kRowWords;  // 202
constexpr int kTempSteps = 100;                                // temperature index 0..99
constexpr int kRootEntries = 256;

// Bits of SensorConfig::loaded: which compensation tables are in force.
enum LoadedBit : uint16_t { LoadedRed = 1, LoadedGreen = 2, LoadedBlue = 4, LoadedRoot = 8 };

struct SensorConfig {
  std::array<uint16_t, kPacketWords> packet{};                 // parameters then 31 rows of 6 words, as `pp`
  std::array<uint16_t, 3> calib{};                             // calibration factors R, G, B (1024 = 1.0)
  std::array<std::array<uint16_t, kTempSteps>, 3> tempComp{};  // compensation factors per channel
  std::array<uint16_t, kRootEntries> root{};                   // cube-root table
  uint16_t loaded = 0;                                         // LoadedBit mask

  uint16_t param(Param p) const { return packet[p]; }
  // Row r (0..30) value c (0..5: a, b, tolerance, intensity, intensity tolerance, group).
  uint16_t row(int r, int c) const { return packet[kParamCount + r * kRowWords + c]; }

  static SensorConfig factoryDefaults();
  bool operator==(const SensorConfig&) const = default;
};

// The cube-root table: entry i = floor(1000 * (16 i)^(1/3)).
std::array<uint16_t, kRootEntries> standardRootTable();

namespace eeprom {
constexpr uint16_t kSize = 0x2000;         // words of EEPROM in the simulated sensor
constexpr uint16_t kRegionStart = 0x1200;  // service region backed up by the loader
constexpr uint16_t kRegionWords = 3328;    // 0x1200..0x1EFF
constexpr uint16_t kErased = 0xFFFF;

// Offsets inside the region (documented in README.md).
constexpr uint16_t kMagicAt = 0x000, kLayoutAt = 0x001, kLoadedAt = 0x002;
constexpr uint16_t kPacketAt = 0x010, kCalibAt = 0x0E0;
constexpr uint16_t kTempCompAt[3] = {0x100, 0x180, 0x200};
constexpr uint16_t kRootAt = 0x300;
constexpr uint16_t kMagic = 0x5645;  // "VE"
constexpr uint16_t kLayout = 1;

using Region = std::array<uint16_t, kRegionWords>;
Region encode(const SensorConfig& config);
// nullopt when the region does not hold a configuration (no magic word).
std::optional<SensorConfig> decode(std::span<const uint16_t, kRegionWords> region);
}  // namespace eeprom

}  // namespace veltsim
