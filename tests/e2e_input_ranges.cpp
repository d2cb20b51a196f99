// A number entered into a control or table cell that goes into a 16-bit
// telegram word is taken only within the input's range; anything else leaves
// the previous value, and the sensor receives what the panel shows.
#include "e2e.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E RANGES V6.1";

struct Input {
    const char *control; // PANEL CTRL, or PANEL TABLE COL ROW for a cell
    int good;            // the highest value it takes
};

// The highest value the input takes, then what it refuses: beyond that
// value, beyond 16 bits, not whole, below 0 (last, so that a wrapped -5
// would be what is sent).
std::vector<std::string> Entries(const Input &in)
{
    return {std::to_string(in.good), std::to_string(in.good + 1), "70000", "65536", "1.5", "-5"};
}

bool IsCell(const Input &in) { return std::count(in.control, in.control + std::strlen(in.control), ' ') == 3; }

// Makes every entry, printing the input after each.
std::string Enter(const std::vector<Input> &inputs)
{
    std::string s;
    for (const Input &in : inputs)
        for (const std::string &v : Entries(in))
            s += (IsCell(in) ? "setcell " : "set ") + std::string(in.control) + " " + v + "\n" +
                 (IsCell(in) ? "printcell " : "print ") + in.control + "\n";
    return s;
}

// Every print of the input shows its highest value.
void ExpectKept(const std::vector<Input> &inputs, const std::string &out)
{
    for (const Input &in : inputs) {
        std::string shown = in.control; // "P EditHold" -> "P.EditHold", "P T 2 1" -> "P.T[2,1]"
        shown[shown.find(' ')] = '.';
        if (IsCell(in))
            shown = shown.replace(shown.find(' '), 1, "[").replace(shown.find(' '), 1, ",") + "]";
        EXPECT_EQ(Count(out, shown + "=" + std::to_string(in.good) + "\n"), static_cast<int>(Entries(in).size()))
            << in.control << "\n"
            << out;
    }
}

unsigned Word(const std::string &hex, int w)
{
    return std::stoul(hex.substr(4 * static_cast<size_t>(w), 4), nullptr, 16);
}

TEST(InputRanges, Veltv61TakesOnlyWhatFitsAndSendsWhatItShows)
{
    const std::vector<Input> para = {
        {"P SlidePower", 1000}, {"P EditAverage", 32768}, {"P EditIntlim", 4095},
        {"P EditHold", 65535},  {"P EditMaxcolNo", 31},
    };
    const std::vector<Input> table = {{"P ColorTeachTable 1 1", 65535}, {"PGROUP EditGridGroups 1 1", 30}};
    const std::vector<Input> teach = {
        {"TEACHP EditTpValueCto", 65535}, {"TEACHP EditTpValueIto", 65535}, {"TEACHP GridTpValues 4 1", 65535}};
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    std::string out;
    ASSERT_EQ(RunScriptIn("Veltv61", MakeTempDir(), &sim,
                          "waitfor P DispStatus == " + kVersion + " 10\nwaitfor P ButtonSend dimmed == 0 10\n" +
                              Enter(para) + "set P ParaVisible 0\nclick P ButtonColorGroups\n" + Enter(table) +
                              "click P SelectRAM\nclick P ButtonSend\nwaitfor P ButtonSend dimmed == 0 10\n"
                              "click P ButtonTeachMeanVal\n" +
                              Enter(teach) + "quit 0\n",
                          &out),
              0)
        << out;
    for (const auto *inputs : {&para, &table, &teach})
        ExpectKept(*inputs, out);
    const std::vector<std::string> paras = sim.telegrams("rx", 1), rows = sim.telegrams("rx", 2);
    ASSERT_EQ(paras.size(), 1u);
    ASSERT_FALSE(rows.empty());
    // power, average, intlim, hold, maxcolno; row 0: X and group.
    EXPECT_EQ(Word(paras[0], 2), 1000u);
    EXPECT_EQ(Word(paras[0], 4), 32768u);
    EXPECT_EQ(Word(paras[0], 7), 4095u);
    EXPECT_EQ(Word(paras[0], 6), 65535u);
    EXPECT_EQ(Word(paras[0], 8), 31u);
    EXPECT_EQ(Word(rows[0], 2), 0u);
    EXPECT_EQ(Word(rows[0], 3), 65535u);
    EXPECT_EQ(Word(rows[0], 8), 30u);
}

TEST(InputRanges, TheSidePrograms)
{
    struct Program {
        const char *name;
        std::vector<Input> inputs;
    } const programs[] = {
        {"VeltCalibV61",
         {{"P EditPower", 1000}, {"P EditCFR", 65535}, {"P EditSetValue", 65535}, {"P EditMaxDelta", 65535}}},
        {"VeltTempCompV61", {{"P EditRefR", 65535}}},
    };
    for (const Program &p : programs) {
        std::string out;
        ASSERT_EQ(RunScriptIn(p.name, MakeTempDir(), nullptr, Enter(p.inputs) + "quit 0\n", &out), 0) << out;
        ExpectKept(p.inputs, out);
    }
}

} // namespace
