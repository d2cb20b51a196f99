// S-record input: the boot firmware's record scanner on any characters, the
// firmware image built from the records it accepts, and the loader's split of
// a firmware file into lines and its S-record check. Every scan makes progress or waits for more;
// a record found is the text it consumed, reads the same when written out
// again, and no prefix of it is taken for an error (records arrive in
// pieces). The firmware image, fed with the records and with data at
// addresses the input chooses, holds exactly the bytes given (later ones
// winning) as sorted segments that neither overlap nor touch, refuses data
// past address 0xFFFFFFFF, and flattens only within the span asked for.
#include "fuzz_support.h"

#include "loaderdata.h"
#include "srecord.h"
#include "srecord_check.h"

#include <cctype>
#include <map>
#include <optional>

using namespace veltsim;

namespace {

// The record written out in upper-case hex with its checksum.
std::string encode(const SRecord &r) { return fuzz::SRecordText(r.type, r.address, r.data); }

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

// Feeds the image and a byte-by-byte model of it the same data.
struct ImageCheck {
    FirmwareImage image;
    std::map<uint32_t, uint8_t> model;

    void add(uint32_t address, const std::vector<uint8_t> &data)
    {
        const bool fits = uint64_t(address) + data.size() <= uint64_t(1) << 32;
        const FirmwareImage::AddResult r = image.add(address, data);
        FUZZ_CHECK((r == FirmwareImage::AddResult::Added) == fits);
        if (fits)
            for (size_t i = 0; i < data.size(); ++i)
                model[address + static_cast<uint32_t>(i)] = data[i];
    }

    void verify(uint64_t maxSpan) const
    {
        FUZZ_CHECK(image.empty() == model.empty());
        FUZZ_CHECK(image.size() == model.size());
        uint64_t previousEnd = 0;
        bool first = true;
        size_t bytes = 0;
        for (const auto &[start, segment] : image.segments()) {
            FUZZ_CHECK(!segment.empty());
            FUZZ_CHECK(first || start > previousEnd); // no overlap, no touching
            previousEnd = uint64_t(start) + segment.size();
            FUZZ_CHECK(previousEnd <= uint64_t(1) << 32);
            first = false;
            bytes += segment.size();
            for (size_t i = 0; i < segment.size(); ++i) {
                const auto it = model.find(start + static_cast<uint32_t>(i));
                FUZZ_CHECK(it != model.end() && it->second == segment[i]);
            }
        }
        FUZZ_CHECK(bytes == model.size());
        if (model.empty())
            return;
        const uint64_t span = uint64_t(model.rbegin()->first) - model.begin()->first + 1;
        FUZZ_CHECK(image.base() == model.begin()->first && image.span() == span);
        const std::optional<std::vector<uint8_t>> flat = image.flatten(maxSpan);
        FUZZ_CHECK(flat.has_value() == (span <= maxSpan));
        if (flat) {
            FUZZ_CHECK(flat->size() == span);
            size_t filled = 0;
            for (size_t i = 0; i < flat->size(); ++i) {
                const auto it = model.find(image.base() + static_cast<uint32_t>(i));
                FUZZ_CHECK(it == model.end() ? (*flat)[i] == 0xFF : (*flat)[i] == it->second);
                filled += it != model.end();
            }
            FUZZ_CHECK(filled == model.size());
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    std::string_view rest(input);
    ImageCheck fromRecords;
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
            fromRecords.add(s.record.address, s.record.data);
        }
        rest.remove_prefix(s.consumed);
    }
    fromRecords.verify(1u << 16);

    // The same input as a list of additions: address (4 bytes), length, and
    // the bytes (a counter when the input runs out), so that segments meet,
    // overlap and swallow each other in every order.
    fuzz::Input in(data, size);
    ImageCheck direct;
    for (int n = 0; n < 32 && !in.empty(); ++n) {
        uint32_t address = uint32_t(in.word()) << 16;
        address |= in.word();
        if (in.byte() & 1)
            address &= 0x3FF; // mostly close together
        std::vector<uint8_t> bytes(in.byte());
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = in.empty() ? static_cast<uint8_t>(i) : in.byte();
        direct.add(address, bytes);
    }
    direct.verify(1u << 12);

    checkLines(input, quillon::kMaxFirmwareLine);
    checkLines(input, 16);

    // A file the loader's check accepts is one the boot firmware takes whole,
    // record by record, line by line.
    std::string why;
    std::vector<std::string> lines;
    if (CheckSRecordFile(input, &why) && quillon::SplitFirmwareLines(input, size + 1, &lines, &why))
        for (const std::string &l : lines) {
            const SRecScan s = scanRecord(l);
            FUZZ_CHECK(s.status == SRecScan::Complete && s.consumed == l.size());
        }
    return 0;
}
