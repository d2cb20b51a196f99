// Every sensor exchange of the four programs against every reply fault of
// the simulator, over the pseudo-terminal and over TCP, as the table in
// e2e_fault_matrix_table.h says. Each case runs its own simulator and program
// and checks the messages (and no other pop-up), a clean `quit 0`, the files
// the exchange may change, and that the program idles afterwards. Each
// exchange is a CTest entry of its own; its cases run side by side.
#include "e2e_fault_matrix_table.h"
#include "e2e.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <future>
#include <map>
#include <sstream>

namespace faultmatrix {
namespace {

namespace fs = std::filesystem;

// The window over which an idle program's CPU time is measured, and the
// share of one core it may use in it.
constexpr double kIdleWindowSeconds = 1.0;
constexpr double kIdleShareLimit = 0.05;

// Printed by the script before the exchange; the harness takes its first
// snapshot of the files there, the second once the program has ended. The
// idle window lies between two printcpu actions.
std::string MarkAction(const std::string &panel) { return "printattr " + panel + " DispStatus visible\n"; }

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t p = 0; (p = text.find(from, p)) != std::string::npos; p += to.size())
        text.replace(p, from.size(), to);
    return text;
}

// Contents of every regular file below dir, by path relative to it, except
// the installed program itself (its executable, resource and bitmap files).
using Snapshot = std::map<std::string, std::string>;

Snapshot TakeSnapshot(const std::string &dir, const std::string &program)
{
    Snapshot s;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path &path = it->path();
        if (!it->is_regular_file(ec) || path.filename() == program || path.extension() == ".uir" ||
            path.extension() == ".png")
            continue;
        s[fs::relative(path, dir, ec).string()] = ReadTextFile(path.string());
    }
    return s;
}

// The files that differ between two snapshots, with what happened to them.
std::string Differences(const Snapshot &before, const Snapshot &after, const std::vector<std::string> &ignored)
{
    std::string diff;
    auto skip = [&](const std::string &name) {
        return std::find(ignored.begin(), ignored.end(), name) != ignored.end();
    };
    for (const auto &[name, bytes] : before)
        if (!skip(name)) {
            const auto it = after.find(name);
            if (it == after.end())
                diff += name + " removed; ";
            else if (it->second != bytes)
                diff += name + " changed; ";
        }
    for (const auto &[name, bytes] : after)
        if (!skip(name) && !before.count(name))
            diff += name + " created; ";
    return diff;
}

struct CaseResult {
    std::string name;
    std::string output;
    int exitCode = 0;
    int marks = 0;         // the mark before the exchange seen
    int cpuLines = 0;      // printcpu lines seen
    double idleShare = -1; // CPU seconds per second over the idle window
    std::string fileDiff;
    std::string expectedFileDiff;
    std::string simLog; // the simulator's telegram log, for the report of a failure
};

// A case made ready in the test's own thread: the program is installed
// before any case starts a process, so that no child inherits a program file
// still open for writing (exec would fail with "text file busy").
struct PreparedCase {
    const Exchange *ex;
    const Row *row;
    Link link;
    Case c;
    std::string exe;
};

PreparedCase Prepare(const Exchange &ex, const Row &row, Link link)
{
    PreparedCase p {&ex, &row, link, {}, {}};
    p.c.dir = MakeTempDir();
    p.c.link = link;
    if (ex.prepare)
        ex.prepare(p.c);
    // Hard-linked: a hundred and more cases must not write a gigabyte of copies.
    p.exe = InstallCopy(ex.program, p.c.dir, true);
    return p;
}

// One program run with one fault rule against its own simulator.
CaseResult RunCase(PreparedCase &p)
{
    const Exchange &ex = *p.ex;
    const Row &row = *p.row;
    Case &c = p.c;
    c.fault = row.fault;
    CaseResult r;
    r.name = std::string(ex.name) + "/" + FaultName(row.fault) + "/" + LinkName(p.link);
    std::vector<std::string> simArgs = {"--version-text", kVersion};
    for (const std::string &a : ex.simArgs)
        simArgs.push_back(replaceAll(a, "%DIR%", c.dir));
    for (const std::string &rule : FaultRules(ex, row.fault)) {
        simArgs.push_back("--fault");
        simArgs.push_back(rule);
    }
    c.sim = std::make_unique<SimProcess>(simArgs, p.link == Link::Tcp, p.link == Link::Pty);
    r.simLog = c.sim->logPath;
    if (!c.sim->ok()) {
        r.exitCode = -100;
        r.output = "the simulator did not start";
        return r;
    }
    const std::string mark = MarkAction(ex.statusPanel);
    const std::string markPrinted = std::string(ex.statusPanel) + ".DispStatus.visible=1";
    const bool failing = row.outcome == Outcome::Fails;
    const std::string script = (ex.connect ? ex.connect(c) : std::string()) + ex.before(c) + mark + ex.run(c, failing) +
                               "printcpu\nwait " + std::to_string(kIdleWindowSeconds) + "\nprintcpu\nprint " +
                               ex.statusPanel + " DispStatus\n" + ex.after + "quit 0\n";
    const std::string scriptPath = WriteTextFile(c.dir + "/script.txt", script);

    const Snapshot atLaunch = TakeSnapshot(c.dir, ex.program);
    Snapshot beforeExchange, afterExchange;
    double cpu[2] = {0, 0}, wall[2] = {0, 0};
    const std::string com1 = c.sim->ptyLink.empty() ? std::string("/nonexistent/tty") : c.sim->ptyLink;
    r.exitCode =
        RunProgramWatched(p.exe, {"--ui-script", scriptPath}, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + com1}, 90,
                          &r.output, [&](const std::string &line) {
                              if (line == markPrinted && ++r.marks == 1)
                                  beforeExchange = TakeSnapshot(c.dir, ex.program);
                          });
    // The program's own CPU readings: the first and second printcpu lines,
    // "CPU <processor seconds> <seconds since start>".
    std::istringstream lines(r.output);
    for (std::string line; std::getline(lines, line) && r.cpuLines < 2;)
        if (std::sscanf(line.c_str(), "CPU %lf %lf", &cpu[r.cpuLines], &wall[r.cpuLines]) == 2)
            ++r.cpuLines;
    afterExchange = TakeSnapshot(c.dir, ex.program);
    if (r.cpuLines == 2 && wall[1] > wall[0])
        r.idleShare = (cpu[1] - cpu[0]) / (wall[1] - wall[0]);
    // The start-up exchanges over the pty run before the script: they are
    // compared with the directory as it was at launch.
    const Snapshot &before = ex.atStart && p.link == Link::Pty ? atLaunch : beforeExchange;
    std::vector<std::string> ignored = {"script.txt"};
    if (p.link == Link::Tcp)
        ignored.push_back("IPComboBoxVeltv61.ipa"); // committed by the connect step, before the exchange
    r.fileDiff = Differences(before, afterExchange, ignored);
    if (row.outcome == Outcome::Succeeds && ex.writes)
        r.expectedFileDiff = std::string(ex.writes) + " changed; ";
    else if (row.outcome == Outcome::Succeeds && ex.creates)
        r.expectedFileDiff = std::string(ex.creates) + " created; ";
    return r;
}

