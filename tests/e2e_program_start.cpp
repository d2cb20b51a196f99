// Start-up failures of the programs (their running start from the package
// is run by the package tests): without its panel resource file, or with one
// that lacks a control the link needs, a program ends with -1 before showing
// anything; a UI script with a bad number ends with status 2.
#include "e2e.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

int Start(const std::string &exe, const std::string &dir, std::string *out)
{
    return RunProgram(exe, {"--ui-script", WriteTextFile(dir + "/s.txt", "quit 0\n")},
                      {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=/nonexistent/tty"}, 30, out);
}

TEST(ProgramStart, AMissingOrIncompleteResourceFileEndsWithMinusOne)
{
    for (const std::string prog : {"Veltv61", "VeltTempCompV61", "VeltCalibV61", "QuillonV20"}) {
        SCOPED_TRACE(prog);
        const std::string dir = MakeTempDir();
        const std::string exe = InstallCopy(prog, dir), uir = dir + "/" + prog + ".uir";
        std::string text = ReadTextFile(uir), out;
        ASSERT_TRUE(std::filesystem::remove(uir));
        EXPECT_EQ(Start(exe, dir, &out), -1) << out;
        EXPECT_FALSE(Has(out, "POPUP")) << out;
        if (prog == "QuillonV20")
            continue;
        const std::string from = "name=\"ButtonDiscard\"";
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        WriteTextFile(uir, text.replace(at, from.size(), "name=\"ButtonDiscardd\""));
        EXPECT_EQ(Start(exe, dir, &out), -1) << out;
        EXPECT_TRUE(Has(out, "ButtonDiscard of panel INTERFACEP")) << out;
        EXPECT_FALSE(Has(out, "POPUP")) << out;
    }
}

// A word where an action takes a number that is no number, or one out of
// range, ends the script at that line with status 2, as any script error.
TEST(UiScriptNumbers, ABadNumberEndsTheScriptWithItsLine)
{
    const char *const bad[] = {
        "wait soon",
        "wait 1e400",
        "waitfor P EditAverage == 1 -1",
        "waitfile /nonexistent nan",
        "set P EditAverage 12abc",
        "setcell P ColorTeachTable 1 99999999999 5",
        "printcell P ColorTeachTable x 1",
        "quit 256",
    };
    for (const char *line : bad) {
        std::string out;
        EXPECT_EQ(RunScriptIn("Veltv61", MakeTempDir(), nullptr,
                              std::string("print P EditAverage\n") + line + "\nquit 0\n", &out, 30),
                  2)
            << line << "\n"
            << out;
        EXPECT_TRUE(Has(out, "ui script line 2: ")) << line << "\n" << out;
    }
}

} // namespace
