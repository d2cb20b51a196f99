// What the loader's subcommands (backup, restore, flash, identify --loader)
// share: the observer that hands the loader jobs' reports to the tool's
// observer, and the opening of the loader's line.
#pragma once

#include "loader.h"
#include "veltra.h"

// The loader jobs' observer for the command-line tool: progress, failures,
// differences and Ctrl-C go through the tool's observer; the loader
// program's status texts are not printed.
class CliLoaderObserver : public quillon::LoaderObserver {
public:
    CliLoaderObserver(const CliContext &ctx, CliObserver &cli) : ctx_(ctx), cli_(cli) {}
    // A step is said on standard error (a request to reset the sensor, where
    // a backup goes, why a line did not open).
    void Step(const std::string &text) override { CliError(ctx_, text); }
    void Progress(long done, long total, const char *unit) override { cli_.Progress(done, total, unit); }
    void Failure(JobResult result, const std::string &text) override
    {
        cli_.Failure(result, hint ? text + hint(result) : text);
    }
    void Difference(const std::string &what) override { cli_.Difference(what); }
    bool Cancelled() override { return cli_.Cancelled(); }
    // What the user can do next, added to a failure's text (the flash
    // command tells how to resume).
    std::string (*hint)(JobResult) = nullptr;

private:
    const CliContext &ctx_;
    CliObserver &cli_;
};

// Opens the line ctx.link names in the application's configuration for the
// loader jobs. Returns 0 or the exit status.
int CliOpenLoaderLine(const CliContext &ctx);
// veltra identify --loader: the loader's identification (36, 48 or 72 bytes).
int CliIdentifyLoader(CliContext &ctx);
