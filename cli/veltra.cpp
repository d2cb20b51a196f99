// veltra: the suite's sensor jobs from a command line. The table of
// subcommands, the command-line parser, the help texts and the bash
// completion made from the table.
#include "veltra.h"

#include "cmdline.h"
#include "rt_core.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *kName = "veltra";

// The table lives in a function so that it exists before the first
// registration, whatever order the files' initialisers run in.
std::vector<CliCommand> &table()
{
    static std::vector<CliCommand> commands;
    return commands;
}

struct GlobalOption {
    const char *name;
    const char *shortName;
    const char *arg;
    const char *help;
};

const GlobalOption kGlobalOptions[] = {
    {"--link", nullptr, "LINK",
     "the line to the sensor: COM<n>, a device path or tcp:HOST:PORT (default: $VELTRA_LINK, else COM1)"},
    {"--json", nullptr, nullptr, "print every result as one JSON object a line"},
    {"--quiet", "-q", nullptr, "no progress on standard error"},
    {"--help", "-h", nullptr, "show this help (with a command: the command's help) and exit"},
    {"--version", nullptr, nullptr, "show the version and exit"},
};

const GlobalOption *globalOption(const std::string &name)
{
    for (const GlobalOption &o : kGlobalOptions)
        if (name == o.name || (o.shortName && name == o.shortName))
            return &o;
    return nullptr;
}

const CliOption *commandOption(const CliCommand &c, const std::string &name)
{
    for (const CliOption *o = c.options; o && o->name; ++o)
        if (name == o->name)
            return o;
    return nullptr;
}

// Whether any command's option of this name takes a value: an option given
// before the command's name is looked up in all of them.
bool anyOptionTakesValue(const std::string &name, bool *known)
{
    *known = false;
    for (const CliCommand &c : table())
        if (const CliOption *o = commandOption(c, name)) {
            *known = true;
            if (o->arg)
                return true;
        }
    return false;
}

// The command named by the first one or two operands; `words` says how many it took.
const CliCommand *findCommand(const std::vector<std::string> &operands, int *words)
{
    *words = 0;
    if (operands.empty())
        return nullptr;
    for (const CliCommand &c : table()) {
        const std::string name = c.name;
        const size_t blank = name.find(' ');
        if (blank == std::string::npos && name == operands[0]) {
            *words = 1;
            return &c;
        }
        if (blank != std::string::npos && operands.size() > 1 && name == operands[0] + " " + operands[1]) {
            *words = 2;
            return &c;
        }
    }
    return nullptr;
}

// The second words of the two-word commands that start with `first`.
std::vector<std::string> verbsOf(const std::string &first)
{
    std::vector<std::string> verbs;
    for (const CliCommand *c : CliCommands()) {
        const std::string name = c->name;
        if (name.rfind(first + " ", 0) == 0)
            verbs.push_back(name.substr(first.size() + 1));
    }
    return verbs;
}

std::string usageLine() { return std::string("Usage: ") + kName + " [OPTION]... COMMAND [ARG]...\n"; }

int usageError(const std::string &text)
{
    std::fputs(CommandLineErrorText(kName, text, usageLine()).c_str(), stderr);
    return kExitUsage;
}

// Help and version on standard output; a closed or full output is a failure.
int printAndExit(const std::string &text)
{
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
        return kExitLineFailed;
    return kExitOk;
}

std::string optionLine(const std::string &left, const char *help)
{
    std::string line = "  " + left;
    if (line.size() < 24)
        line.resize(24, ' ');
    else
        line += "\n" + std::string(24, ' ');
    return line + WrapText(help, 24).substr(24);
}

} // namespace

bool RegisterCliCommand(const CliCommand &command)
{
    table().push_back(command);
    return true;
}

std::vector<const CliCommand *> CliCommands()
{
    std::vector<const CliCommand *> list;
    for (const CliCommand &c : table())
        list.push_back(&c);
    std::stable_sort(list.begin(), list.end(), [](const CliCommand *a, const CliCommand *b) {
        return a->rank != b->rank ? a->rank < b->rank : std::strcmp(a->name, b->name) < 0;
    });
    return list;
}

