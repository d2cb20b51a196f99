#include "params_file.h"

#include "packet.h"
#include "rt_file.h"
#include "rt_core.h"

#include <algorithm>

int WriteParameterFile(const char *path, const uint16_t packet[kParaWords])
{
    const int rc = ArrayToFile(path, packet, VAL_UNSIGNED_SHORT_INTEGER, kParaWords, 1, VAL_GROUPS_TOGETHER,
                               VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10, VAL_ASCII, VAL_TRUNCATE);
    return rc < 0 ? rc : 0;
}

bool ReadParameterFile(const char *path, uint16_t packet[kParaWords])
{
    // Read into a scratch packet one word longer than a parameter file, so
    // that a file with too few or too many numbers is told apart from a good one.
    uint16_t scratch[kParaWords + 1];
    const int n = FileToArray(path, scratch, VAL_UNSIGNED_SHORT_INTEGER, kParaWords + 1, 1, VAL_GROUPS_TOGETHER,
                              VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
    if (n != kParaWords)
        return false;
    std::copy_n(scratch, kParaWords, packet);
    return true;
}

bool LoadParameterFile(const char *path)
{
    uint16_t packet[kParaWords];
    if (!ReadParameterFile(path, packet))
        return false;
    std::copy_n(packet, kParaWords, com232::pp);
    CopyFileParatoVars();
    return true;
}
