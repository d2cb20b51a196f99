// Veltv61's record file: the header and data lines the recorder writes, for
// dates, times and values the input chooses, read back by a reader of the
// file's layout written here (the programs never read record files). Every
// line reads back as the stamps cut to their fields and the same values.
#include "fuzz_support.h"

#include "record_format.h"

#include <charconv>
#include <cstring>
#include <vector>

namespace {

struct Row {
    std::string date, time; // the 12-byte fields as written
    uint16_t values[kRecordValues];
};

// The stamp as its field holds it: the text up to its first NUL, at most 12
// bytes, padded with NULs.
std::string field(const std::string &text)
{
    std::string f = text.substr(0, text.find('\0')).substr(0, kRecordStampBytes);
    f.resize(kRecordStampBytes, '\0');
    return f;
}

// Reads the file: the header line, then data lines. False on any deviation
// from the layout.
bool readRecordFile(const std::string &file, std::vector<Row> *rows)
{
    const std::string header = RecordHeader();
    if (file.compare(0, header.size(), header) != 0)
        return false;
    size_t at = header.size();
    while (at < file.size()) {
        Row r {};
        // Two fixed fields, each followed by a tab: their bytes may be anything.
        if (file.size() - at < 2 * (kRecordStampBytes + 1))
            return false;
        r.date = file.substr(at, kRecordStampBytes);
        if (file[at + kRecordStampBytes] != '\t')
            return false;
        at += kRecordStampBytes + 1;
        r.time = file.substr(at, kRecordStampBytes);
        if (file[at + kRecordStampBytes] != '\t')
            return false;
        at += kRecordStampBytes + 1;
        for (int i = 0; i < kRecordValues; ++i) {
            const char *b = file.data() + at;
            const char *e = file.data() + file.size();
            unsigned v = 0;
            const auto res = std::from_chars(b, e, v);
            if (res.ec != std::errc() || res.ptr == b || v > 65535)
                return false;
            r.values[i] = static_cast<uint16_t>(v);
            at += static_cast<size_t>(res.ptr - b);
            const char *end = i + 1 < kRecordValues ? "\t" : "\r\n";
            if (file.compare(at, std::strlen(end), end) != 0)
                return false;
            at += std::strlen(end);
        }
        rows->push_back(r);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const std::string header = RecordHeader();
    FUZZ_CHECK(header.size() == 55);
    std::string file = header;
    std::vector<Row> written;
    while (!in.empty() && written.size() < 200) {
        // Stamps of any bytes and length (NULs end them, as in a C string).
        const std::string date = in.bytes(in.byte() % 24);
        const std::string time = in.bytes(in.byte() % 24);
        Row r {};
        for (auto &v : r.values)
            v = in.word();
        const bool noTime = in.byte() == 0xEE; // a null stamp writes an empty field
        const std::string line = RecordLine(date.c_str(), noTime ? nullptr : time.c_str(), r.values);
        r.date = field(date);
        r.time = field(noTime ? std::string() : time);
        // Bounded: two fields, two tabs, seven values of at most five digits, tabs, CR LF.
        FUZZ_CHECK(line.size() >= 2 * kRecordStampBytes + 2 + kRecordValues + (kRecordValues - 1) + 2);
        FUZZ_CHECK(line.size() <= 2 * kRecordStampBytes + 2 + 5 * kRecordValues + (kRecordValues - 1) + 2);
        file += line;
        written.push_back(r);
    }
    std::vector<Row> read;
    FUZZ_CHECK(readRecordFile(file, &read));
    FUZZ_CHECK(read.size() == written.size());
    for (size_t i = 0; i < read.size(); ++i) {
        FUZZ_CHECK(read[i].date == written[i].date && read[i].time == written[i].time);
        FUZZ_CHECK(std::memcmp(read[i].values, written[i].values, sizeof read[i].values) == 0);
    }

    // The recording time splits into a sound day, hour, minute and second.
    const uint16_t interval = in.word(), count = in.word();
    const RecordTime t = SplitRecordTime(interval, count);
    FUZZ_CHECK(t.hours >= 0 && t.hours < 24 && t.minutes >= 0 && t.minutes < 60 && t.seconds >= 0 && t.seconds < 60);
    FUZZ_CHECK(t.days * 86400 + t.hours * 3600 + t.minutes * 60 + t.seconds == int64_t(interval) * count);
    return 0;
}