bool CliHas(const CliContext &ctx, const char *name) { return ctx.options.count(name) != 0; }

std::string CliValue(const CliContext &ctx, const char *name, const std::string &fallback)
{
    const auto it = ctx.options.find(name);
    return it == ctx.options.end() ? fallback : it->second;
}

int ParseCliCommandLine(int argc, const char *const *argv, CliContext &ctx)
{
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> given; // command options, before the command is known
    std::vector<std::string> givenWithValue;
    bool help = false, version = false, linkGiven = false, endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (endOfOptions || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
            continue;
        }
        if (a == "--") {
            endOfOptions = true;
            continue;
        }
        std::string name = a, value;
        const size_t eq = a.find('=');
        const bool inlineValue = a.rfind("--", 0) == 0 && eq != std::string::npos;
        if (inlineValue) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        bool known = false;
        bool takesValue = false;
        const GlobalOption *g = globalOption(name);
        if (g) {
            known = true;
            takesValue = g->arg != nullptr;
        } else {
            takesValue = anyOptionTakesValue(name, &known);
        }
        if (!known)
            return usageError("unknown option '" + a + "'");
        if (inlineValue && !takesValue)
            return usageError("option '" + name + "' doesn't allow an argument");
        if (takesValue && !inlineValue) {
            if (i + 1 >= argc)
                return usageError("option '" + name + "' requires an argument");
            value = argv[++i];
        }
        if (!g) {
            given.emplace_back(name, value);
            continue;
        }
        const std::string n = g->name;
        if (n == "--link") {
            ctx.link = value;
            linkGiven = true;
        } else if (n == "--json") {
            ctx.json = true;
        } else if (n == "--quiet") {
            ctx.quiet = true;
        } else if (n == "--help") {
            help = true;
        } else if (n == "--version") {
            version = true;
        }
    }
    if (!linkGiven) {
        const char *env = std::getenv("VELTRA_LINK");
        ctx.link = env && *env ? env : "COM1";
    }
    if (version && !help)
        return printAndExit(ProgramVersionText(kName));
    // `veltra help [COMMAND]` is --help in other words.
    bool helpWord = false;
    if (!operands.empty() && operands[0] == "help") {
        help = helpWord = true;
        operands.erase(operands.begin());
    }
    int words = 0;
    ctx.command = findCommand(operands, &words);
    if (helpWord && !operands.empty() && !ctx.command && verbsOf(operands[0]).empty())
        return usageError("unknown command '" + operands[0] + "'");
    if (help && !ctx.command && !operands.empty() && !verbsOf(operands[0]).empty()) {
        // `veltra params --help`: the help of each of its verbs.
        std::string text;
        for (const std::string &verb : verbsOf(operands[0])) {
            int w = 0;
            text += (text.empty() ? "" : "\n") + CliCommandHelpText(*findCommand({operands[0], verb}, &w));
        }
        return printAndExit(text);
    }
    if (help)
        return printAndExit(ctx.command ? CliCommandHelpText(*ctx.command) : CliHelpText());
    if (operands.empty())
        return usageError("no command given");
    if (!ctx.command) {
        const std::vector<std::string> verbs = verbsOf(operands[0]);
        if (!verbs.empty()) {
            std::string list;
            for (const std::string &v : verbs)
                list += (list.empty() ? "" : ", ") + v;
            return usageError("'" + operands[0] + "' needs one of: " + list);
        }
        return usageError("unknown command '" + operands[0] + "'");
    }
    for (const auto &[name, value] : given) {
        if (!commandOption(*ctx.command, name))
            return usageError("option '" + name + "' is not one of '" + ctx.command->name + "'");
        ctx.options[name] = value;
    }
    ctx.args.assign(operands.begin() + words, operands.end());
    const int n = static_cast<int>(ctx.args.size());
    if (n < ctx.command->minArgs)
        return usageError(std::string(ctx.command->name) + ": missing operand (usage: " + kName + " " +
                          ctx.command->name + " " + ctx.command->usage + ")");
    if (n > ctx.command->maxArgs)
        return usageError(std::string(ctx.command->name) + ": extra operand '" + ctx.args[ctx.command->maxArgs] + "'");
    return -1;
}

