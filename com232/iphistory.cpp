#include "iphistory.h"

#include <cstring>

std::vector<std::string> ParseIpHistory(const std::string &bytes)
{
    std::vector<std::string> out;
    const size_t records = bytes.size() / kIpRecordSize;
    for (size_t i = 0; i < records; ++i) {
        // Each field is read into a terminated buffer, so that a field without
        // a NUL never runs into the next record.
        char field[kIpRecordText + 1] = {};
        std::memcpy(field, bytes.data() + i * kIpRecordSize, kIpRecordText);
        // A line end inside the field ends the text, as a line read would.
        field[std::strcspn(field, "\r\n")] = '\0';
        out.emplace_back(field);
    }
    return out;
}

std::string FormatIpHistory(const std::vector<std::string> &addresses)
{
    std::string out;
    for (const auto &a : addresses) {
        std::string field = a.substr(0, kIpRecordText);
        field.resize(kIpRecordText, '\0');
        out += field;
        out += '\n';
    }
    return out;
}
