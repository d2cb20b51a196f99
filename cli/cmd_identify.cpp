// veltra identify: the sensor's version text, by the line check's order 7.
#include "loader_cli.h"
#include "veltra.h"

#include "rt_core.h"
#include "telegram.h"

#include <cstring>

namespace {

const CliOption kOptions[] = {
    {"--loader", nullptr, "the loader's identification instead (order 7 as QuillonV20 sends it: 36, 48 or 72 bytes)"},
    {nullptr, nullptr, nullptr},
};

int runIdentify(CliContext &ctx)
{
    if (CliHas(ctx, "--loader"))
        return CliIdentifyLoader(ctx);
    if (const int rc = CliOpenLink(ctx); rc != kExitOk)
        return rc;
    if (!ReadVersionText() && InterruptRequested())
        return CliFail(ctx, kExitInterrupted, "interrupted before the version text came; the sensor is unchanged");
    if (bytesToRead != 0)
        return CliFail(ctx, kExitLineFailed, "no version text (order 7) came from the sensor on " + ctx.link);
    // The text ends at its first NUL; trailing blanks are padding.
    std::string text(com232::version, strnlen(com232::version, kTelegramBytes));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    CliEmit(ctx, CliRecord().Text("link", ctx.link).Text("version", text), text + "\n");
    return kExitOk;
}

const CliCommand kIdentify = {
    "identify",
    "[--loader]",
    "print the sensor's version text (order 7)",
    "Opens the link, sends the version order (7) and prints the sensor's version text: the same exchange as "
    "the line check of the scope programs. Exit status 1 when no complete answer comes (2 s on a serial "
    "line, 5 s over TCP/IP). With --loader: the loader's identification as QuillonV20 reads it (the whole "
    "second is waited out; 36, 48 or 72 bytes, shown up to the first NUL; exit status 1 for any other count).",
    kOptions,
    0,
    0,
    20,
    false,
    runIdentify,
};

} // namespace

VELTRA_COMMAND(kIdentify);
