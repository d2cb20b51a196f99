// VeltTempCompV61's equation file: any bytes as the file. An accepted file
// gives 15 finite numbers that, written out again, read back identically; a
// refused file leaves the coefficients untouched.
#include "fuzz_support.h"

#include "equation_file.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string file = fuzz::ScratchPath("equation.equ");
    static const std::string again = fuzz::ScratchPath("again.equ");
    FUZZ_CHECK(fuzz::WriteBytes(file, std::string(reinterpret_cast<const char *>(data), size)));

    double values[kEquationValues];
    for (double &v : values)
        v = -123.25;
    const EquationRead r = ReadEquationFile(file.c_str(), values);
    if (r != EquationRead::Ok) {
        FUZZ_CHECK(r != EquationRead::Unreadable); // the file is there and readable
        for (double v : values)
            FUZZ_CHECK(v == -123.25);
        return 0;
    }
    for (double v : values)
        FUZZ_CHECK(std::isfinite(v));

    FUZZ_CHECK(WriteEquationFile(again.c_str(), values) == 0);
    double back[kEquationValues] = {};
    FUZZ_CHECK(ReadEquationFile(again.c_str(), back) == EquationRead::Ok);
    for (int i = 0; i < kEquationValues; ++i)
        FUZZ_CHECK(back[i] == values[i] && std::signbit(back[i]) == std::signbit(values[i]));
    return 0;
}
