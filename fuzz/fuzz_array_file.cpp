// The run-time's numeric array files (FileToArray, ArrayToFile): any bytes as
// the file, read as one of the data types in one of the layouts the first
// bytes choose. A refused file leaves the array untouched; what was read,
// written out in the chosen style and read again, gives the same values.
#include "fuzz_support.h"

#include "rt_file.h"
#include "rt_ui.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const int kTypes[] = {VAL_CHAR,  VAL_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER, VAL_INTEGER, VAL_UNSIGNED_INTEGER,
                      VAL_FLOAT, VAL_DOUBLE};
const size_t kSizes[] = {1, 2, 2, 4, 4, 4, 8};

bool sameElement(int type, const unsigned char *a, const unsigned char *b)
{
    if (type == VAL_FLOAT || type == VAL_DOUBLE) {
        double x, y;
        if (type == VAL_FLOAT) {
            float fx, fy;
            std::memcpy(&fx, a, 4);
            std::memcpy(&fy, b, 4);
            x = fx;
            y = fy;
        } else {
            std::memcpy(&x, a, 8);
            std::memcpy(&y, b, 8);
        }
        if (std::isnan(x) || std::isnan(y))
            return std::isnan(x) && std::isnan(y) && std::signbit(x) == std::signbit(y);
        return x == y && std::signbit(x) == std::signbit(y);
    }
    return std::memcmp(a, b, type == VAL_CHAR ? 1 : (type == VAL_INTEGER || type == VAL_UNSIGNED_INTEGER) ? 4 : 2) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string file = fuzz::ScratchPath("array.txt");
    static const std::string again = fuzz::ScratchPath("again.txt");
    fuzz::Input in(data, size);
    const size_t t = in.byte() % 7;
    const int type = kTypes[t];
    const size_t esize = kSizes[t];
    const int groups = 1 + in.byte() % 4;
    const int perGroup = in.byte() % 17;
    const int count = groups * perGroup;
    const int order = in.byte() % 2 ? VAL_DATA_MULTIPLEXED : VAL_GROUPS_TOGETHER;
    const int layout = in.byte() % 2 ? VAL_GROUPS_AS_COLUMNS : VAL_GROUPS_AS_ROWS;
    const int sepChoice = in.byte() % 3;
    const int sep = sepChoice == 0 ? VAL_CONST_WIDTH : sepChoice == 1 ? VAL_SEP_BY_COMMA : VAL_SEP_BY_TAB;
    const int width = in.byte() % 30;
    FUZZ_CHECK(fuzz::WriteBytes(file, in.rest()));

    std::vector<unsigned char> array(static_cast<size_t>(count) * esize + 1, 0xA5);
    const std::vector<unsigned char> untouched = array;
    const int n = FileToArray(file.c_str(), array.data(), type, count, groups, order, layout, VAL_ASCII);
    FUZZ_CHECK(n <= count);
    FUZZ_CHECK(array.back() == 0xA5); // nothing written past the elements
    if (n < 0) {
        FUZZ_CHECK(n == kFileNotNumeric || n == kFileError);
        FUZZ_CHECK(array == untouched);
        return 0;
    }
    // Exactly n elements were stored.
    size_t changed = 0;
    for (int i = 0; i < count; ++i)
        changed += std::memcmp(&array[i * esize], &untouched[i * esize], esize) != 0;
    FUZZ_CHECK(changed <= static_cast<size_t>(n));

    // Written in the chosen style and read back: the same values, all of them.
    FUZZ_CHECK(ArrayToFile(again.c_str(), array.data(), type, count, groups, order, layout, sep, width, VAL_ASCII,
                           VAL_TRUNCATE) == 0);
    std::vector<unsigned char> back(array.size(), 0x5A);
    const int m = FileToArray(again.c_str(), back.data(), type, count, groups, order, layout, VAL_ASCII);
    FUZZ_CHECK(m == count);
    for (int i = 0; i < count; ++i)
        FUZZ_CHECK(sameElement(type, &array[i * esize], &back[i * esize]));
    return 0;
}