std::string CliHelpText()
{
    std::string text = usageLine();
    text += "Command-line tool of the Veltra colour sensor suite: the sensor's jobs without a display.\n\n";
    text += WrapText("veltra lists the serial ports, identifies the sensor, reads and writes its parameter set, logs "
                     "its measurements, backs up and restores its "
                     "EEPROM, updates its firmware and uploads a temperature compensation. The same sequences as the "
                     "suite's programs, over an RS232 line or TCP/IP. Options may stand before or after the "
                     "command.",
                     0);
    text += "\nCommands:\n";
    for (const CliCommand *c : CliCommands())
        text += optionLine(c->name, c->summary);
    text += "\nOptions:\n";
    for (const GlobalOption &o : kGlobalOptions) {
        std::string left = o.shortName ? std::string(o.shortName) + ", " + o.name : std::string("    ") + o.name;
        if (o.arg)
            left += std::string(" ") + o.arg;
        text += optionLine(left, o.help);
    }
    text += "\n'veltra COMMAND --help' shows a command's own options.\n";
    text += "\nLink:\n";
    text += WrapText("COM<n> is the serial port the suite's rule gives the number n (see Serial devices); a "
                     "device path names the device itself (/dev/ttyUSB0, a /dev/serial/by-id/... link, a "
                     "pseudo-terminal); tcp:HOST:PORT a TCP/IP connection. Every command but flash works over "
                     "either kind of line; flash needs a serial line.",
                     2);
    text += "\nOutput:\n";
    text += WrapText("Results go to standard output, progress of long jobs to standard error (on a terminal a "
                     "bar with the blocks or bytes done, the rate and the time left; otherwise a line every "
                     "few seconds). With --json every result is one JSON object a line whose field "
                     "\"command\" names the command; a failure is the object {\"command\", \"error\", "
                     "\"exit\"}.",
                     2);
    text += "\nExit status:\n";
    text += "  0    success\n"
            "  1    the sensor or the line failed (time-out, wrong echo, boot firmware error)\n"
            "  2    usage: a bad command line, or a link the command cannot use\n"
            "  3    a file refused or not writable\n"
            "  4    verify found a difference\n"
            "  130  interrupted by Ctrl-C (between two telegrams; no partial file is left)\n";
    text += "\nEnvironment:\n";
    text += optionLine("VELTRA_LINK", "the link when --link is not given");
    text += optionLine("VELTRA_COM<n>", "the device that COM<n> stands for");
    text += "\nFiles:\n";
    text += WrapText("veltra reads and writes the files its commands name and keeps none of its own, except "
                     "the EEPROM backups that a firmware update makes first: in " +
                         PerUserDirectoryText() +
                         "/backups, named <identification>-<UTC time>.dat. An output file is written only "
                         "when complete; nothing is left of it after a failure or Ctrl-C.",
                     2);
    text += "\nSerial devices:\n";
    text += SerialDevicesHelpText();
    text += "\nExamples:\n"
            "  veltra ports\n"
            "  veltra identify --link /dev/ttyUSB0\n"
            "  veltra --json --link tcp:192.168.0.20:5000 identify\n";
    return text;
}

std::string CliCommandHelpText(const CliCommand &c)
{
    std::string text =
        std::string("Usage: ") + kName + " [OPTION]... " + c.name + (*c.usage ? " " : "") + c.usage + "\n";
    text += WrapText(c.summary, 0);
    if (c.description)
        text += "\n" + WrapText(c.description, 0);
    if (c.options && c.options->name) {
        text += "\nOptions of " + std::string(c.name) + ":\n";
        for (const CliOption *o = c.options; o->name; ++o)
            text += optionLine(std::string(o->name) + (o->arg ? std::string(" ") + o->arg : ""), o->help);
    }
    text += "\nThe options of every command (--link, --json, --quiet) are listed by 'veltra --help'.\n";
    return text;
}

