// A program-wide variable whose name is also a C library function (poll,
// sync, ...) takes that function's place for every library in the process,
// which then calls into data and crashes. No built program may define one.
#include "simproc.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>

namespace {

// The lines a shell command prints, one name a line.
std::set<std::string> symbols(const std::string &command)
{
    std::string out;
    RunProgram("/bin/sh", {"-c", command}, {}, 60, &out);
    std::set<std::string> names;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        names.insert(line);
    return names;
}

TEST(Symbols, NoProgramVariableShadowsACLibraryFunction)
{
    const std::set<std::string> libc =
        symbols("nm -D --defined-only \"$(ldd " + BuiltProgram("veltsim") +
                " | awk '/libc.so/ {print $3}')\" | awk '$2 ~ /^[TW]$/ {sub(/@.*/, \"\", $3); print $3}'");
    ASSERT_GT(libc.size(), 500u) << "cannot list the C library's functions";
    for (const char *program : {"Veltv61", "VeltTempCompV61", "VeltCalibV61", "QuillonV20", "veltsim"}) {
        const std::set<std::string> data =
            symbols("nm " + BuiltProgram(program) + " | awk '$2 ~ /^[BDG]$/ {print $3}'");
        ASSERT_FALSE(data.empty()) << program;
        for (const auto &name : data)
            EXPECT_EQ(libc.count(name), 0u) << program << " defines a variable named " << name;
    }
}

} // namespace
