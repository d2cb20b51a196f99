// A line given by its name ("COM3", "/dev/ttyUSB0", "tcp:host:port"),
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

LinkName ParseLinkName(const std::string &text)
{
    LinkName name;
    if (startsWithNoCase(text, "tcp:")) {
        const std::string rest = text.substr(4);
        const size_t colon = rest.rfind(':');
        if (colon == std::string::npos)
            return name;
        std::string host = rest.substr(0, colon);
        if (host.size() > 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2); // [::1]
        const long port = wholeNumber(rest.substr(colon + 1), 1, 65535);
        if (host.empty() || port < 0)
            return name;
        name.kind = LinkKind::Tcp;
        name.host = host;
        name.port = static_cast<unsigned>(port);
    } else if (startsWithNoCase(text, "com")) {
        const long n = wholeNumber(text.substr(3), 1, kMaxComNumber);
        if (n < 0)
            return name;
        name.kind = LinkKind::Serial;
        name.comNumber = static_cast<int>(n);
    } else if (text.find('/') != std::string::npos) {
        name.kind = LinkKind::Serial;
        name.device = text;
    }
    return name;
}

LinkKind LinkKindOf(const std::string &text) { return ParseLinkName(text).kind; }

std::string LinkDevice(const LinkName &name)
{
    if (name.kind != LinkKind::Serial)
        return "";
    return name.comNumber > 0 ? ResolveComDevice(name.comNumber) : name.device;
}

int OpenLinkName(const LinkName &name, long baud, bool xonxoff, std::string *message)
{
    std::string text;
    int r = kComInvalidPortNumber;
    if (name.kind == LinkKind::Tcp) {
        r = OpenTcpTransport(name.host.c_str(), name.port, kConnectMs);
        if (r < 0)
            text = "tcp:" + name.host + ":" + std::to_string(name.port) + ": " + TcpErrorText(r);
    } else if (name.kind == LinkKind::Serial) {
        const int port = name.comNumber > 0 ? name.comNumber : kDevicePathPort;
        comport = static_cast<uint16_t>(port);
        r = OpenSerialTransport(port, baud, xonxoff, name.device.c_str());
        if (r < 0) {
            const std::string reason = GetComErrorReason(port);
            text = std::string(ComErrorText(r)) + ": " + (reason.empty() ? LinkDevice(name) : reason);
        }
    } else {
        text = "not a link: COM<n>, a device path or tcp:HOST:PORT";
    }
    if (message)
        *message = text;
    return r;
}
