// The firmware file check: sound files of the common tools pass, and each
// kind of damage is refused with the line and the fault named.
#include "srecord_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// 16 bytes at 0x1000 with an S0 header, as objcopy writes them.
const std::string kHeader = "S00600004844521B\n";
const std::string kData = "S1131000000102030405060708090A0B0C0D0E0F64\n";
const std::string kEnd = "S9031000EC\n";

} // namespace

TEST(SRecordCheck, AcceptsSoundFilesAndNamesTheFirstFault)
{
    struct Case {
        std::string content;
        std::string why; // empty: accepted
    };
    std::string flipped = kData;
    flipped[10] = '9'; // one data digit changed: the checksum no longer fits
    const Case cases[] = {
        {kHeader + kData + kEnd, ""},
        {"S0030000FC\r\n\r\n" + kData.substr(0, kData.size() - 1) + "\r\n" + kEnd, ""}, // CR LF, empty line
        {"S214010000000102030405060708090A0B0C0D0E0F72\nS804010000FA", ""},             // S2/S8, no last line end
        {"S30800001000AABBCCB6\nS70500001000EA\n", ""},
        {kHeader + flipped + kEnd, "Line 2: the checksum is wrong (64, the record's bytes give D4)."},
        {"1\t2\t3\r\n", "Line 1: it does not begin with S, so it is no S-record."},
        {kHeader + "SX\n", "Line 2: the record type after S is not a digit."},
        {kHeader + "S4030000FC\n", "Line 2: record type S4 does not exist."},
        {kHeader + "S1131000000102030405060708090A0B0C0D0EZF64\n", "Line 2: character 39 is not a hex digit."},
        {kHeader + kData.substr(0, 30) + "\n", "Line 2: its byte count says 19 bytes, the record has 13."},
        {kHeader + "S113100000010203040506070809 A0B0C0D0E0F64\n", "Line 2: character 29 is not a hex digit."},
        {kHeader + "S11310000\n", "Line 2: it ends with half a byte (an odd number of hex digits)."},
        {"S1\n", "Line 1: it has no byte count."},
        {"S30400000000\n", "Line 1: its byte count 4 leaves no room for the address and checksum."},
        {kHeader + kEnd, "The file holds no data record (S1, S2 or S3)."},
        {"", "The file holds no data record (S1, S2 or S3)."},
    };
    for (const Case &c : cases) {
        std::string why;
        EXPECT_EQ(CheckSRecordFile(c.content, &why), c.why.empty()) << c.content;
        EXPECT_EQ(why, c.why) << c.content;
    }
}
