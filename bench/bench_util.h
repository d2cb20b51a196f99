// Small helpers shared by the benchmarks that run the built programs.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>

// Seconds on a monotonic clock.
inline double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Folder of the built programs: VELT_BIN_DIR, else the benchmark's own folder.
inline std::string BinDir(const char *argv0)
{
    if (const char *d = std::getenv("VELT_BIN_DIR"))
        return d;
    std::string self = argv0;
    const size_t slash = self.rfind('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}
