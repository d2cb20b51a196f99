// The equation file: exact round trip of the 15 coefficients, its text
// layout, and the files that are refused without touching the coefficients.
#include "equation_file.h"

#include "rt_file.h"
#include "rt_ui.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class EquationFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitRuntime(0, nullptr); }
    void SetUp() override
    {
        char tmpl[] = "/tmp/equationtest.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string write(const std::string &name, const std::string &text) const
    {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string read(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string dir;
};

TEST_F(EquationFile, RoundTripIsExactAndRightAligned)
{
    const double values[kEquationValues] = {
        1.234e-9,
        -3.4567e-6,
        0.1,
        1.0 / 3.0,
        1000,
        -2.5e-8,
        6.02214076e-7,
        -0.30000000000000004,
        123456789.123,
        0,
        1e-300,
        -1e300,
        4.9406564584124654e-324,
        12,
        -7.25,
    };
    const std::string path = dir + "/equation.equ";
    ASSERT_EQ(WriteEquationFile(path.c_str(), values), 0);
    double back[kEquationValues] = {};
    ASSERT_EQ(ReadEquationFile(path.c_str(), back), EquationRead::Ok);
    for (int i = 0; i < kEquationValues; ++i)
        EXPECT_EQ(back[i], values[i]) << i; // bit for bit, not approximately

    // One value a line, right-aligned in 10 characters; wider values whole.
    const std::string text = read(path);
    EXPECT_EQ(text.substr(0, 25), " 1.234e-09\r\n-3.4567e-06\r\n");
    EXPECT_NE(text.find("\r\n       0.1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n      1000\r\n"), std::string::npos) << text;
}

TEST_F(EquationFile, BadFilesAreRefusedAndLeaveTheValues)
{
    std::string fifteen, sixteen;
    for (int i = 1; i <= 15; ++i)
        fifteen += std::to_string(i) + "\r\n";
    sixteen = fifteen + "16\r\n";
    std::string fourteen = fifteen.substr(0, fifteen.rfind("15\r\n"));
    const struct {
        std::string path;
        EquationRead result;
    } cases[] = {
        {dir + "/missing.equ", EquationRead::Unreadable},
        {dir, EquationRead::Unreadable}, // a directory
        {write("empty.equ", ""), EquationRead::WrongCount},
        {write("fourteen.equ", fourteen), EquationRead::WrongCount},
        {write("sixteen.equ", sixteen), EquationRead::WrongCount},
        {write("text.equ", fifteen + "abc\r\n"), EquationRead::NotNumber},
        {write("word.equ", "1\r\n2\r\nthree\r\n" + fifteen.substr(6)), EquationRead::NotNumber},
        {write("nan.equ", "nan\r\n" + fifteen.substr(3)), EquationRead::NotNumber},
        {write("inf.equ", "inf\r\n" + fifteen.substr(3)), EquationRead::NotNumber},
    };
    for (const auto &c : cases) {
        double values[kEquationValues];
        for (int i = 0; i < kEquationValues; ++i)
            values[i] = -1.5 * i;
        EXPECT_EQ(ReadEquationFile(c.path.c_str(), values), c.result) << c.path;
        for (int i = 0; i < kEquationValues; ++i)
            EXPECT_EQ(values[i], -1.5 * i) << c.path;
    }
    double values[kEquationValues] = {};
    EXPECT_EQ(ReadEquationFile(write("good.equ", fifteen).c_str(), values), EquationRead::Ok);
    EXPECT_EQ(values[14], 15);
}

TEST_F(EquationFile, FailedWriteIsReported)
{
    const double values[kEquationValues] = {1, 2, 3};
    const std::string file = write("plain.txt", "text");
    for (const std::string &path : {dir + "/no/such/dir/equation.equ", dir, file + "/equation.equ"})
        EXPECT_LT(WriteEquationFile(path.c_str(), values), 0) << path;
    EXPECT_EQ(read(file), "text");
}

} // namespace
