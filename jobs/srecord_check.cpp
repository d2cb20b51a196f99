#include "srecord_check.h"

#include "loaderdata.h"

#include <cstdio>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Bytes of the address field by record type; 0 for a type that does not exist.
int addressBytes(char type)
{
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9': return 2;
    case '2':
    case '6':
    case '8': return 3;
    case '3':
    case '7': return 4;
    default: return 0;
    }
}

// The fault of one record, empty when it is a sound S-record.
std::string recordFault(const std::string &line)
{
    if (line[0] != 'S')
        return "it does not begin with S, so it is no S-record";
    if (line.size() < 2 || line[1] < '0' || line[1] > '9')
        return "the record type after S is not a digit";
    const int address = addressBytes(line[1]);
    if (address == 0)
        return std::string("record type S") + line[1] + " does not exist";
    const std::string pairs = line.substr(2);
    for (size_t i = 0; i < pairs.size(); ++i)
        if (hexDigit(pairs[i]) < 0)
            return "character " + std::to_string(i + 3) + " is not a hex digit";
    if (pairs.size() % 2 != 0)
        return "it ends with half a byte (an odd number of hex digits)";
    if (pairs.empty())
        return "it has no byte count";
    const size_t bytes = pairs.size() / 2;
    unsigned sum = 0, value = 0;
    for (size_t b = 0; b < bytes; ++b) {
        value = static_cast<unsigned>(hexDigit(pairs[2 * b]) * 16 + hexDigit(pairs[2 * b + 1]));
        sum += value;
    }
    const unsigned count = static_cast<unsigned>(hexDigit(pairs[0]) * 16 + hexDigit(pairs[1]));
    if (count != bytes - 1)
        return "its byte count says " + std::to_string(count) + " bytes, the record has " + std::to_string(bytes - 1);
    if (count < static_cast<unsigned>(address) + 1)
        return "its byte count " + std::to_string(count) + " leaves no room for the address and checksum";
    if ((sum & 0xFF) != 0xFF) {
        const unsigned expected = (0xFF - ((sum - value) & 0xFF)) & 0xFF;
        char text[80];
        std::snprintf(text, sizeof text, "the checksum is wrong (%02X, the record's bytes give %02X)", value, expected);
        return text;
    }
    return "";
}

} // namespace

bool CheckSRecordFile(const std::string &content, std::string *why)
{
    bool data = false;
    const bool sound = quillon::ForEachTextLine(content, [&](size_t number, std::string &line) {
        if (line.empty())
            return true;
        const std::string fault = recordFault(line);
        if (!fault.empty()) {
            *why = "Line " + std::to_string(number) + ": " + fault + ".";
            return false;
        }
        data = data || line[1] == '1' || line[1] == '2' || line[1] == '3';
        return true;
    });
    if (!sound)
        return false;
    if (!data) {
        *why = "The file holds no data record (S1, S2 or S3).";
        return false;
    }
    return true;
}
