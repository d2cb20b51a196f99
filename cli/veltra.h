// The command-line tool's framework, as its subcommands see it: the table
// entry each subcommand file registers, the parsed command line handed to
// it, the link, the output of results and the progress reporter.
//
// A subcommand is one file cli/cmd_<name>.cpp that defines a CliCommand and
// registers it with VELTRA_COMMAND (see cli/README.md). Everything here runs
// on the run-time's core part: no display, no GUI library.
#pragma once

#include "exchange.h"
#include "job.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// ---- exit status ---------------------------------------------------------------
enum {
    kExitOk = 0,
    kExitLineFailed = 1,   // the sensor or the line failed (time-out, wrong echo, boot firmware error)
    kExitUsage = 2,        // a bad command line, or a link the command cannot use
    kExitFile = 3,         // a file refused or not writable
    kExitVerify = 4,       // verify found a difference
    kExitInterrupted = 130 // Ctrl-C
};

// The exit status of a job's result.
int CliExitStatus(JobResult result);

// ---- the subcommand table -----------------------------------------------------------
// One option of a subcommand. `arg` names its value in the help ("N",
// "csv|jsonl"); null for an option without a value.
struct CliOption {
    const char *name; // "--eeprom"
    const char *arg;
    const char *help;
};

struct CliContext;

struct CliCommand {
    const char *name;         // one or two words: "identify", "params get"
    const char *usage;        // what follows the name in the usage line: "[--eeprom] FILE"
    const char *summary;      // one line for the command list
    const char *description;  // paragraphs for `veltra NAME --help` (may be null)
    const CliOption *options; // ended by {nullptr, nullptr, nullptr}; may be null
    int minArgs, maxArgs;     // how many operands (FILE ...) it takes
    int rank;                 // place in the command list (ports 10, identify 20, ...)
    bool serialOnly;          // refuses a tcp: link with exit status 2 (flash)
    // Runs the command; returns the exit status. The framework opens no link:
    // a command that needs one calls CliOpenLink.
    int (*run)(CliContext &ctx);
};

// Adds a command to the table (at start-up, through VELTRA_COMMAND).
bool RegisterCliCommand(const CliCommand &command);
// The registered commands in the order of their rank.
std::vector<const CliCommand *> CliCommands();

// Registers `command` (a CliCommand defined in the same file) before main runs.
#define VELTRA_COMMAND(command)                                                                                        \
    [[maybe_unused]] static const bool veltraRegistered_##command = RegisterCliCommand(command)

// ---- the parsed command line ------------------------------------------------------------
struct CliContext {
    const CliCommand *command = nullptr;
    std::vector<std::string> args;              // the operands after the command's name
    std::map<std::string, std::string> options; // the command's options given: name -> value ("" without)
    std::string link;                           // --link, else $VELTRA_LINK, else COM1
    bool json = false;                          // --json: every result one JSON object a line
    bool quiet = false;                         // --quiet: no progress on standard error
};

// Whether the command's option `name` was given, and its value.
bool CliHas(const CliContext &ctx, const char *name);
std::string CliValue(const CliContext &ctx, const char *name, const std::string &fallback = "");

// Parses the command line into ctx. Returns -1 when the command is to run,
// else the exit status to end with at once (0 after --help or --version, 2
// after a usage error, whose message went to standard error).
int ParseCliCommandLine(int argc, const char *const *argv, CliContext &ctx);
// The help texts: the whole tool's and one command's.
std::string CliHelpText();
std::string CliCommandHelpText(const CliCommand &command);
// A bash completion script for the registered commands and their options.
std::string CliBashCompletion();

// ---- messages and results ----------------------------------------------------------------
// "veltra: <command>: text" on standard error.
void CliError(const CliContext &ctx, const std::string &text);

// One result. With --json it is printed as one JSON object on a line (its
// first field "command"); without, the plain text is printed as it is.
struct CliRecord {
    std::vector<std::pair<std::string, std::string>> fields; // key, JSON-encoded value
    CliRecord &Text(const std::string &key, const std::string &value);
    CliRecord &Number(const std::string &key, double value);
    CliRecord &Bool(const std::string &key, bool value);
    CliRecord &Raw(const std::string &key, const std::string &json); // an array or object already encoded
};
// The JSON text of a string, quotes included; bytes outside ASCII are kept
// as the code points U+0080..U+00FF, so that any byte string gives valid JSON.
std::string JsonString(const std::string &text);
std::string JsonLine(const CliContext &ctx, const CliRecord &record);
void CliEmit(const CliContext &ctx, const CliRecord &record, const std::string &plain);

// Ends a command that failed: the message on standard error and, with
// --json, an object {"command", "error", "exit"} on standard output.
// Returns `status`.
int CliFail(const CliContext &ctx, int status, const std::string &text);

// ---- the link -------------------------------------------------------------------------------
// The kind of line ctx.link names (LinkKind::Invalid for no link name).
LinkKind CliLinkKind(const CliContext &ctx);
// Opens ctx.link (serial lines at `baud`, with or without XON/XOFF). Returns
// 0, or the exit status after the message: 2 for text that is no link
// name, 1 for a line that does not open.
int CliOpenLink(const CliContext &ctx, long baud = 19200, bool xonxoff = false);

// ---- the observer of a job --------------------------------------------------------------------
// Prints what a job reports: progress on standard error (on a terminal a
// bar with done/total, rate and time left; otherwise a plain line every few
// seconds; nothing with --quiet), each difference a verify step finds as a
// result, and keeps the failure for CliFinish. Ctrl-C (SIGINT) cancels the
// job between two telegrams.
class CliObserver : public JobObserver {
public:
    explicit CliObserver(const CliContext &ctx);
    ~CliObserver() override;
    void Step(const std::string &text) override;
    void Progress(long done, long total, const char *unit) override;
    void Failure(JobResult result, const std::string &text) override;
    void Difference(const std::string &what) override;
    bool Cancelled() override;

    const std::string &FailureText() const { return failure_; }
    int Differences() const { return differences_; }

private:
    void endBar();
    const CliContext &ctx_;
    bool terminal_;
    std::string step_;
    std::string failure_;
    int differences_ = 0;
    double start_ = -1, lastPrint_ = -1;
    bool barOpen_ = false;
};

// Ends a job's command: 0 for Ok; otherwise the failure as the observer got
// it (a default text for the result when the job gave none) through
// CliFail. Returns the exit status.
int CliFinish(const CliContext &ctx, const CliObserver &observer, JobResult result);
