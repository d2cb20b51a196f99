// The boot firmware's S-record checker: splits a character stream into records
// by each record's own byte count and checks type, length, hex digits and checksum.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltsim {

struct SRecord {
  char type = '0';  // '0'..'9'
  uint32_t address = 0;
  std::vector<uint8_t> data;
  bool isData() const { return type == '1' || type == '2' || type == '3'; }
  bool isTermination() const { return type == '7' || type == '8' || type == '9'; }
};

enum class SRecError { None, NotARecord, BadType, BadHex, BadLength, BadChecksum, Truncated };
const char* describe(SRecError e);

// Result of looking at the start of a character buffer.
struct SRecScan {
  enum Status { Incomplete, Complete, Error } status = Incomplete;
  size_t consumed = 0;  // characters used, separators before the record included
  SRecord record;
  SRecError error = SRecError::None;
  std::string text;  // the record's characters
};

// Separators accepted between records: CR, LF, blanks, tabs and the XON/XOFF characters.
bool isSeparator(char c);
// Scans one record at the start of `buffer`. Incomplete means: only separators,
// or a record whose remaining characters have not arrived yet.
SRecScan scanRecord(std::string_view buffer);

// The firmware image built from the data records.
class FirmwareImage {
 public:
  void add(uint32_t address, const std::vector<uint8_t>& data);
  bool empty() const { return bytes_.empty(); }
  uint32_t base() const { return bytes_.empty() ? 0 : bytes_.begin()->first; }
  // Contiguous bytes from the lowest to the highest address, gaps filled with 0xFF.
  std::vector<uint8_t> flatten() const;

 private:
  std::map<uint32_t, uint8_t> bytes_;
};

}  // namespace veltsim
