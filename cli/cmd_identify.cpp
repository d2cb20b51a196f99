// veltra identify: the sensor's version text, by the line check's order 7.
#include "veltra.h"

#include "rt_core.h"
#include "telegram.h"

#include <cstring>

namespace {

// The loader's identification (--loader: 36, 48 or 72 bytes) joins here as
// an option of this table and a branch at the top of runIdentify.
const CliOption kOptions[] = {
    {nullptr, nullptr, nullptr},
};

int runIdentify(CliContext &ctx)
{
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
    "",
    "print the sensor's version text (order 7)",
    "Opens the link, sends the version order (7) and prints the sensor's version text: the same exchange as "
    "the line check of the scope programs. Exit status 1 when no complete answer comes (2 s on a serial "
    "line, 5 s over TCP/IP).",
    kOptions,
    0,
    0,
    20,
    false,
    runIdentify,
};

} // namespace

VELTRA_COMMAND(kIdentify);