std::string CliBashCompletion()
{
    std::string globals, firsts, cases, verbCases;
    std::string valued = "--link"; // the options that take a value, as a case pattern
    std::string valueCases =
        "        --link) COMPREPLY=($(compgen -W \"COM1 COM2 COM3 COM4 tcp:\" -- \"$cur\") $(compgen -f -- \"$cur\"))"
        "; return ;;\n";
    std::vector<std::string> seenFirsts, seenValued;
    for (const GlobalOption &o : kGlobalOptions)
        globals += std::string(globals.empty() ? "" : " ") + o.name;
    for (const CliCommand *c : CliCommands()) {
        const std::string name = c->name;
        const std::string first = name.substr(0, name.find(' '));
        if (std::find(seenFirsts.begin(), seenFirsts.end(), first) == seenFirsts.end()) {
            seenFirsts.push_back(first);
            firsts += " " + first;
            std::string verbs;
            for (const std::string &v : verbsOf(first))
                verbs += (verbs.empty() ? "" : " ") + v;
            if (!verbs.empty())
                verbCases += "        " + first + ") echo \"" + verbs + "\" ;;\n";
        }
        std::string opts;
        for (const CliOption *o = c->options; o && o->name; ++o) {
            opts += std::string(" ") + o->name;
            if (!o->arg || std::find(seenValued.begin(), seenValued.end(), o->name) != seenValued.end())
                continue;
            seenValued.push_back(o->name);
            valued += std::string("|") + o->name;
            // A value given as choices ("csv|jsonl") is completed from them.
            std::string choices = o->arg;
            std::replace(choices.begin(), choices.end(), '|', ' ');
            valueCases += std::string("        ") + o->name + ") " +
                          (choices != o->arg ? "COMPREPLY=($(compgen -W \"" + choices + "\" -- \"$cur\")); " : "") +
                          "return ;;\n";
        }
        if (!opts.empty())
            cases += "        \"" + name + "\") opts=\"$opts" + opts + "\" ;;\n";
    }
    return "# bash completion for veltra (made from its command table)\n"
           "_veltra_verbs()\n"
           "{\n"
           "    case \"$1\" in\n" +
           verbCases +
           "    esac\n"
           "}\n"
           "_veltra()\n"
           "{\n"
           "    local cur prev cmd=\"\" verbs=\"\" i w opts=\"" +
           globals +
           "\"\n"
           "    cur=\"${COMP_WORDS[COMP_CWORD]}\"\n"
           "    prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
           "    case \"$prev\" in\n" +
           valueCases +
           "    esac\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        w=\"${COMP_WORDS[i]}\"\n"
           "        case \"$w\" in\n"
           "            " +
           valued +
           ") ((i++)) ;;\n"
           "            -*) ;;\n"
           "            *)\n"
           "                if [[ -z $cmd ]]; then\n"
           "                    cmd=\"$w\"\n"
           "                    verbs=\"$(_veltra_verbs \"$w\")\"\n"
           "                elif [[ -n $verbs && $cmd != *\" \"* ]]; then\n"
           "                    cmd=\"$cmd $w\"\n"
           "                fi ;;\n"
           "        esac\n"
           "    done\n"
           "    case \"$cmd\" in\n" +
           cases +
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
           "    elif [[ -z $cmd ]]; then\n"
           "        COMPREPLY=($(compgen -W \"" +
           firsts.substr(firsts.empty() ? 0 : 1) +
           " help\" -- \"$cur\"))\n"
           "    elif [[ -n $verbs && $cmd != *\" \"* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$verbs\" -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F _veltra veltra\n";
}
