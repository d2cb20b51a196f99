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

// The firmware image built from the data records, kept as segments (runs of
// consecutive addresses), so that records far apart cost only their own bytes.
class FirmwareImage {
 public:
  // Data bytes an image may hold; a boot firmware's flash is far smaller.
  static constexpr size_t kMaxBytes = size_t{16} << 20;

  enum class AddResult { Added, BeyondAddressSpace, TooLarge };
  // Stores `data` from `address` on; later data overwrite earlier at the same address.
  // Nothing is stored when the data would run past address 0xFFFFFFFF or the image
  // would then hold more than kMaxBytes.
  AddResult add(uint32_t address, const std::vector<uint8_t>& data);

  bool empty() const { return segments_.empty(); }
  uint32_t base() const { return segments_.empty() ? 0 : segments_.begin()->first; }
  size_t size() const { return size_; }  // data bytes held
  // Bytes from the lowest address to the end of the highest segment (gaps included).
  uint64_t span() const;
  // Start address -> bytes; segments neither overlap nor touch.
  const std::map<uint32_t, std::vector<uint8_t>>& segments() const { return segments_; }
  // Bytes from the lowest to the highest address, gaps filled with 0xFF; nullopt when
  // that would take more than maxSpan bytes.
  std::optional<std::vector<uint8_t>> flatten(uint64_t maxSpan = kMaxBytes) const;

 private:
  std::map<uint32_t, std::vector<uint8_t>> segments_;
  size_t size_ = 0;
};

}  // namespace veltsim
