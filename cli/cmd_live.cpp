// veltra live: data frames (order 5) as they arrive, one line each, until
// the count or Ctrl-C.
#include "cli_forward.h"
#include "frames.h"
#include "packet.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

const CliOption kOptions[] = {
    {"--count", "N", "stop after N frames (default: run until Ctrl-C)"},
    {"--format", "csv|jsonl",
     "one CSV line (after a header) or one JSON object a frame (default csv; jsonl with --json)"},
    {nullptr, nullptr, nullptr},
};

// The time a frame arrived, UTC with milliseconds: 2026-12-07T06:15:00.123Z.
std::string timeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    const long ms =
        static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm {};
    gmtime_r(&secs, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buf;
}

const char *const kKeys[] = {"R", "G", "B", "X", "Y", "INT", "COL", "TEMP", "GROUP"};

// Prints each frame the loop fetches and ends it after `count` frames.
struct LivePrinter : CliForward<LiveObserver> {
    LivePrinter(CliObserver &cli, long count, bool json) : CliForward(cli), count(count), json(json) {}
    void Frame() override
    {
        const uint16_t values[] = {dataR, dataG, dataB, dataX, dataY, dataINT, dataCOL, dataTemp, dataGroup};
        std::string line;
        if (json) {
            line = "{\"time\":\"" + timeStamp() + "\"";
            for (size_t i = 0; i < std::size(values); ++i)
                line += std::string(",\"") + kKeys[i] + "\":" + std::to_string(values[i]);
            line += "}\n";
        } else {
            line = timeStamp();
            for (uint16_t v : values)
                line += "," + std::to_string(v);
            line += "\n";
        }
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        ++frames;
    }
    bool Cancelled() override { return (count > 0 && frames >= count) || cli.Cancelled(); }
    long count, frames = 0;
    bool json;
};

int run(CliContext &ctx)
{
    long count = 0;
    if (CliHas(ctx, "--count")) {
        const std::string text = CliValue(ctx, "--count");
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (ec != std::errc {} || end != text.data() + text.size() || count < 1)
            return CliFail(ctx, kExitUsage, "--count takes a whole number of frames, 1 or more: " + text);
    }
    const std::string format = CliValue(ctx, "--format", ctx.json ? "jsonl" : "csv");
    if (format != "csv" && format != "jsonl")
        return CliFail(ctx, kExitUsage, "--format takes csv or jsonl: " + format);
    if (const int rc = CliOpenLink(ctx))
        return rc;
    CliObserver cli(ctx);
    LivePrinter printer(cli, count, format == "jsonl");
    if (!printer.json) {
        std::fputs("time,R,G,B,X,Y,INT,COL,TEMP,GROUP\n", stdout);
        std::fflush(stdout);
    }
    JobResult r = RunLive(printer);
    if (r == JobResult::Cancelled && count > 0 && printer.frames >= count)
        return kExitOk;
    // Ctrl-C cuts a frame's wait short: that is no failure of the line.
    if (r == JobResult::LineFailed && cli.Cancelled())
        r = JobResult::Cancelled;
    if (r == JobResult::Cancelled)
        cli.Failure(r, "stopped after " + std::to_string(printer.frames) + " frames");
    return CliFinish(ctx, cli, r);
}

const CliCommand kLive = {
    "live",
    "[--count N] [--format csv|jsonl]",
    "print data frames as they arrive",
    "Fetches data frames (order 5) one after the other, with the same 50 ms pause as Veltv61's live loop, and "
    "prints one line per frame: the time it arrived (UTC, ISO 8601 with milliseconds), then R, G, B, X, Y, INT, "
    "COL, TEMP and GROUP (X, Y and INT hold s, i and M in calculation mode 1). CSV starts with a header line of "
    "these names; jsonl uses them as keys (time, R, G, B, X, Y, INT, COL, TEMP, GROUP). Runs until N frames have "
    "been printed or Ctrl-C (exit status 130).",
    kOptions,
    0,
    0,
    40,
    false,
    run,
};

VELTRA_COMMAND(kLive);

} // namespace
