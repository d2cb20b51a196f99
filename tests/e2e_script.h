// UI scripts of the end-to-end tests written one action a line in a raw
// string, with %D standing for the case's directory.
#pragma once

#include <string>

inline std::string WithDir(std::string script, const std::string &dir)
{
    for (size_t p = 0; (p = script.find("%D", p)) != std::string::npos; p += dir.size())
        script.replace(p, 2, dir);
    return script;
}
