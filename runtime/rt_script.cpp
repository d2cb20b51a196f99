// UI scripts: actions that run inside the program's event processing.
#include "rt_internal.h"

#include <cstdio>

namespace rt {

int startUiScript(const std::string &path)
{
    std::fprintf(stderr, "ui script %s: not supported in this build\n", path.c_str());
    return -1;
}

bool scriptActive()
{
    return false;
}

} // namespace rt
