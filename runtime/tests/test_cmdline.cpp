// The programs' command line: what each form of argument asks for, and the
// shape of the help text that the manual pages are made from. What each
// executable answers (status, streams, the error text) is run end to end.
#include "cmdline.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

CommandLine Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "prog");
    std::vector<const char *> argv;
    for (const auto &a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

struct ParseCase {
    std::vector<std::string> args;
    bool help;
    bool version;
    std::string script;
    std::string error; // expected message, "" for none
};

TEST(CommandLine, EachFormOfArgument)
{
    const ParseCase cases[] = {
        {{}, false, false, "", ""},
        {{"--ui-script", "s.txt"}, false, false, "s.txt", ""},
        {{"--ui-script=dir/s t.txt"}, false, false, "dir/s t.txt", ""},
        {{"--ui-script", "a", "--ui-script", "b"}, false, false, "b", ""},
        {{"--help"}, true, false, "", ""},
        {{"-h"}, true, false, "", ""},
        {{"--version"}, false, true, "", ""},
        // --help ends the parsing: what follows it is not looked at.
        {{"--help", "--bogus"}, true, false, "", ""},
        {{"--bogus", "--help"}, false, false, "", "unknown option '--bogus'"},
        {{"-x"}, false, false, "", "unknown option '-x'"},
        {{"--ui-scripts=a"}, false, false, "", "unknown option '--ui-scripts=a'"},
        {{"--ui-script"}, false, false, "", "option '--ui-script' needs a file name"},
        {{"--ui-script", ""}, false, false, "", "option '--ui-script' needs a file name"},
        {{"--ui-script="}, false, false, "", "option '--ui-script' needs a file name"},
        {{"file.dat"}, false, false, "", "unexpected argument 'file.dat'"},
        {{"-"}, false, false, "", "unexpected argument '-'"},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine cl = Parse(c.args);
        EXPECT_EQ(cl.help, c.help);
        EXPECT_EQ(cl.version, c.version);
        EXPECT_EQ(cl.error, c.error);
        EXPECT_TRUE(!c.error.empty() || cl.uiScript == c.script) << cl.uiScript;
    }
    // Some callers hand over argc 0 and no vector.
    const CommandLine none = ParseCommandLine(0, nullptr);
    EXPECT_TRUE(none.error.empty() && !none.help && none.uiScript.empty());
}

// Paragraphs are filled within the width and indented; a word longer than a
// line stands alone on one.
TEST(WrapText, FillsIndentedLinesAndKeepsLongWordsWhole)
{
    EXPECT_EQ(WrapText("one two three four five\n\nsix", 2, 12), "  one two\n  three four\n  five\n\n  six\n");
    EXPECT_EQ(WrapText("a /dev/serial/by-id/usb-something-very-long b", 2, 12),
              "  a\n  /dev/serial/by-id/usb-something-very-long\n  b\n");
    EXPECT_EQ(WrapText("", 2), "");
}

TEST(HelpText, HasTheSectionsAndFitsATerminal)
{
    static const ProgramFile files[] = {
        {"IPComboBoxVeltv61.ipa", "the address history, a description long enough to need a second line"},
        {"*.dat", "parameter files"},
        {nullptr, nullptr},
    };
    const ProgramInfo info = {"Prog", "One line about the program.", "First paragraph.\n\nSecond one.", files, true};
    const std::string help = ProgramHelpText(info);
    // The manual page takes its name line from the second line.
    EXPECT_EQ(help.rfind("Usage: Prog [OPTION]...\nOne line about the program.\n\n", 0), 0u) << help;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        EXPECT_LE(line.size(), 79u) << line;
        EXPECT_EQ(line.find('\t'), std::string::npos) << line;
    }
    // (The sections every executable's help shares are looked for end to end.)
    for (const char *needle : {"\nOptions:\n", "--ui-script=FILE", "brand_NN.png", "\nSerial devices:\n"})
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
    // A file name too long for the name column puts its text on the next line,
    // in the text column.
    EXPECT_NE(help.find("  IPComboBoxVeltv61.ipa\n                        the address history"), std::string::npos)
        << help;
    EXPECT_NE(help.find("  *.dat                 parameter files\n"), std::string::npos) << help;

    const ProgramInfo noBitmaps = {"Other", "Summary.", "Text.", files, false};
    EXPECT_EQ(ProgramHelpText(noBitmaps).find("brand_NN.png"), std::string::npos);
}

} // namespace
