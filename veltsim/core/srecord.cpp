#include "srecord.h"

#include <algorithm>
#include <iterator>

namespace veltsim {

const char* describe(SRecError e) {
  switch (e) {
    case SRecError::None:
      return "ok";
    case SRecError::NotARecord:
      return "not a record";
    case SRecError::BadType:
      return "bad type";
    case SRecError::BadHex:
      return "bad hex digit";
    case SRecError::BadLength:
      return "bad length";
    case SRecError::BadChecksum:
      return "bad checksum";
    case SRecError::Truncated:
      return "truncated record";
  }
  return "?";
}

bool isSeparator(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == 0x11 || c == 0x13; }

namespace {
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
// Address bytes per record type, 0 for a type that does not exist (S4).
int addressBytes(char type) {
  switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
      return 2;
    case '2':
    case '6':
    case '8':
      return 3;
    case '3':
    case '7':
      return 4;
    default:
      return 0;
  }
}
}  // namespace

SRecScan scanRecord(std::string_view buf) {
  SRecScan scan;
  size_t start = 0;
  while (start < buf.size() && isSeparator(buf[start])) ++start;
  auto fail = [&](SRecError e, size_t end) {
    scan.status = SRecScan::Error;
    scan.error = e;
    scan.consumed = end;
    scan.text = std::string(buf.substr(start, end - start));
    return scan;
  };
  const std::string_view rec = buf.substr(start);
  if (rec.empty()) {
    scan.consumed = start;  // separators only: drop them
    return scan;
  }
  if (rec[0] != 'S') return fail(SRecError::NotARecord, start + 1);
  if (rec.size() < 2) return scan;
  const char type = rec[1];
  const int addrLen = addressBytes(type);
  if (addrLen == 0) return fail(SRecError::BadType, start + 2);

  // Every character after "Sn" must be a hex digit; a record that stops early
  // (a new 'S' or a line end before its byte count is reached) is truncated.
  auto checkDigits = [&](size_t from, size_t to) -> SRecError {
    for (size_t i = from; i < to; ++i) {
      if (hexValue(rec[i]) >= 0) continue;
      return (rec[i] == 'S' || isSeparator(rec[i])) ? SRecError::Truncated : SRecError::BadHex;
    }
    return SRecError::None;
  };
  const size_t haveCount = std::min<size_t>(rec.size(), 4);
  if (auto e = checkDigits(2, haveCount); e != SRecError::None) return fail(e, start + haveCount);
  if (rec.size() < 4) return scan;
  const int count = hexValue(rec[2]) * 16 + hexValue(rec[3]);
  if (count < addrLen + 1) return fail(SRecError::BadLength, start + 4);
  const size_t total = 4 + 2 * static_cast<size_t>(count);
  const size_t have = std::min(rec.size(), total);
  if (auto e = checkDigits(4, have); e != SRecError::None) {
    // Consume up to the offending character only when it starts something new.
    size_t bad = 4;
    while (bad < have && hexValue(rec[bad]) >= 0) ++bad;
    return fail(e, start + (e == SRecError::Truncated ? bad : bad + 1));
  }
  if (rec.size() < total) return scan;

  unsigned sum = 0;
  std::vector<uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    const int v = hexValue(rec[4 + 2 * i]) * 16 + hexValue(rec[5 + 2 * i]);
    bytes.push_back(static_cast<uint8_t>(v));
    sum += v;
  }
  sum += static_cast<unsigned>(count);
  sum -= bytes.back();  // the checksum byte itself is not summed
  if (static_cast<uint8_t>(~sum & 0xFF) != bytes.back()) return fail(SRecError::BadChecksum, start + total);

  scan.status = SRecScan::Complete;
  scan.consumed = start + total;
  scan.text = std::string(rec.substr(0, total));
  scan.record.type = type;
  for (int i = 0; i < addrLen; ++i) scan.record.address = (scan.record.address << 8) | bytes[i];
  scan.record.data.assign(bytes.begin() + addrLen, bytes.end() - 1);
  return scan;
}

FirmwareImage::AddResult FirmwareImage::add(uint32_t address, const std::vector<uint8_t>& data) {
  if (data.empty()) return AddResult::Added;
  const uint64_t start = address, end = start + data.size();
  if (end > uint64_t{1} << 32) return AddResult::BeyondAddressSpace;

  // The segments that overlap or touch [start, end) merge with it into one.
  auto first = segments_.upper_bound(address);
  if (first != segments_.begin()) {
    auto before = std::prev(first);
    if (before->first + static_cast<uint64_t>(before->second.size()) >= start) first = before;
  }
  auto last = first;
  uint64_t mergedStart = start, mergedEnd = end;
  size_t overlap = 0;
  for (; last != segments_.end() && last->first <= end; ++last) {
    const uint64_t segStart = last->first, segEnd = segStart + last->second.size();
    mergedStart = std::min(mergedStart, segStart);
    mergedEnd = std::max(mergedEnd, segEnd);
    const uint64_t lo = std::max(start, segStart), hi = std::min(end, segEnd);
    if (hi > lo) overlap += static_cast<size_t>(hi - lo);
  }
  const size_t added = data.size() - overlap;
  if (size_ + added > kMaxBytes) return AddResult::TooLarge;

  // Records arrive in address order as a rule: then the segment before grows in place.
  std::vector<uint8_t> merged;
  auto it = first;
  if (it != last && it->first == mergedStart) {
    merged = std::move(it->second);
    ++it;
  }
  merged.resize(static_cast<size_t>(mergedEnd - mergedStart));
  for (; it != last; ++it)
    std::copy(it->second.begin(), it->second.end(), merged.begin() + static_cast<long>(it->first - mergedStart));
  std::copy(data.begin(), data.end(), merged.begin() + static_cast<long>(start - mergedStart));
  segments_.erase(first, last);
  segments_.emplace(static_cast<uint32_t>(mergedStart), std::move(merged));
  size_ += added;
  return AddResult::Added;
}

uint64_t FirmwareImage::span() const {
  if (segments_.empty()) return 0;
  const auto& [lastStart, lastBytes] = *segments_.rbegin();
  return lastStart + static_cast<uint64_t>(lastBytes.size()) - segments_.begin()->first;
}

std::optional<std::vector<uint8_t>> FirmwareImage::flatten(uint64_t maxSpan) const {
  if (span() > maxSpan) return std::nullopt;
  std::vector<uint8_t> out(static_cast<size_t>(span()), 0xFF);
  for (const auto& [address, bytes] : segments_)
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<long>(address - base()));
  return out;
}

}  // namespace veltsim
