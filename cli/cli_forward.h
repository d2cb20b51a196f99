// A job's own observer (ParamsObserver, LiveObserver, TempCompObserver) for
// a veltra command: the hooks every job has go to the command's CliObserver
// (progress, differences, failure, Ctrl-C); the job's own hooks keep their
// defaults unless the command overrides them.
#pragma once

#include "veltra.h"

template <class JobSpecificObserver>
struct CliForward : JobSpecificObserver {
    explicit CliForward(CliObserver &cli) : cli(cli) {}
    void Step(const std::string &text) override { cli.Step(text); }
    void Progress(long done, long total, const char *unit) override { cli.Progress(done, total, unit); }
    void Failure(JobResult result, const std::string &text) override { cli.Failure(result, text); }
    void Difference(const std::string &what) override { cli.Difference(what); }
    bool Cancelled() override { return cli.Cancelled(); }
    CliObserver &cli;
};
