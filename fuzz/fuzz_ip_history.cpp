// The IP address history file: any bytes as the file. Every record's text
// fits its 20-byte field and holds no NUL or line end; the file the program
// writes from those texts reads back as the same texts. Texts of any length
// written out read back cut to the field at their first NUL or line end.
#include "fuzz_support.h"

#include "iphistory.h"

#include <cstring>

namespace {

std::string expectedRead(const std::string &text)
{
    std::string t = text.substr(0, kIpRecordText);
    const size_t end = t.find_first_of(std::string("\0\r\n", 3));
    return end == std::string::npos ? t : t.substr(0, end);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> parsed = ParseIpHistory(bytes);
    FUZZ_CHECK(parsed.size() == size / kIpRecordSize);
    for (size_t i = 0; i < parsed.size(); ++i) {
        FUZZ_CHECK(parsed[i].size() <= static_cast<size_t>(kIpRecordText));
        FUZZ_CHECK(parsed[i].find_first_of(std::string("\0\r\n", 3)) == std::string::npos);
        FUZZ_CHECK(parsed[i] == expectedRead(bytes.substr(i * kIpRecordSize, kIpRecordText)));
    }

    const std::string written = FormatIpHistory(parsed);
    FUZZ_CHECK(written.size() == parsed.size() * kIpRecordSize);
    FUZZ_CHECK(ParseIpHistory(written) == parsed);

    // The input cut into texts at its line feeds, as addresses typed in.
    std::vector<std::string> typed;
    size_t start = 0;
    while (start < bytes.size() && typed.size() < 64) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        typed.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const std::vector<std::string> back = ParseIpHistory(FormatIpHistory(typed));
    FUZZ_CHECK(back.size() == typed.size());
    for (size_t i = 0; i < typed.size(); ++i)
        FUZZ_CHECK(back[i] == expectedRead(typed[i]));
    return 0;
}
