#include "bytes.h"

#include <cstdio>

namespace veltsim {

Bytes wordsToBytes(std::span<const uint16_t> words) {
  Bytes out;
  out.reserve(words.size() * 2);
  for (uint16_t w : words) {
    out.push_back(static_cast<uint8_t>(w >> 8));
    out.push_back(static_cast<uint8_t>(w & 0xFF));
  }
  return out;
}

std::string toHex(std::span<const uint8_t> bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

void Json::key(std::string_view k) {
  body_ += body_.empty() ? "{\"" : ",\"";
  body_ += k;
  body_ += "\":";
}

Json& Json::num(std::string_view k, double value) {
  key(k);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", value);
  body_ += buf;
  return *this;
}

Json& Json::num(std::string_view k, long long value) {
  key(k);
  body_ += std::to_string(value);
  return *this;
}

Json& Json::boolean(std::string_view k, bool value) {
  key(k);
  body_ += value ? "true" : "false";
  return *this;
}

Json& Json::str(std::string_view k, std::string_view value) {
  key(k);
  body_ += '"';
  for (unsigned char c : value) {
    switch (c) {
      case '"':
        body_ += "\\\"";
        break;
      case '\\':
        body_ += "\\\\";
        break;
      case '\n':
        body_ += "\\n";
        break;
      case '\r':
        body_ += "\\r";
        break;
      case '\t':
        body_ += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          body_ += buf;
        } else {
          body_ += static_cast<char>(c);
        }
    }
  }
  body_ += '"';
  return *this;
}

}  // namespace veltsim
