// Veltv61's start-up path file: any bytes as the file. What it yields is a
// NUL-terminated path that fits the path buffer and is the file's text up to
// its first NUL; written out again it reads back the same.
#include "fuzz_support.h"

#include "color_arrays.h"
#include "teach_calc.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string file = fuzz::ScratchPath("startup.arr");
    static const std::string again = fuzz::ScratchPath("again.arr");
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    // The pure part on the bytes as they are (also when longer than a buffer).
    char path[260];
    std::memset(path, 'x', sizeof path);
    const bool pure = StartupPathFromBytes(bytes.data(), static_cast<int>(bytes.size()), path);
    const size_t head = bytes.size() < 260 ? bytes.size() : 260;
    const size_t nul = bytes.find('\0');
    const bool expect = nul != std::string::npos && nul < head && nul > 0;
    FUZZ_CHECK(pure == expect);
    if (pure) {
        FUZZ_CHECK(std::strlen(path) == nul);
        FUZZ_CHECK(std::memcmp(path, bytes.data(), nul) == 0);
    } else {
        FUZZ_CHECK(path[0] == '\0');
    }

    // Through the file as the program reads it.
    FUZZ_CHECK(fuzz::WriteBytes(file, bytes));
    char fromFile[260];
    const bool read = ReadStartupPathFile(file.c_str(), fromFile);
    FUZZ_CHECK(read == expect);
    if (!read)
        return 0;
    FUZZ_CHECK(std::strcmp(fromFile, path) == 0);

    FUZZ_CHECK(WriteStartupPathFile(again.c_str(), fromFile) == 0);
    FUZZ_CHECK(fuzz::ReadBytes(again).size() == 260);
    char back[260];
    FUZZ_CHECK(ReadStartupPathFile(again.c_str(), back));
    FUZZ_CHECK(std::strcmp(back, fromFile) == 0);
    return 0;
}
