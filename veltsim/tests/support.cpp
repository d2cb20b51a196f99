#include "support.h"

namespace veltsim::test {

Bytes telegram(uint16_t order, std::initializer_list<uint16_t> payload) {
  std::vector<uint16_t> w{kSync, order};
  w.insert(w.end(), payload);
  w.resize(18, 0);
  return wordsToBytes(w);
}

Bytes hex(const std::string& text) {
  Bytes out;
  std::string digits;
  for (char c : text)
    if (c != ' ' && c != '\n') digits += c;
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

std::vector<uint16_t> words(const Bytes& bytes) {
  std::vector<uint16_t> w;
  for (size_t k = 0; k + 1 < bytes.size(); k += 2) w.push_back(wordAt(bytes, k / 2));
  return w;
}

Sensor makeSensor(double r, double g, double b, double temperature, uint32_t seed) {
  ModelSettings m;
  m.fixedTemperature = temperature;
  return Sensor(SensorSettings{}, MeasurementModel(Scene{{{"target", r, g, b, 10}}}, m, seed));
}

Bytes ask(Sensor& sensor, const Bytes& request, double now) {
  return sensor.handle(std::span<const uint8_t, kTelegramBytes>(request.data(), kTelegramBytes), now).reply;
}

Bytes sentBytes(const Outbox& out) {
  Bytes all;
  for (const auto& e : out.emissions) all.insert(all.end(), e.bytes.begin(), e.bytes.end());
  return all;
}

}  // namespace veltsim::test
