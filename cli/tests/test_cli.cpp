// The command-line framework without a sensor: the parser (options before
// and after the command, two-word commands, operands), the link names, the
// JSON text and the plain progress lines (the exit statuses are checked
// against the simulator in e2e_veltra_jobs).
#include "veltra.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

const CliOption kDemoOptions[] = {
    {"--eeprom", nullptr, "from the EEPROM"},
    {"--count", "N", "how many"},
    {nullptr, nullptr, nullptr},
};

int runDemo(CliContext &) { return 0; }

const CliCommand kDemo = {"demo get", "FILE", "a two-word command", nullptr, kDemoOptions, 1, 1, 99, false, runDemo};
VELTRA_COMMAND(kDemo);

struct Parsed {
    int rc;
    CliContext ctx;
};

Parsed parse(std::vector<const char *> args)
{
    args.insert(args.begin(), "veltra");
    Parsed p;
    p.rc = ParseCliCommandLine(static_cast<int>(args.size()), args.data(), p.ctx);
    return p;
}

TEST(CliParser, OptionsStandBeforeOrAfterTheCommand)
{
    ::unsetenv("VELTRA_LINK");
    const struct {
        std::vector<const char *> args;
        std::vector<std::string> operands;
        std::string count; // "-" when not given
        bool eeprom, json;
        std::string link;
    } cases[] = {
        {{"--eeprom", "demo", "get", "F"}, {"F"}, "-", true, false, "COM1"},
        {{"demo", "get", "F", "--count=5", "--json"}, {"F"}, "5", false, true, "COM1"},
        {{"--count", "7", "demo", "get", "--", "-F"}, {"-F"}, "7", false, false, "COM1"},
        {{"demo", "--link", "tcp:h:1", "get", "F", "-q"}, {"F"}, "-", false, false, "tcp:h:1"},
    };
    for (const auto &c : cases) {
        const Parsed p = parse(c.args);
        ASSERT_EQ(p.rc, -1) << c.args[0];
        EXPECT_STREQ(p.ctx.command->name, "demo get");
        EXPECT_EQ(p.ctx.args, c.operands);
        EXPECT_EQ(CliValue(p.ctx, "--count", "-"), c.count);
        EXPECT_EQ(CliHas(p.ctx, "--eeprom"), c.eeprom);
        EXPECT_EQ(p.ctx.json, c.json);
        EXPECT_EQ(p.ctx.link, c.link);
    }
    ::setenv("VELTRA_LINK", "tcp:sensor:5000", 1);
    EXPECT_EQ(parse({"identify"}).ctx.link, "tcp:sensor:5000");
    EXPECT_EQ(parse({"identify", "--link", "COM2"}).ctx.link, "COM2");
    ::unsetenv("VELTRA_LINK");
}

// What the parser refuses, with status and message, is run in e2e_veltra.
TEST(CliLinkName, ParsesTheThreeForms)
{
    const struct {
        const char *text;
        LinkKind kind;
        int com;
        const char *device, *host;
        unsigned port;
    } cases[] = {
        {"COM3", LinkKind::Serial, 3, "", "", 0},
        {"com256", LinkKind::Serial, 256, "", "", 0},
        {"/dev/serial/by-id/usb-X-if00", LinkKind::Serial, 0, "/dev/serial/by-id/usb-X-if00", "", 0},
        {"tcp:192.168.0.20:5000", LinkKind::Tcp, 0, "", "192.168.0.20", 5000},
        {"TCP:[::1]:80", LinkKind::Tcp, 0, "", "::1", 80},
        {"COM0", LinkKind::Invalid, 0, "", "", 0},
        {"COM257", LinkKind::Invalid, 0, "", "", 0},
        {"COM1x", LinkKind::Invalid, 0, "", "", 0},
        {"tcp:host:0", LinkKind::Invalid, 0, "", "", 0},
        {"tcp:host:", LinkKind::Invalid, 0, "", "", 0},
        {"tcp::80", LinkKind::Invalid, 0, "", "", 0},
        {"ttyUSB0", LinkKind::Invalid, 0, "", "", 0},
    };
    for (const auto &c : cases) {
        const LinkName s = ParseLinkName(c.text);
        EXPECT_EQ(s.kind, c.kind) << c.text;
        if (s.kind == LinkKind::Invalid)
            continue;
        EXPECT_EQ(s.comNumber, c.com) << c.text;
        EXPECT_EQ(s.device, c.device) << c.text;
        EXPECT_EQ(s.host, c.host) << c.text;
        EXPECT_EQ(s.port, c.port) << c.text;
    }
}

TEST(CliOutput, JsonStringsAreValidForAnyBytes)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"VELT V6.1", "\"VELT V6.1\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"l1\nl2\t\x01\x7f", "\"l1\\nl2\\t\\u0001\\u007f\""},
        {"\xe9\xff", "\"\xc3\xa9\xc3\xbf\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JsonString(c.in), c.out);
}

// What the observer writes to standard error (not a terminal here).
std::string progressLines(bool quiet)
{
    CliContext ctx;
    ctx.quiet = quiet;
    char path[] = "/tmp/cli-progress-XXXXXX";
    const int fd = ::mkstemp(path);
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(fd, 2);
    {
        CliObserver obs(ctx);
        obs.Step("Reading");
        for (long done = 0; done <= 256; done += 16)
            obs.Progress(done, 256, "blocks");
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string text(4096, '\0');
    text.resize(static_cast<size_t>(::pread(fd, text.data(), text.size(), 0)));
    ::close(fd);
    ::unlink(path);
    return text;
}

TEST(CliOutput, PlainProgressIsTheFirstAndTheLastLineWithinAFewSeconds)
{
    EXPECT_EQ(progressLines(false), "Reading: 0/256 blocks (0%)\nReading: 256/256 blocks (100%)\n");
    EXPECT_EQ(progressLines(true), "");
}

} // namespace
