// What veltra prints: messages, results (plain or one JSON object a line),
// the progress of long jobs, and the exit status of a job's result.
#include "veltra.h"

#include "rt_core.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Least time between two redraws of the bar, and between two plain lines.
constexpr double kBarInterval = 0.1;
constexpr double kLineInterval = 3.0;
constexpr int kBarWidth = 30;
constexpr int kMinBarWidth = 10;

// Width of the terminal on standard error (80 when it does not say).
int terminalColumns()
{
    winsize ws {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

std::string numberText(double v)
{
    char buf[32];
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else if (std::isfinite(v))
        std::snprintf(buf, sizeof buf, "%.17g", v);
    else
        return "null";
    return buf;
}

std::string clockText(double seconds)
{
    const long s = seconds < 0 ? 0 : std::lround(seconds);
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
    return buf;
}

const char *defaultFailureText(JobResult result)
{
    switch (result) {
    case JobResult::LineFailed: return "the sensor did not answer as expected";
    case JobResult::FileRefused: return "the file was refused";
    case JobResult::FileNotWritten: return "the file could not be written";
    case JobResult::VerifyDiffers: return "verify found a difference";
    case JobResult::Cancelled: return "interrupted";
    case JobResult::Ok: break;
    }
    return "failed";
}

} // namespace

int CliExitStatus(JobResult result)
{
    switch (result) {
    case JobResult::Ok: return kExitOk;
    case JobResult::LineFailed: return kExitLineFailed;
    case JobResult::FileRefused:
    case JobResult::FileNotWritten: return kExitFile;
    case JobResult::VerifyDiffers: return kExitVerify;
    case JobResult::Cancelled: return kExitInterrupted;
    }
    return kExitLineFailed;
}

void CliError(const CliContext &ctx, const std::string &text)
{
    std::fprintf(stderr, "veltra: %s%s%s\n", ctx.command ? ctx.command->name : "", ctx.command ? ": " : "",
                 text.c_str());
}

CliRecord &CliRecord::Text(const std::string &key, const std::string &value)
{
    fields.emplace_back(key, JsonString(value));
    return *this;
}

CliRecord &CliRecord::Number(const std::string &key, double value)
{
    fields.emplace_back(key, numberText(value));
    return *this;
}

CliRecord &CliRecord::Bool(const std::string &key, bool value)
{
    fields.emplace_back(key, value ? "true" : "false");
    return *this;
}

CliRecord &CliRecord::Raw(const std::string &key, const std::string &json)
{
    fields.emplace_back(key, json);
    return *this;
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c >= 0x80) {
            // The byte as the Latin-1 character it would be: two bytes of UTF-8.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonLine(const CliContext &ctx, const CliRecord &record)
{
    std::string line = "{\"command\":" + JsonString(ctx.command ? ctx.command->name : "");
    for (const auto &[key, value] : record.fields)
        line += "," + JsonString(key) + ":" + value;
    return line + "}\n";
}

void CliEmit(const CliContext &ctx, const CliRecord &record, const std::string &plain)
{
    const std::string text = ctx.json ? JsonLine(ctx, record) : plain;
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int CliFail(const CliContext &ctx, int status, const std::string &text)
{
    CliError(ctx, text);
    if (ctx.json)
        CliEmit(ctx, CliRecord().Text("error", text).Number("exit", status), "");
    return status;
}

LinkKind CliLinkKind(const CliContext &ctx) { return LinkKindOf(ctx.link); }

int CliOpenLink(const CliContext &ctx, long baud, bool xonxoff)
{
    const LinkName name = ParseLinkName(ctx.link);
    if (name.kind == LinkKind::Invalid)
        return CliFail(ctx, kExitUsage, "'" + ctx.link + "' is no link: COM<n>, a device path or tcp:HOST:PORT");
    std::string message;
    if (OpenLinkName(name, baud, xonxoff, &message) < 0)
        return CliFail(ctx, kExitLineFailed, message);
    return kExitOk;
}

// ---- the observer ----------------------------------------------------------------

CliObserver::CliObserver(const CliContext &ctx) : ctx_(ctx), terminal_(::isatty(STDERR_FILENO) == 1) {}

CliObserver::~CliObserver() { endBar(); }

void CliObserver::endBar()
{
    if (barOpen_)
        std::fputc('\n', stderr);
    barOpen_ = false;
}

void CliObserver::Step(const std::string &text) { step_ = text; }

void CliObserver::Progress(long done, long total, const char *unit)
{
    if (ctx_.quiet || total <= 0)
        return;
    const double now = Timer();
    if (start_ < 0)
        start_ = now;
    const bool last = done >= total;
    if (!last && lastPrint_ >= 0 && now - lastPrint_ < (terminal_ ? kBarInterval : kLineInterval))
        return;
    lastPrint_ = now;
    const double elapsed = now - start_;
    const double rate = elapsed > 0 ? done / elapsed : 0;
    const std::string label = step_.empty() ? std::string(ctx_.command ? ctx_.command->name : "") : step_;
    char line[256];
    if (terminal_) {
        // One line that \r rewrites: it must not wrap, so the bar gets what
        // the terminal's width leaves and the line is cut to it.
        char figures[160];
        if (rate > 0)
            std::snprintf(figures, sizeof figures, " %ld/%ld %s  %.1f %s/s  %s left", done, total, unit, rate, unit,
                          clockText((total - done) / rate).c_str());
        else
            std::snprintf(figures, sizeof figures, " %ld/%ld %s", done, total, unit);
        const int columns = terminalColumns();
        const int room = columns - 1 - static_cast<int>(label.size() + std::strlen(figures)) - 3;
        const int width = std::min(kBarWidth, room);
        std::string text = label;
        if (width >= kMinBarWidth) {
            const int filled = static_cast<int>(width * done / total);
            text += " [" + std::string(filled, '#') + std::string(width - filled, '.') + "]";
        }
        text += figures;
        if (static_cast<int>(text.size()) > columns - 1)
            text.resize(static_cast<size_t>(std::max(columns - 1, 0)));
        std::fputs(("\r" + text + "\033[K").c_str(), stderr);
        barOpen_ = true;
        if (last)
            endBar();
    } else {
        std::snprintf(line, sizeof line, "%s: %ld/%ld %s (%ld%%)\n", label.c_str(), done, total, unit,
                      done * 100 / total);
        std::fputs(line, stderr);
    }
    std::fflush(stderr);
}

void CliObserver::Failure(JobResult result, const std::string &text)
{
    (void)result;
    endBar();
    failure_ = text;
}

void CliObserver::Difference(const std::string &what)
{
    ++differences_;
    endBar();
    CliEmit(ctx_, CliRecord().Text("difference", what), "differs: " + what + "\n");
}

bool CliObserver::Cancelled() { return InterruptRequested(); }

int CliFinish(const CliContext &ctx, const CliObserver &observer, JobResult result)
{
    if (result == JobResult::Ok)
        return kExitOk;
    const std::string text = observer.FailureText().empty() ? defaultFailureText(result) : observer.FailureText();
    return CliFail(ctx, CliExitStatus(result), text);
}
