#include "sensor.h"

#include <algorithm>

namespace veltsim {

Sensor::Sensor(SensorSettings settings, MeasurementModel model)
    : settings_(std::move(settings)), model_(std::move(model)) {
  eeprom_.fill(eeprom::kErased);
  storeEepromConfig(SensorConfig::factoryDefaults());
  restart();
}

void Sensor::restart() {
  ram_ = eepromConfig();
  tempCompBlocks_ = {};
  rootBlocks_ = 0;
}

SensorConfig Sensor::eepromConfig() const {
  const std::span<const uint16_t, eeprom::kRegionWords> region(eeprom_.data() + eeprom::kRegionStart,
                                                               eeprom::kRegionWords);
  return eeprom::decode(region).value_or(SensorConfig::factoryDefaults());
}

void Sensor::storeEepromConfig(const SensorConfig& config) {
  const auto region = eeprom::encode(config);
  std::copy(region.begin(), region.end(), eeprom_.begin() + eeprom::kRegionStart);
}

Bytes Sensor::echoReply(uint16_t order, std::span<const uint16_t> payload) const {
  std::array<uint16_t, 18> w{};
  w[0] = kSync;
  w[1] = order;
  std::copy_n(payload.begin(), std::min<size_t>(payload.size(), 16), w.begin() + 2);
  return wordsToBytes(w);
}

Bytes Sensor::dataFrame(uint16_t order, double now) {
  const Measurement m = model_.measure(ram_, now);
  const uint16_t payload[16] = {m.cal[0],          m.cal[1], m.cal[2], m.point.a, m.point.b,
                                m.point.intensity, m.colour, m.raw[0], m.raw[1],  m.raw[2],
                                m.temperature,     m.group,  m.power};
  return echoReply(order, payload);
}

Bytes Sensor::versionReply() const {
  Bytes text(settings_.idLength, 0);
  std::copy_n(settings_.versionText.begin(), std::min(settings_.versionText.size(), text.size()),
              text.begin());
  return text;
}

void Sensor::setTableBlock(uint16_t order, std::span<const uint16_t, 18> w, Result& result) {
  const uint16_t block = w[2];
  SensorConfig stored = eepromConfig();
  if (order == SetRootTable) {
    if (block >= kRootEntries / 8) {
      result.note = "root block out of range";
      return;
    }
    for (SensorConfig* c : {&ram_, &stored}) std::copy_n(&w[3], 8, c->root.begin() + block * 8);
    rootBlocks_ |= 1u << block;
    if (rootBlocks_ == 0xFFFFFFFFu) ram_.loaded |= LoadedRoot;
  } else {
    const int ch = order - SetTempCfRed;
    if (block >= kTempSteps / 10) {
      result.note = "compensation block out of range";
      return;
    }
    for (SensorConfig* c : {&ram_, &stored}) std::copy_n(&w[3], 10, c->tempComp[ch].begin() + block * 10);
    tempCompBlocks_[ch] |= static_cast<uint16_t>(1u << block);
    if (tempCompBlocks_[ch] == 0x3FF) ram_.loaded |= static_cast<uint16_t>(1u << ch);
  }
  stored.loaded = ram_.loaded;
  storeEepromConfig(stored);
  result.eepromWritten = true;
}

Sensor::Result Sensor::handle(Telegram t, double now) {
  std::array<uint16_t, 18> w{};
  for (size_t k = 0; k < w.size(); ++k) w[k] = wordAt(t, k);
  const uint16_t order = w[1];
  Result r;
  switch (order) {
    case SetPara:
      std::copy_n(&w[2], kParamCount, ram_.packet.begin());
      break;
    case SetRow:
      if (w[2] < kRows)
        std::copy_n(&w[3], kRowWords, ram_.packet.begin() + kParamCount + w[2] * kRowWords);
      else
        r.note = "row out of range";
      break;
    case GetPara:
      r.reply = echoReply(order, std::span(ram_.packet).first(kParamCount));
      break;
    case GetRow:
      if (w[2] < kRows) {
        uint16_t payload[1 + kRowWords] = {w[2]};
        std::copy_n(ram_.packet.begin() + kParamCount + w[2] * kRowWords, kRowWords, payload + 1);
        r.reply = echoReply(order, payload);
      } else {
        r.note = "row out of range";
      }
      break;
    case GetData:
    case GetRecData:
      r.reply = dataFrame(order, now);
      break;
    case SaveEeprom: {
      SensorConfig stored = eepromConfig();
      stored.packet = ram_.packet;
      storeEepromConfig(stored);
      r.eepromWritten = true;
      r.reply = echoReply(order, std::span(ram_.packet).first(kParamCount));
      break;
    }
    case GetVersion:
      r.reply = versionReply();
      break;
    case LoadEeprom:
      ram_.packet = eepromConfig().packet;
      r.reply = echoReply(order, std::span(ram_.packet).first(kParamCount));
      break;
    case SetCalibCf: {
      SensorConfig stored = eepromConfig();
      std::copy_n(&w[2], 3, ram_.calib.begin());
      stored.calib = ram_.calib;
      storeEepromConfig(stored);
      r.eepromWritten = true;
      break;
    }
    case GetCalibCf:
      r.reply = echoReply(order, ram_.calib);
      break;
    case SetTempCfRed:
    case SetTempCfGreen:
    case SetTempCfBlue:
    case SetRootTable:
      setTableBlock(order, w, r);
      break;
    case TempCompStart: {
      // A new upload begins: compensation is off until complete tables have arrived.
      ram_.loaded = 0;
      tempCompBlocks_ = {};
      rootBlocks_ = 0;
      SensorConfig stored = eepromConfig();
      stored.loaded = 0;
      storeEepromConfig(stored);
      r.eepromWritten = true;
      break;
    }
    case GetTempCfRed:
    case GetTempCfGreen:
    case GetTempCfBlue:
      r.reply = wordsToBytes(ram_.tempComp[order - GetTempCfRed]);
      break;
    case GetRootTable: {
      const size_t first = w[2] >= 128 ? 128 : 0;
      if (w[2] != 0 && w[2] != 128) r.note = "first entry neither 0 nor 128";
      r.reply = wordsToBytes(std::span(ram_.root).subspan(first, 128));
      break;
    }
    case EepromPage: {
      const uint16_t answer[] = {kLoaderAnswer, order, w[2]};
      r.reply = wordsToBytes(answer);
      r.reply.resize(kTelegramBytes, 0);
      break;
    }
    case EepromWrite: {
      const uint16_t count = std::min<uint16_t>(w[3], 13);
      for (uint16_t i = 0; i < count; ++i)
        if (w[2] + i < eeprom::kSize) eeprom_[w[2] + i] = w[4 + i];
      if (w[2] + count > eeprom::kSize) r.note = "write beyond the EEPROM";
      r.eepromWritten = true;
      std::array<uint16_t, 18> answer = w;  // echo of order, address, count and data
      answer[0] = kLoaderAnswer;
      answer[17] = 0;
      r.reply = wordsToBytes(answer);
      break;
    }
    case EepromRead: {
      const uint16_t count = std::min<uint16_t>(w[3], 13);
      std::array<uint16_t, 18> answer{kLoaderAnswer, order, w[2], w[3]};
      for (uint16_t i = 0; i < count; ++i)
        answer[4 + i] = w[2] + i < eeprom::kSize ? eeprom_[w[2] + i] : eeprom::kErased;
      r.reply = wordsToBytes(answer);
      break;
    }
    case JumpBoot: {
      const uint16_t answer[] = {kLoaderAnswer, order, kLoaderAnswer};
      r.reply = wordsToBytes(answer);
      r.reply.resize(kTelegramBytes, 0);
      r.enterBoot = true;
      break;
    }
    default:
      r.known = false;
  }
  return r;
}

}  // namespace veltsim
