// Veltv61's colour array file: any bytes as the file. An accepted file holds
// 45 colours from 0 to 0xFFFFFF; written out again it reads back the same.
// A refused file leaves the colours as they were.
#include "fuzz_support.h"

#include "color_arrays.h"
#include "teach_calc.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string file = fuzz::ScratchPath("ColorArray.car");
    static const std::string again = fuzz::ScratchPath("again.car");
    FUZZ_CHECK(fuzz::WriteBytes(file, std::string(reinterpret_cast<const char *>(data), size)));

    int colours[kColorArraySize];
    for (int &c : colours)
        c = -7;
    if (!ReadColorArrayFileValues(file.c_str(), colours)) {
        for (int c : colours)
            FUZZ_CHECK(c == -7);
        return 0;
    }
    for (int c : colours)
        FUZZ_CHECK(c >= 0 && c <= 0xFFFFFF);
    FUZZ_CHECK(ColorArrayValid(colours, kColorArraySize));

    FUZZ_CHECK(WriteColorArrayFile(again.c_str(), colours) == 0);
    const std::string written = fuzz::ReadBytes(again);
    FUZZ_CHECK(written.size() == static_cast<size_t>(kColorArraySize) * 12);
    int back[kColorArraySize] = {};
    FUZZ_CHECK(ReadColorArrayFileValues(again.c_str(), back));
    FUZZ_CHECK(std::memcmp(back, colours, sizeof back) == 0);
    return 0;
}
