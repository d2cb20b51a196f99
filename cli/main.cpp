// veltra's entry point: the command line, the command, the exit status.
#include "veltra.h"

#include "rt_core.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Made at build time from the table, so that it never drifts from it.
    if (argc == 2 && std::strcmp(argv[1], "--bash-completion") == 0) {
        std::fputs(CliBashCompletion().c_str(), stdout);
        return kExitOk;
    }
    CliContext ctx;
    if (const int rc = ParseCliCommandLine(argc, argv, ctx); rc >= 0)
        return rc;
    if (ctx.command->serialOnly && CliLinkKind(ctx) == LinkKind::Tcp) {
        CliError(ctx, "needs a serial line (the boot firmware's configuration is a serial one): " + ctx.link +
                          " is a TCP/IP link");
        return kExitUsage;
    }
    // Ctrl-C ends a job between two telegrams instead of the process.
    InstallInterruptHandler();
    int rc = ctx.command->run(ctx);
    CloseLink();
    // A job that Ctrl-C ended has said in what state it left the sensor; a
    // command that says nothing of it gets a word here.
    if (InterruptRequested()) {
        if (rc != kExitInterrupted)
            CliError(ctx, "interrupted");
        rc = kExitInterrupted;
    }
    std::fflush(stdout);
    return rc;
}
