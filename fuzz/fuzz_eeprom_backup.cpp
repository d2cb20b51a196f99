// QuillonV20's EEPROM backup file: any bytes as the file (or as its start,
// completed with zeros towards the 3328 numbers a backup holds, so that short
// inputs reach the edges of a whole file). An accepted file gives the values
// a plain reading gives; written as the loader writes a backup it is
// accepted again with the same image; a refused file leaves the image
// untouched and says why.
#include "fuzz_support.h"

#include "loaderdata.h"
#include "rt_file.h"
#include "rt_ui.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

// The numbers of a text made of short decimal numbers and separators only;
// false for anything else.
bool plainNumbers(const std::string &text, std::vector<uint16_t> *out)
{
    size_t i = 0;
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        unsigned v = 0;
        size_t j = i;
        for (; j < text.size() && !separator(text[j]); ++j) {
            if (text[j] < '0' || text[j] > '9' || j - i >= 5)
                return false;
            v = v * 10 + unsigned(text[j] - '0');
        }
        if (v > 65535)
            return false;
        out->push_back(static_cast<uint16_t>(v));
        i = j;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string file = fuzz::ScratchPath("backup.txt");
    fuzz::Input in(data, size);
    const uint8_t mode = in.byte();
    std::string text = in.rest();
    if (mode & 1) {
        // Completed with zeros: up to 127 numbers fewer than a backup holds,
        // so the input's own numbers decide the count.
        const int fill = quillon::kImageWords - (mode >> 1);
        text += '\n';
        for (int i = 0; i < fill; ++i)
            text += i % 13 == 12 ? "0\r\n" : "0\t";
    }

    static uint16_t image[quillon::kImageWords];
    std::fill(image, image + quillon::kImageWords, 0xDEAD);
    std::string why;
    const bool ok = quillon::ParseBackup(text, image, &why);

    std::vector<uint16_t> plain;
    const bool isPlain = plainNumbers(text, &plain);
    if (isPlain && plain.size() == static_cast<size_t>(quillon::kImageWords))
        FUZZ_CHECK(ok);
    if (!ok) {
        FUZZ_CHECK(!why.empty());
        FUZZ_CHECK(std::all_of(image, image + quillon::kImageWords, [](uint16_t v) { return v == 0xDEAD; }));
        return 0;
    }
    if (isPlain)
        FUZZ_CHECK(std::equal(plain.begin(), plain.end(), image));

    // Written as the loader writes a backup: thirteen numbers a line, tabs.
    FUZZ_CHECK(ArrayToFile(file.c_str(), image, VAL_UNSIGNED_SHORT_INTEGER, quillon::kImageWords, quillon::kBlockWords,
                           VAL_DATA_MULTIPLEXED, VAL_GROUPS_AS_COLUMNS, VAL_SEP_BY_TAB, 10, VAL_ASCII,
                           VAL_TRUNCATE) == 0);
    const std::string written = fuzz::ReadBytes(file);
    static uint16_t back[quillon::kImageWords];
    std::string why2;
    FUZZ_CHECK(quillon::ParseBackup(written, back, &why2));
    FUZZ_CHECK(std::equal(back, back + quillon::kImageWords, image));
    FUZZ_CHECK(std::count(written.begin(), written.end(), '\n') == quillon::kBlocks);
    return 0;
}
