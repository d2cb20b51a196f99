#include "equation_file.h"

#include "rt_file.h"
#include "rt_core.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kFieldWidth = 10;
}

int WriteEquationFile(const char *path, const double values[kEquationValues])
{
    const int r = ArrayToFile(path, values, VAL_DOUBLE, kEquationValues, 1, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS,
                              VAL_CONST_WIDTH, kFieldWidth, VAL_ASCII, VAL_TRUNCATE);
    return r < 0 ? r : 0;
}

EquationRead ReadEquationFile(const char *path, double values[kEquationValues])
{
    // One more than wanted, to see a file that holds too many.
    double read[kEquationValues + 1] = {};
    const int n = FileToArray(path, read, VAL_DOUBLE, kEquationValues + 1, 1, VAL_GROUPS_TOGETHER,
                              VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
    if (n == kFileNotNumeric)
        return EquationRead::NotNumber;
    if (n < 0)
        return EquationRead::Unreadable;
    if (n != kEquationValues)
        return EquationRead::WrongCount;
    if (!std::all_of(read, read + kEquationValues, [](double v) { return std::isfinite(v); }))
        return EquationRead::NotNumber;
    std::copy_n(read, kEquationValues, values);
    return EquationRead::Ok;
}
