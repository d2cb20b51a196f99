// The command line of the suite's programs: the options they share
// (--ui-script, --help, --version) and the texts printed for them. Each
// program describes itself in a ProgramInfo; the common parts of its help
// (environment, where files go, serial devices) are written here once.
// Plain C++ without Qt, so that the simulator and the tests use it too.
#pragma once

#include <cstddef>
#include <string>

// One file a program keeps: its name (or pattern) and what it holds.
struct ProgramFile {
    const char *name;
    const char *what;
};

struct ProgramInfo {
    const char *name;         // name of the executable
    const char *summary;      // one line: what the program is for
    const char *description;  // paragraphs separated by blank lines; wrapped when printed
    const ProgramFile *files; // the files the program keeps, ended by {nullptr, nullptr}
    bool brandBitmaps;        // whether it shows the brand bitmaps beside its executable
};

// What a command line asks for. On a bad command line, error holds a short
// message (without the program name) and nothing else is meaningful.
struct CommandLine {
    bool help = false;
    bool version = false;
    std::string uiScript; // --ui-script FILE or --ui-script=FILE; empty when not given
    std::string error;
};

CommandLine ParseCommandLine(int argc, const char *const *argv);

// Exit status of a bad command line.
constexpr int kUsageExitCode = 2;
// HandleCommandLine's answer when the program is to run.
constexpr int kCommandLineRun = -1;

// Answers --help and --version on stdout (returns 0) and a bad command line
// with a message and the usage on stderr (returns kUsageExitCode); returns
// kCommandLineRun when the program is to start. Needs no display.
int HandleCommandLine(const ProgramInfo &info, int argc, const char *const *argv);

std::string ProgramHelpText(const ProgramInfo &info);
std::string ProgramUsage(const char *name);
// "NAME (Veltra colour sensor suite) VERSION\n"
std::string ProgramVersionText(const char *name);
// The message and usage printed for a bad command line; usage is a line
// ending in '\n' (ProgramUsage(name) when not given).
std::string CommandLineErrorText(const char *name, const std::string &error);
std::string CommandLineErrorText(const char *name, const std::string &error, const std::string &usage);

// Fills text into lines of at most width columns, each line indented by
// indent blanks; paragraphs (separated by a blank line) stay apart. A word
// longer than a line stands on a line of its own.
std::string WrapText(const std::string &text, size_t indent, size_t width = 79);

// Help sections shared with the simulator's help (the serial devices text
// without its heading).
std::string SerialDevicesHelpText();
std::string PerUserDirectoryText();