void Check(const CaseResult &r, const Row &row)
{
    SCOPED_TRACE(r.name + " (simulator log " + r.simLog + ")");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Count(r.output, "Sanitizer"), 0) << r.output;
    EXPECT_EQ(Count(r.output, "runtime error:"), 0) << r.output;
    EXPECT_EQ(Count(r.output, "WAITFOR TIMEOUT"), 0) << r.output;
    int popups = 0, popupsUpTo = 0;
    for (const Expect &e : row.expect) {
        const int n = Count(r.output, e.text), upTo = std::max(e.times, e.upTo);
        EXPECT_TRUE(n >= e.times && n <= upTo)
            << n << " x [" << e.text << "], expected " << e.times << " to " << upTo << "\n"
            << r.output;
        if (e.text.rfind("POPUP ", 0) == 0) {
            popups += e.times;
            popupsUpTo += upTo;
        }
    }
    const int shown = Count(r.output, "POPUP ");
    EXPECT_TRUE(shown >= popups && shown <= popupsUpTo) << "other pop-ups than the expected ones\n" << r.output;
    ASSERT_EQ(r.marks, 1) << r.output;
    ASSERT_EQ(r.cpuLines, 2) << r.output;
    EXPECT_EQ(r.fileDiff, r.expectedFileDiff) << r.output;
    EXPECT_GE(r.idleShare, 0.0);
    EXPECT_LT(r.idleShare, kIdleShareLimit) << "CPU share of a core while idle after the exchange";
}

class FaultMatrix : public ::testing::TestWithParam<const Exchange *> {};

// The cases of one exchange, over both lines, run side by side: each has its
// own simulator and line. The directories of a passing exchange are removed.
TEST_P(FaultMatrix, EveryReplyFault)
{
    const Exchange &ex = *GetParam();
    std::vector<PreparedCase> prepared;
    for (Link link : {Link::Pty, Link::Tcp}) {
        if (link == Link::Tcp && !ex.overTcp)
            continue;
        for (const Row &row : Rows())
            if (std::string(row.exchange) == ex.name && row.outcome != Outcome::NotApplicable && RowIsFor(row, link) &&
                (link == Link::Tcp || row.fault != Fault::Close))
                prepared.push_back(Prepare(ex, row, link));
    }
    ASSERT_FALSE(prepared.empty());
    std::vector<std::future<CaseResult>> running;
    for (PreparedCase &p : prepared)
        running.push_back(std::async(std::launch::async, [&p] { return RunCase(p); }));
    std::vector<std::string> dirs;
    for (size_t i = 0; i < prepared.size(); ++i) {
        const CaseResult r = running[i].get();
        Check(r, *prepared[i].row);
        dirs.push_back(prepared[i].c.dir);
        if (prepared[i].c.sim) {
            prepared[i].c.sim->stop();
            dirs.push_back(prepared[i].c.sim->dir);
        }
    }
    if (!HasFailure())
        for (const std::string &d : dirs) {
            std::error_code ec;
            fs::remove_all(d, ec);
        }
}

std::vector<const Exchange *> AllExchanges()
{
    std::vector<const Exchange *> all;
    for (const Exchange &ex : Exchanges())
        all.push_back(&ex);
    return all;
}

INSTANTIATE_TEST_SUITE_P(Exchanges, FaultMatrix, ::testing::ValuesIn(AllExchanges()),
                         [](const auto &info) { return std::string(info.param->name); });

// Every exchange has one row for every fault on each of its lines: the matrix is complete.
TEST(FaultMatrixTable, EveryExchangeMeetsEveryFault)
{
    for (const Exchange &ex : Exchanges())
        for (Fault f : AllFaults())
            for (Link link : {Link::Pty, Link::Tcp}) {
                if ((link == Link::Tcp && !ex.overTcp) || (link == Link::Pty && f == Fault::Close))
                    continue; // see the note on "connection closed" in the table
                int rows = 0;
                for (const Row &row : Rows())
                    rows += std::string(row.exchange) == ex.name && row.fault == f && RowIsFor(row, link);
                EXPECT_EQ(rows, 1) << ex.name << " / " << FaultName(f) << " / " << LinkName(link);
            }
}

} // namespace
} // namespace faultmatrix
