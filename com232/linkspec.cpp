// A line named by a link spec ("COM3", "/dev/ttyUSB0", "tcp:host:port"),
// parsed and opened through the transports.
#include "exchange.h"

#include "rt_com.h"

#include <cctype>
#include <charconv>

namespace {

// The COM number under which a line given by its device path is opened: the
// highest one, so that it never stands for a port the suite's rule numbers.
constexpr int kDevicePathPort = 256;
constexpr int kMaxComNumber = 256;
constexpr unsigned kConnectMs = 5000;

// A whole decimal number in [lo, hi], or -1.
long wholeNumber(const std::string &text, long lo, long hi)
{
    long v = -1;
    const char *end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc {} || p != end || v < lo || v > hi)
        return -1;
    return v;
}

bool startsWithNoCase(const std::string &text, const char *prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

} // namespace

LinkSpec ParseLinkSpec(const std::string &text)
{
    LinkSpec spec;
    if (startsWithNoCase(text, "tcp:")) {
        const std::string rest = text.substr(4);
        const size_t colon = rest.rfind(':');
        if (colon == std::string::npos)
            return spec;
        std::string host = rest.substr(0, colon);
        if (host.size() > 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2); // [::1]
        const long port = wholeNumber(rest.substr(colon + 1), 1, 65535);
        if (host.empty() || port < 0)
            return spec;
        spec.kind = LinkKind::Tcp;
        spec.host = host;
        spec.port = static_cast<unsigned>(port);
    } else if (startsWithNoCase(text, "com")) {
        const long n = wholeNumber(text.substr(3), 1, kMaxComNumber);
        if (n < 0)
            return spec;
        spec.kind = LinkKind::Serial;
        spec.comNumber = static_cast<int>(n);
    } else if (text.find('/') != std::string::npos) {
        spec.kind = LinkKind::Serial;
        spec.device = text;
    }
    return spec;
}

LinkKind LinkKindOf(const std::string &text) { return ParseLinkSpec(text).kind; }

std::string LinkDevice(const LinkSpec &spec)
{
    if (spec.kind != LinkKind::Serial)
        return "";
    return spec.comNumber > 0 ? ResolveComDevice(spec.comNumber) : spec.device;
}

int OpenLinkSpec(const LinkSpec &spec, long baud, bool xonxoff, std::string *message)
{
    std::string text;
    int r = kComInvalidPortNumber;
    if (spec.kind == LinkKind::Tcp) {
        r = OpenTcpTransport(spec.host.c_str(), spec.port, kConnectMs);
        if (r < 0)
            text = "tcp:" + spec.host + ":" + std::to_string(spec.port) + ": " + TcpErrorText(r);
    } else if (spec.kind == LinkKind::Serial) {
        const int port = spec.comNumber > 0 ? spec.comNumber : kDevicePathPort;
        comport = static_cast<uint16_t>(port);
        r = OpenSerialTransport(port, baud, xonxoff, spec.device.c_str());
        if (r < 0) {
            const std::string reason = GetComErrorReason(port);
            text = std::string(ComErrorText(r)) + ": " + (reason.empty() ? LinkDevice(spec) : reason);
        }
    } else {
        text = "not a link: COM<n>, a device path or tcp:HOST:PORT";
    }
    if (message)
        *message = text;
    return r;
}
