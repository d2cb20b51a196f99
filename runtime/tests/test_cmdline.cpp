// The programs' command line: what each form of argument asks for, and the
// shape of the help text that the manual pages are made from.
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

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
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
        std::string shown;
        for (const auto &a : c.args)
            shown += "[" + a + "]";
        const CommandLine cl = Parse(c.args);
        EXPECT_EQ(cl.help, c.help) << shown;
        EXPECT_EQ(cl.version, c.version) << shown;
        EXPECT_EQ(cl.error, c.error) << shown;
        if (c.error.empty()) {
            EXPECT_EQ(cl.uiScript, c.script) << shown;
        }
    }
}

TEST(CommandLine, NoArgumentsAtAll)
{
    // Some callers hand over argc 0 and no vector.
    const CommandLine cl = ParseCommandLine(0, nullptr);
    EXPECT_TRUE(cl.error.empty());
    EXPECT_FALSE(cl.help);
    EXPECT_TRUE(cl.uiScript.empty());
}

TEST(CommandLine, HandleAnswersWithTheExitStatus)
{
    static const ProgramFile files[] = {{nullptr, nullptr}};
    const ProgramInfo info = {"prog", "Summary.", "Text.", files, false};
    const char *run[] = {"prog", "--ui-script", "x", nullptr};
    const char *bad[] = {"prog", "--nope", nullptr};
    const char *version[] = {"prog", "--version", nullptr};
    EXPECT_EQ(HandleCommandLine(info, 3, run), kCommandLineRun);
    EXPECT_EQ(HandleCommandLine(info, 2, bad), kUsageExitCode);
    EXPECT_EQ(HandleCommandLine(info, 2, version), 0);
}

TEST(CommandLine, ErrorTextNamesTheProgramAndShowsTheUsage)
{
    EXPECT_EQ(CommandLineErrorText("Veltv61", "unknown option '--x'"), "Veltv61: unknown option '--x'\n"
                                                                       "Usage: Veltv61 [OPTION]...\n"
                                                                       "Try 'Veltv61 --help' for more information.\n");
}

TEST(WrapText, FillsLinesWithinTheWidthAndKeepsEveryWord)
{
    const std::string text = "one two three four five six seven eight nine ten eleven twelve thirteen\n\n"
                             "second paragraph here";
    const std::string out = WrapText(text, 4, 20);
    std::string words;
    for (const auto &line : Lines(out)) {
        EXPECT_LE(line.size(), 20u) << line;
        if (line.empty()) {
            words += "|";
            continue;
        }
        EXPECT_EQ(line.rfind("    ", 0), 0u) << line;
        EXPECT_NE(line[4], ' ') << line;
        words += line.substr(4) + " ";
    }
    EXPECT_EQ(words, "one two three four five six seven eight nine ten eleven twelve thirteen |second "
                     "paragraph here ");
}

TEST(WrapText, AWordLongerThanALineStandsAlone)
{
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
    const auto lines = Lines(help);
    ASSERT_GE(lines.size(), 3u);
    // The manual page takes its name line from the second line.
    EXPECT_EQ(lines[0], "Usage: Prog [OPTION]...");
    EXPECT_EQ(lines[1], "One line about the program.");
    EXPECT_EQ(lines[2], "");
    for (const auto &line : lines) {
        EXPECT_LE(line.size(), 79u) << line;
        EXPECT_EQ(line.find('\t'), std::string::npos) << line;
    }
    for (const char *needle : {"\nOptions:\n", "--ui-script=FILE", "--help", "--version", "\nEnvironment:\n",
                               "VELTRA_COM<n>", "VELTRA_UI_SCRIPT", "\nFiles:\n", "Prog.uir", "brand_NN.png",
                               "~/.local/share/veltra", "\nSerial devices:\n", "/dev/serial/by-id/", "dialout"})
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
    // A file name too long for the name column puts its text on the next line,
    // in the text column.
    EXPECT_NE(help.find("  IPComboBoxVeltv61.ipa\n                        the address history"), std::string::npos)
        << help;
    EXPECT_NE(help.find("  *.dat                 parameter files\n"), std::string::npos) << help;

    const ProgramInfo noBitmaps = {"Other", "Summary.", "Text.", files, false};
    EXPECT_EQ(ProgramHelpText(noBitmaps).find("brand_NN.png"), std::string::npos);
}

TEST(VersionText, NamesProgramSuiteAndVersion)
{
    const std::string v = ProgramVersionText("QuillonV20");
    EXPECT_EQ(v.rfind("QuillonV20 (Veltra colour sensor suite) ", 0), 0u) << v;
    EXPECT_EQ(v.back(), '\n');
    EXPECT_EQ(v.find('\n'), v.size() - 1) << "one line";
}

} // namespace
