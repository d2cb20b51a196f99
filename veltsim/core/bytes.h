// Byte and word helpers shared by every part of the simulator, and the small
// JSON line builder of the log.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltsim {

using Bytes = std::vector<uint8_t>;

// Telegram words travel high byte first.
inline uint16_t wordAt(std::span<const uint8_t> bytes, size_t k) {
  return static_cast<uint16_t>((bytes[2 * k] << 8) | bytes[2 * k + 1]);
}
// Encodes the words big-endian, two bytes each.
Bytes wordsToBytes(std::span<const uint16_t> words);
std::string toHex(std::span<const uint8_t> bytes);

// Builds one JSON object on one line: Json().num("t", 1.5).str("dir", "rx").text()
class Json {
 public:
  Json& num(std::string_view key, double value);
  Json& num(std::string_view key, long long value);
  Json& num(std::string_view key, int value) { return num(key, static_cast<long long>(value)); }
  Json& num(std::string_view key, unsigned value) { return num(key, static_cast<long long>(value)); }
  Json& boolean(std::string_view key, bool value);
  Json& str(std::string_view key, std::string_view value);
  std::string text() const { return body_.empty() ? "{}" : body_ + "}"; }

 private:
  void key(std::string_view k);
  std::string body_;
};

}  // namespace veltsim
