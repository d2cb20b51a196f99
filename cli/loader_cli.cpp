// The loader's line for the tool's subcommands, and identify --loader.
#include "loader_cli.h"

int CliOpenLoaderLine(const CliContext &ctx)
{
    quillon::InitLoaderJobs();
    if (const int rc = CliOpenLink(ctx); rc != 0)
        return rc;
    quillon::SetLoaderLink(ParseLinkName(ctx.link));
    return 0;
}

int CliIdentifyLoader(CliContext &ctx)
{
    if (const int rc = CliOpenLoaderLine(ctx); rc != 0)
        return rc;
    CliObserver cli(ctx);
    CliLoaderObserver obs(ctx, cli);
    std::string text;
    const JobResult r = quillon::IdentifyLoader(obs, &text);
    if (r == JobResult::Ok)
        CliEmit(ctx, CliRecord().Text("link", ctx.link).Text("identification", text), text + "\n");
    return CliFinish(ctx, cli, r);
}
