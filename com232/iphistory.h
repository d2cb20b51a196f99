// The IP address history file: at most 10 records of a 20-byte NUL-padded
// field and a line feed, most recent first.
#pragma once

#include <string>
#include <vector>

constexpr int kIpRecordText = 20;
constexpr int kIpRecordSize = kIpRecordText + 1;
constexpr int kIpHistoryMax = 10;

// The records' texts in file order (file size / 21 records; surplus bytes ignored).
std::vector<std::string> ParseIpHistory(const std::string &bytes);
// The file's bytes for the given addresses (each cut to 20 bytes).
std::string FormatIpHistory(const std::vector<std::string> &addresses);
