#include "statefile.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace veltsim {

namespace {
void writeWords(std::string& out, const char* tag, std::span<const uint16_t> words) {
  char buf[32];
  for (size_t i = 0; i < words.size(); i += 16) {
    std::snprintf(buf, sizeof buf, "%s %04zx", tag, i);
    out += buf;
    for (size_t k = i; k < std::min(words.size(), i + 16); ++k) {
      std::snprintf(buf, sizeof buf, " %04x", words[k]);
      out += buf;
    }
    out += '\n';
  }
}
}  // namespace

std::string saveState(const Sensor& sensor) {
  std::string out = "veltsim-state 1\nversion-text " + sensor.versionText() + "\n";
  writeWords(out, "ram", eeprom::encode(sensor.ram()));
  writeWords(out, "eeprom", sensor.eepromWords());
  return out;
}

bool loadState(Sensor& sensor, std::string_view text, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::istringstream in{std::string(text)};
  std::string line;
  if (!std::getline(in, line) || line != "veltsim-state 1") return fail("not a veltsim state file");
  eeprom::Region ram;
  ram.fill(eeprom::kErased);
  auto eepromWords = sensor.eepromWords();
  std::string version = sensor.versionText();
  int lineNo = 1;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.rfind("version-text ", 0) == 0) {
      version = line.substr(13);
      continue;
    }
    std::istringstream fields(line);
    std::string tag;
    size_t at = 0;
    if (!(fields >> tag)) continue;
    std::span<uint16_t> dest;
    if (tag == "ram")
      dest = ram;
    else if (tag == "eeprom")
      dest = eepromWords;
    else
      return fail("state line " + std::to_string(lineNo) + ": unknown tag");
    if (!(fields >> std::hex >> at)) return fail("state line " + std::to_string(lineNo) + ": no address");
    unsigned word = 0;
    while (fields >> std::hex >> word) {
      if (at >= dest.size() || word > 0xFFFF)
        return fail("state line " + std::to_string(lineNo) + ": out of range");
      dest[at++] = static_cast<uint16_t>(word);
    }
  }
  const auto config = eeprom::decode(ram);
  if (!config) return fail("state file holds no RAM configuration");
  sensor.eepromWords() = eepromWords;
  sensor.ram() = *config;
  sensor.setVersionText(version);
  return true;
}

}  // namespace veltsim
