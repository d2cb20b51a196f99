// VeltTempCompV61's main panel without a sensor: equation files and the
// temperature index.
#include "e2e_script.h"
#include "e2e_tempcomp_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tempcompe2e;

namespace {

// The panel without a sensor: coefficients keep every digit through the
// equation file, bad files are refused with the coefficients unchanged, a
// failed write is reported, and the value displays follow the index.
TEST(TempCompPanel, EquationFilesAndTemperatureIndex)
{
    const std::string dir = MakeTempDir();
    // Fifteen values that need all their digits, in the file's own layout.
    const std::string precise =
        " 1.234e-09\r\n-3.4567e-06\r\n0.30000000000000004\r\n0.3333333333333333\r\n"
        "      1000\r\n    -2e-08\r\n6.02214076e-07\r\n -0.001234\r\n      1.25\r\n       500\r\n"
        "     1e-12\r\n         0\r\n      -0.1\r\n         2\r\n       900\r\n";
    WriteTextFile(dir + "/precise.equ", precise);
    WriteTextFile(dir + "/fourteen.equ", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n");
    // The kinds of refused files are the reader's unit test: one of them here.
    std::string out;
    ASSERT_EQ(RunTempComp(nullptr,
                          WithDir("set P EditRX4 1.234e-9\nset P EditGX3 -3.4567e-6\nprint P EditRX4\n"
                                  "file %D/typed.equ new\nclick P ButtonSaveEquation\n"
                                  "file %D/precise.equ existing\nclick P ButtonGetEquation\n"
                                  "file %D/fourteen.equ existing\nclick P ButtonGetEquation\n"
                                  "file %D/missing.equ existing\nclick P ButtonGetEquation\n"
                                  "file %D/again.equ new\nclick P ButtonSaveEquation\n"
                                  "file %D/no/such/dir/x.equ new\nclick P ButtonSaveEquation\n"
                                  "click P ButtonCalcCurves\nset P EditTemp 99\nprint P DispValG\nprint P DispValB\n"
                                  "set P EditTemp 0\nprint P DispValG\nprint P DispValB\nquit 0\n",
                                  dir),
                          &out, dir),
              0)
        << out;
    EXPECT_TRUE(Has(out, "P.EditRX4=1.234e-09\n")) << out;
    const std::string typed = ReadTextFile(dir + "/typed.equ");
    EXPECT_EQ(typed.substr(0, 24), " 1.234e-09\r\n         0\r\n") << typed;
    EXPECT_TRUE(Has(typed, "-3.4567e-06")) << typed;
    // Loaded and saved again: byte for byte the file that was loaded; the
    // refused files changed nothing in between.
    EXPECT_EQ(ReadTextFile(dir + "/again.equ"), precise);
    EXPECT_EQ(Count(out, "POPUP ATTENTION!|"), 3) << out;
    EXPECT_EQ(ReadTextFile(dir + "/no/such/dir/x.equ"), "");
    // The curves of the loaded coefficients at t = 99 (worked out by hand,
    // shown to two decimals) and at t = 0 (the constant terms).
    EXPECT_TRUE(Has(out, "P.DispValG=610.32\nP.DispValB=117.9\nP.DispValG=500\nP.DispValB=900\n")) << out;
}

} // namespace
