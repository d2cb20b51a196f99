// The record file's bytes and the recording-time split.
#include "record_format.h"

#include <cstring>

namespace {

// One fixed field: the text copied into a cleared buffer of 12 bytes, all
// of them written.
void AppendStamp(std::string &out, const char *text)
{
    char field[kRecordStampBytes] = {};
    if (text)
        std::memcpy(field, text, strnlen(text, sizeof field));
    out.append(field, sizeof field);
}

} // namespace

std::string RecordHeader()
{
    static const char *const kColumns[] = {"DATE", "TIME", "RED", "GREEN", "BLUE", "X s", "Y i", "INT M", "TEMP"};
    std::string out;
    for (const char *name : kColumns) {
        out += name;
        out += '\t';
        out += '\0';
    }
    out += "\r\n";
    return out;
}

std::string RecordLine(const char *date, const char *time, const uint16_t values[kRecordValues])
{
    std::string out;
    out.reserve(2 * kRecordStampBytes + 2 + kRecordValues * 6 + 2);
    AppendStamp(out, date);
    out += '\t';
    AppendStamp(out, time);
    out += '\t';
    for (int i = 0; i < kRecordValues; ++i) {
        if (i > 0)
            out += '\t';
        out += std::to_string(values[i]);
    }
    out += "\r\n";
    return out;
}

RecordTime SplitRecordTime(uint16_t intervalSeconds, uint16_t count)
{
    int64_t total = static_cast<int64_t>(intervalSeconds) * count;
    RecordTime t {};
    t.days = total / 86400;
    total -= t.days * 86400;
    t.hours = static_cast<int>(total / 3600);
    total -= t.hours * 3600;
    t.minutes = static_cast<int>(total / 60);
    t.seconds = static_cast<int>(total - t.minutes * 60);
    return t;
}

double GraphFrameAxisMax(unsigned highestFrame)
{
    double decade = 1;
    for (;;) {
        for (double step : {1.0, 2.0, 5.0})
            if (highestFrame <= step * decade)
                return step * decade;
        decade *= 10;
    }
}
