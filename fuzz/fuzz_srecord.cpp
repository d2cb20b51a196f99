// S-record input: the boot firmware's record scanner on any characters, the
// firmware image built from the records it accepts, and the loader's split of
// a firmware file into lines. Every scan makes progress or waits for more;
// a record found is the text it consumed, reads the same when written out
// again, and no prefix of it is taken for an error (records arrive in
// pieces); the image holds exactly the bytes of the records.
#include "fuzz_support.h"

#include "loaderdata.h"
#include "srecord.h"

#include <cctype>
#include <map>

using namespace veltsim;

namespace {

int addressBytes(char type)
{
    return type == '2' || type == '6' || type == '8' ? 3 : type == '3' || type == '7' ? 4 : 2;
}

// The record written out in upper-case hex with its checksum.
std::string encode(const SRecord &r)
{
    static const char digits[] = "0123456789ABCDEF";
    std::vector<uint8_t> bytes;
    const int a = addressBytes(r.type);
    for (int i = a - 1; i >= 0; --i)
        bytes.push_back(static_cast<uint8_t>(r.address >> (8 * i)));
    bytes.insert(bytes.end(), r.data.begin(), r.data.end());
    const unsigned count = static_cast<unsigned>(bytes.size()) + 1;
    unsigned sum = count;
    for (uint8_t b : bytes)
        sum += b;
    bytes.push_back(static_cast<uint8_t>(~sum & 0xFF));
    std::string out = "S";
    out += r.type;
    out += digits[count >> 4];
    out += digits[count & 15];
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void checkLines(const std::string &content, size_t maxLine)
{
    std::vector<std::string> lines;
    std::string why;
    if (!quillon::SplitFirmwareLines(content, maxLine, &lines, &why)) {
        FUZZ_CHECK(!why.empty());
        return;
    }
    size_t chars = 0;
    for (const std::string &l : lines) {
        FUZZ_CHECK(!l.empty() && l.size() <= maxLine);
        // A CR before the LF belongs to the line end; any other CR is the line's own.
        FUZZ_CHECK(l.find('\n') == std::string::npos && l.find('\0') == std::string::npos);
        chars += l.size();
    }
    FUZZ_CHECK(chars <= content.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    std::string_view rest(input);
    std::map<uint32_t, uint8_t> expected; // the data records' bytes, later ones winning
    FirmwareImage image;
    size_t records = 0;
    while (!rest.empty()) {
        const SRecScan s = scanRecord(rest);
        FUZZ_CHECK(s.consumed <= rest.size());
        if (s.status == SRecScan::Incomplete) {
            // Only separators, or the start of a record still to come.
            FUZZ_CHECK(s.consumed == rest.size() || s.consumed == 0);
            if (s.consumed == 0) {
                size_t i = 0;
                while (i < rest.size() && isSeparator(rest[i]))
                    ++i;
                FUZZ_CHECK(i < rest.size() && rest[i] == 'S');
            }
            break;
        }
        FUZZ_CHECK(s.consumed > 0);
        if (s.status == SRecScan::Error) {
            FUZZ_CHECK(s.error != SRecError::None);
            rest.remove_prefix(s.consumed);
            continue;
        }
        // The record is the end of what was consumed.
        FUZZ_CHECK(s.text.size() <= s.consumed && s.text.size() >= 10);
        FUZZ_CHECK(rest.substr(s.consumed - s.text.size(), s.text.size()) == s.text);
        FUZZ_CHECK(encode(s.record) == upper(s.text));
        const SRecScan again = scanRecord(encode(s.record));
        FUZZ_CHECK(again.status == SRecScan::Complete && again.record.address == s.record.address &&
                   again.record.data == s.record.data && again.record.type == s.record.type);
        // Arriving in pieces, the record is never taken for an error.
        for (size_t n = 1; n < s.text.size(); n += 1 + s.text.size() / 16)
            FUZZ_CHECK(scanRecord(std::string_view(s.text).substr(0, n)).status == SRecScan::Incomplete);
        if (s.record.isData() && records < 64) {
            ++records;
            // Data running past address 0xFFFFFFFF is refused whole; 64
            // records never reach the image's size limit.
            const bool fits = uint64_t(s.record.address) + s.record.data.size() <= uint64_t(1) << 32;
            const FirmwareImage::AddResult added = image.add(s.record.address, s.record.data);
            FUZZ_CHECK((added == FirmwareImage::AddResult::Added) == fits);
            for (size_t i = 0; fits && i < s.record.data.size(); ++i)
                expected[s.record.address + static_cast<uint32_t>(i)] = s.record.data[i];
        }
        rest.remove_prefix(s.consumed);
    }
    FUZZ_CHECK(image.empty() == expected.empty());
    FUZZ_CHECK(image.size() == expected.size());
    // The segments hold exactly the expected bytes, in runs that neither
    // overlap nor touch.
    uint64_t segmentEnd = 0;
    bool firstSegment = true;
    for (const auto &[start, bytes] : image.segments()) {
        FUZZ_CHECK(!bytes.empty());
        FUZZ_CHECK(firstSegment || start > segmentEnd);
        firstSegment = false;
        segmentEnd = uint64_t(start) + bytes.size();
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto it = expected.find(start + static_cast<uint32_t>(i));
            FUZZ_CHECK(it != expected.end() && it->second == bytes[i]);
        }
    }
    if (!expected.empty()) {
        FUZZ_CHECK(image.base() == expected.begin()->first);
        // A flattened image is as long as the distance from its lowest to its
        // highest address; beyond the limit given there is none.
        const uint64_t span = uint64_t(expected.rbegin()->first) - expected.begin()->first + 1;
        FUZZ_CHECK(image.span() == span);
        const auto flat = image.flatten(1u << 16);
        FUZZ_CHECK(flat.has_value() == (span <= 1u << 16));
        if (flat) {
            FUZZ_CHECK(flat->size() == span);
            for (const auto &[addr, value] : expected)
                FUZZ_CHECK((*flat)[addr - expected.begin()->first] == value);
        }
    }

    checkLines(input, quillon::kMaxFirmwareLine);
    checkLines(input, 16);
    return 0;
}
