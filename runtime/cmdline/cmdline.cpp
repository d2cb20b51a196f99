#include "cmdline.h"

#include <cstdio>
#include <cstring>

#ifndef VELT_VERSION
#error "VELT_VERSION must be defined by the build"
#endif

CommandLine ParseCommandLine(int argc, const char *const *argv)
{
    CommandLine cl;
    static constexpr const char kScriptOption[] = "--ui-script";
    for (int i = 1; i < argc && argv && argv[i]; ++i) {
        const std::string a = argv[i];
        // --help and --version end the parsing, as the program does nothing else.
        if (a == "--help" || a == "-h") {
            cl.help = true;
            return cl;
        }
        if (a == "--version") {
            cl.version = true;
            return cl;
        }
        if (a == kScriptOption) {
            if (i + 1 >= argc || !argv[i + 1] || !*argv[i + 1]) {
                cl.error = "option '--ui-script' needs a file name";
                return cl;
            }
            cl.uiScript = argv[++i];
            continue;
        }
        if (a.rfind(std::string(kScriptOption) + "=", 0) == 0) {
            cl.uiScript = a.substr(std::strlen(kScriptOption) + 1);
            if (cl.uiScript.empty()) {
                cl.error = "option '--ui-script' needs a file name";
                return cl;
            }
            continue;
        }
        if (a.size() > 1 && a[0] == '-') {
            cl.error = "unknown option '" + a + "'";
            return cl;
        }
        cl.error = "unexpected argument '" + a + "'";
        return cl;
    }
    return cl;
}

std::string ProgramUsage(const char *name) { return std::string("Usage: ") + name + " [OPTION]...\n"; }

std::string ProgramVersionText(const char *name)
{
    return std::string(name) + " (Veltra colour sensor suite) " VELT_VERSION "\n";
}

std::string CommandLineErrorText(const char *name, const std::string &error, const std::string &usage)
{
    return std::string(name) + ": " + error + "\n" + usage + "Try '" + name + " --help' for more information.\n";
}

std::string CommandLineErrorText(const char *name, const std::string &error)
{
    return CommandLineErrorText(name, error, ProgramUsage(name));
}

std::string WrapText(const std::string &text, size_t indent, size_t width)
{
    const std::string pad(indent, ' ');
    std::string out;
    std::string line;
    auto endLine = [&] {
        if (!line.empty())
            out += pad + line + "\n";
        line.clear();
    };
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 2, "\n\n") == 0) {
            endLine();
            out += "\n";
            i = text.find_first_not_of('\n', i);
            if (i == std::string::npos)
                break;
            continue;
        }
        if (text[i] == ' ' || text[i] == '\n') {
            ++i;
            continue;
        }
        const size_t wordEnd = text.find_first_of(" \n", i);
        const std::string word = text.substr(i, wordEnd == std::string::npos ? std::string::npos : wordEnd - i);
        i = wordEnd == std::string::npos ? text.size() : wordEnd;
        if (!line.empty() && indent + line.size() + 1 + word.size() > width)
            endLine();
        line += line.empty() ? word : " " + word;
    }
    endLine();
    return out;
}

std::string PerUserDirectoryText()
{
    return "$XDG_DATA_HOME/veltra (~/.local/share/veltra when XDG_DATA_HOME is unset)";
}

std::string SerialDevicesHelpText()
{
    return WrapText(
               "A COM port number n stands for the device named by VELTRA_COM<n> when that variable is "
               "set, otherwise for /dev/ttyUSB<n-1> if it exists, else for /dev/ttyACM<n-1> if it exists, "
               "else for /dev/ttyS<n-1>. The number of a USB serial adapter's /dev/ttyUSB device can change when it "
               "is plugged in again; its name under /dev/serial/by-id/ stays the same. "
               "'ls -l /dev/serial/by-id/' lists those names with the devices they point to; give one "
               "for the COM number, e.g.",
               2) +
           "    VELTRA_COM1=/dev/serial/by-id/usb-MAKER_MODEL_SERIAL-if00-port0\n" +
           WrapText("Serial devices belong to the group dialout: a user outside it is refused. "
                    "'sudo usermod -aG dialout $USER' adds the user; log in again afterwards.",
                    2);
}

namespace {

// "  NAME  what", the text in a column of its own, as the options are listed.
std::string ListEntry(const std::string &name, const std::string &what)
{
    constexpr size_t kColumn = 24;
    std::string head = "  " + name;
    head += head.size() + 2 <= kColumn ? std::string(kColumn - head.size(), ' ') : "\n" + std::string(kColumn, ' ');
    std::string body = WrapText(what, kColumn);
    return head + body.substr(kColumn);
}

} // namespace

std::string ProgramHelpText(const ProgramInfo &info)
{
    const std::string name = info.name;
    std::string t = ProgramUsage(info.name);
    t += std::string(info.summary) + "\n\n";
    t += WrapText(info.description, 0);
    // Before the options, so that the manual page keeps it with the description.
    t += "\nSerial devices:\n" + SerialDevicesHelpText();
    t += "\nOptions:\n";
    t += ListEntry("    --ui-script=FILE",
                   "run the actions of the UI script FILE inside the program as a user's (for tests and "
                   "demonstrations)");
    t += ListEntry("-h, --help", "display this help and exit");
    t += ListEntry("    --version", "output version information and exit");
    t += "\nEnvironment:\n";
    t += ListEntry("VELTRA_COM<n>", "the serial device that COM port number n stands for, e.g. "
                                    "VELTRA_COM1=/dev/ttyUSB0 (see Serial devices above)");
    t += ListEntry("VELTRA_UI_SCRIPT", "the UI script to run when --ui-script is not given");
    t += ListEntry("XDG_DATA_HOME", "base of the per-user directory (default ~/.local/share)");
    t += "\nFiles:\n";
    t += WrapText(name + " reads its panel resource file " + name + ".uir" +
                      (info.brandBitmaps ? " and the brand bitmaps brand_NN.png" : "") +
                      " from the directory of its executable. It keeps its own files in that directory "
                      "when the user may write there, otherwise in the per-user directory " +
                      PerUserDirectoryText() + ", created on first use. File dialogs start there.",
                  2);
    for (const ProgramFile *f = info.files; f && f->name; ++f)
        t += ListEntry(f->name, f->what);
    return t;
}

int HandleCommandLine(const ProgramInfo &info, int argc, const char *const *argv)
{
    const CommandLine cl = ParseCommandLine(argc, argv);
    if (!cl.error.empty()) {
        std::fputs(CommandLineErrorText(info.name, cl.error).c_str(), stderr);
        return kUsageExitCode;
    }
    if (cl.help || cl.version) {
        const std::string text = cl.help ? ProgramHelpText(info) : ProgramVersionText(info.name);
        // A closed or full standard output is a failure the caller should see.
        if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
            return 1;
        return 0;
    }
    return kCommandLineRun;
}
