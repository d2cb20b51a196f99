// How the UI script reader takes a script's text apart: actions and their
// words, comments, line numbers, and the rest of a line that "set",
// "setcell" and "waitfor" take as their value.
#include "rt_scriptlines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using rt::ParseUiScriptText;
using rt::ScriptLineRest;

TEST(ScriptLines, ActionsWordsAndLineNumbers)
{
    const auto lines = ParseUiScriptText("# heading\n\nclick\rP GO\r\n  set P NAME two  words # note\nquit");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].line, 3);
    EXPECT_EQ(lines[0].args, (std::vector<std::string> {"click", "P", "GO"}));
    EXPECT_EQ(lines[1].line, 4);
    EXPECT_EQ(lines[1].text, "  set P NAME two  words");
    EXPECT_EQ(lines[2].line, 5);
    EXPECT_EQ(lines[2].args, (std::vector<std::string> {"quit"}));
}

// The value after a number of words keeps its inner blanks and starts at the
// next word, whatever blanks stand between the words (a carriage return or
// form feed inside a line is a blank there too, as when the words are split).
TEST(ScriptLines, RestOfLineStartsAtTheNextWord)
{
    struct Case {
        const char *line;
        int skip;
        const char *rest;
    } const cases[] = {
        {"set P NAME two  words", 3, "two  words"},
        {"set\tP\tNAME\t x", 3, "x"},
        {"set P NAME", 3, ""},
        {"set P", 3, ""},
        {"set\rP\fNAME\vvalue 1", 3, "value 1"},
        {"\r\rset P NAME v", 0, "set P NAME v"},
        {"setcell P T 1 2 a b", 5, "a b"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ScriptLineRest(c.line, c.skip), c.rest) << c.line;
}

// "waitfor PANEL CTRL == VALUE TIMEOUT": the value is everything between the
// operator and the time-out, its inner blanks kept.
TEST(ScriptLines, WaitforValueLiesBetweenOperatorAndTimeOut)
{
    struct Case {
        const char *line;
        int skip;
        const char *value;
    } const cases[] = {
        {"waitfor P C == 12 5", 4, "12"},
        {"waitfor P C ~= TIME OUT  5", 4, "TIME OUT"},
        {"waitfor P C dimmed == 1\t3", 5, "1"},
        {"waitfor P C == value\r5", 4, "value"},
        {"waitfor P C == 5", 4, ""},
        {"waitfor P C == 12 5\t", 4, "12"},
        {"waitfor P C == a b 5 \f", 4, "a b"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rt::ScriptLineValueBeforeLastWord(c.line, c.skip), c.value) << c.line;
}

// Numbers in actions are read whole; anything else is no number, never a
// partly read one or a value past the type's end.
TEST(ScriptLines, NumbersAreReadWholeAndWithinTheirRange)
{
    struct Case {
        const char *word;
        bool whole;   // a whole number within -5..300
        bool decimal; // a decimal number within -5..300
        double value;
    } const cases[] = {
        {"42", true, true, 42},     {"-5", true, true, -5},
        {"300", true, true, 300},   {"0.25", false, true, 0.25},
        {"2e2", false, true, 200},  {"301", false, false, 0},
        {"-6", false, false, 0},    {"99999999999999999999", false, false, 0},
        {"1e400", false, false, 0}, {"", false, false, 0},
        {"abc", false, false, 0},   {"12x", false, false, 0},
        {" 7", false, false, 0},    {"+7", false, false, 0},
        {"0x10", false, false, 0},  {"nan", false, false, 0},
        {"inf", false, false, 0},
    };
    for (const Case &c : cases) {
        long long w = -99;
        double d = -99;
        EXPECT_EQ(rt::ScriptWholeNumber(c.word, -5, 300, &w), c.whole) << c.word;
        EXPECT_EQ(rt::ScriptDecimalNumber(c.word, -5, 300, &d), c.decimal) << c.word;
        EXPECT_EQ(w, c.whole ? static_cast<long long>(c.value) : -99) << c.word;
        EXPECT_EQ(d, c.decimal ? c.value : -99) << c.word;
    }
}
