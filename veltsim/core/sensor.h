// The sensor's application firmware: its RAM configuration, its EEPROM and the
// answer to every order of the four programs.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "bytes.h"
#include "config.h"
#include "model.h"

namespace veltsim {

constexpr size_t kTelegramBytes = 36;
constexpr uint16_t kSync = 0x0055;
constexpr uint16_t kLoaderAnswer = 0x00AA;

// Orders (command codes) the sensor knows.
enum Order : uint16_t {
  SetPara = 1,
  SetRow = 2,
  GetPara = 3,
  GetRow = 4,
  GetData = 5,
  SaveEeprom = 6,
  GetVersion = 7,
  LoadEeprom = 8,
  GetRecData = 19,
  SetCalibCf = 30,
  GetCalibCf = 31,
  SetTempCfRed = 40,
  SetTempCfGreen = 41,
  SetTempCfBlue = 42,
  TempCompStart = 43,
  GetTempCfRed = 44,
  GetTempCfGreen = 45,
  GetTempCfBlue = 46,
  SetRootTable = 50,
  GetRootTable = 51,
  EepromPage = 180,
  EepromWrite = 182,
  EepromRead = 184,
  JumpBoot = 187,
};

struct SensorSettings {
  std::string versionText = "VELTSIM COLOUR SENSOR V6.1";
  size_t idLength = 36;  // bytes of the answer to order 7: 36, 48 or 72
};

class Sensor {
 public:
  using Telegram = std::span<const uint8_t, kTelegramBytes>;
  struct Result {
    Bytes reply;        // empty: the order has no reply
    bool known = true;  // false: unknown order, ignored
    bool eepromWritten = false;
    bool enterBoot = false;  // the jump order was accepted
    std::string note;        // something worth logging (ignored payload and the like)
  };

  Sensor(SensorSettings settings, MeasurementModel model);

  Result handle(Telegram telegram, double now);
  // Power-up or reset: the RAM configuration is loaded from the EEPROM region.
  void restart();

  SensorConfig& ram() { return ram_; }
  const SensorConfig& ram() const { return ram_; }
  std::array<uint16_t, eeprom::kSize>& eepromWords() { return eeprom_; }
  const std::array<uint16_t, eeprom::kSize>& eepromWords() const { return eeprom_; }
  const std::string& versionText() const { return settings_.versionText; }
  void setVersionText(std::string text) { settings_.versionText = std::move(text); }
  MeasurementModel& model() { return model_; }

  // The configuration held in the EEPROM region (factory defaults when it holds none).
  SensorConfig eepromConfig() const;
  void storeEepromConfig(const SensorConfig& config);

 private:
  Bytes echoReply(uint16_t order, std::span<const uint16_t> payload) const;
  Bytes dataFrame(uint16_t order, double now);
  Bytes versionReply() const;
  void setTableBlock(uint16_t order, std::span<const uint16_t, 18> w, Result& result);

  SensorSettings settings_;
  MeasurementModel model_;
  SensorConfig ram_;
  std::array<uint16_t, eeprom::kSize> eeprom_{};
  // Blocks received since the last order 43, per compensation table and the root table.
  std::array<uint16_t, 3> tempCompBlocks_{};
  uint32_t rootBlocks_ = 0;
};

}  // namespace veltsim
