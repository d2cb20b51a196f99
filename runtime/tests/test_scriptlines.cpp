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
    const auto lines = ParseUiScriptText("# heading\n\nclick P GO\r\n  set P NAME two  words # note\nquit");
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

TEST(ScriptLines, CarriageReturnsBetweenWordsAgreeWithTheWords)
{
    const auto lines = ParseUiScriptText("set\rP\rNAME\rhello there\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].args, (std::vector<std::string> {"set", "P", "NAME", "hello", "there"}));
    EXPECT_EQ(ScriptLineRest(lines[0].text, 3), "hello there");
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
