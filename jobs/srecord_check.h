// The check a firmware file passes before the sensor is sent into its boot
// firmware: a file the boot firmware would refuse half-way (a backup file, a
// truncated download, an image with one flipped digit) must not make the
// sensor leave its application at all.
#pragma once

#include <string>

// True when every non-empty line of `content` (LF or CR LF line ends) is an
// S-record: "S", a record type digit (0-3, 5-9), then pairs of hex digits
// whose first pair, the byte count, counts the pairs after it, with room for
// the type's address and a checksum that makes the bytes add up to 0xFF; and
// when at least one record is a data record (S1, S2 or S3). Otherwise false,
// and *why names the first line at fault and what is wrong with it.
bool CheckSRecordFile(const std::string &content, std::string *why);
