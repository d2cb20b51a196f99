// veltsim's command stream: arbitrary bytes on a TCP connection and on the
// serial line, in pieces and at times the input chooses, with connects and
// disconnects between them. The device takes no more than it says it can,
// sends only well-formed replies (echoes, data frames, the version text,
// the tables, the boot firmware's texts and flow control) in time order per
// channel, at most one reply per complete telegram received, and every log
// line is one JSON object.
#include "fuzz_support.h"

#include "device.h"
#include "sensor.h"

#include <algorithm>
#include <cctype>
#include <cstring>

using namespace veltsim;

namespace {

// A minimal JSON reader for the log's lines: one object of strings, numbers
// and booleans, nothing after it, ASCII only.
bool jsonLine(const std::string &s)
{
    size_t i = 0;
    const auto string = [&] {
        if (i >= s.size() || s[i] != '"')
            return false;
        for (++i; i < s.size(); ++i) {
            const auto c = static_cast<unsigned char>(s[i]);
            if (c < 0x20 || c >= 0x7F)
                return false;
            if (c == '"')
                return ++i, true;
            if (c == '\\') {
                if (++i >= s.size())
                    return false;
                if (s[i] == 'u') {
                    const auto hex = [](char h) { return std::isxdigit(static_cast<unsigned char>(h)) != 0; };
                    if (i + 4 >= s.size() || !std::all_of(s.begin() + long(i) + 1, s.begin() + long(i) + 5, hex))
                        return false;
                    i += 4;
                } else if (!std::strchr("\"\\/bfnrt", s[i])) {
                    return false;
                }
            }
        }
        return false;
    };
    if (s.empty() || s[i++] != '{')
        return false;
    if (s == "{}")
        return true;
    for (;;) {
        if (!string() || i >= s.size() || s[i++] != ':')
            return false;
        if (s[i] == '"') {
            if (!string())
                return false;
        } else if (s.compare(i, 4, "true") == 0) {
            i += 4;
        } else if (s.compare(i, 5, "false") == 0) {
            i += 5;
        } else {
            const size_t start = i;
            if (i < s.size() && s[i] == '-')
                ++i;
            while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'))
                ++i;
            if (i == start)
                return false;
        }
        if (i >= s.size())
            return false;
        if (s[i] == '}')
            return i + 1 == s.size();
        if (s[i++] != ',')
            return false;
    }
}

bool isEchoReply(const Bytes &b)
{
    if (b.size() != kTelegramBytes)
        return false;
    const uint16_t w0 = wordAt(b, 0), w1 = wordAt(b, 1);
    if (w0 == kSync)
        return w1 == GetPara || w1 == GetRow || w1 == GetData || w1 == SaveEeprom || w1 == LoadEeprom ||
               w1 == GetRecData || w1 == GetCalibCf;
    if (w0 == kLoaderAnswer)
        return w1 == EepromPage || w1 == EepromWrite || w1 == EepromRead || w1 == JumpBoot;
    return false;
}

bool isBootText(const Bytes &b)
{
    const std::string t(b.begin(), b.end());
    return t == kBootPrompt || t == kBootStarted || t == kBootError || t == "\x11" || t == "\x13";
}

struct Checker {
    Sensor &sensor;
    double lastAt[2] = {0, 0};
    size_t telegramBytes = 0; // bytes given while in application mode
    size_t replies = 0;
    size_t firmwares = 0;

    void check(Outbox out)
    {
        for (const std::string &l : out.log)
            FUZZ_CHECK(jsonLine(l));
        for (const Emission &e : out.emissions) {
            FUZZ_CHECK(e.channel == 0 || e.channel == 1);
            FUZZ_CHECK(e.kind == Emission::Data); // no fault asks for a close
            FUZZ_CHECK(e.at >= lastAt[e.channel]);
            lastAt[e.channel] = e.at;
            if (isBootText(e.bytes))
                continue;
            ++replies;
            const std::string version = sensor.versionText().substr(0, kTelegramBytes);
            Bytes versionReply(kTelegramBytes, 0);
            std::copy(version.begin(), version.end(), versionReply.begin());
            const bool table = e.bytes.size() == 2 * kTempSteps || e.bytes.size() == 2 * 128;
            FUZZ_CHECK(isEchoReply(e.bytes) || e.bytes == versionReply || table);
        }
        FUZZ_CHECK(replies <= telegramBytes / kTelegramBytes);
        if (out.firmware) {
            // Of bounded size: records far apart must not make the simulator
            // allocate the space between them.
            ++firmwares;
            FUZZ_CHECK(out.firmware->size() <= FirmwareImage::kMaxBytes);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    ModelSettings m;
    m.fixedTemperature = 25;
    Sensor sensor(SensorSettings {}, MeasurementModel(Scene {{{"target", 0.9, 0.5, 0.2, 10}}}, m, 1));
    DeviceSettings settings;
    settings.boot.promptDelay = 0.05;
    Device device(sensor, settings);
    const int channels[2] = {device.addChannel(ChannelKind::Tcp, "tcp"), device.addChannel(ChannelKind::Serial, "pty")};
    double now = 0;
    device.connected(channels[0], now);
    device.connected(channels[1], now);
    Checker checker {sensor};
    checker.check(device.take());
    bool up[2] = {true, true};

    while (!in.empty()) {
        const uint8_t op = in.byte();
        const int ch = channels[op & 1];
        switch ((op >> 1) % 8) {
        case 6: // time passes: up to 2.55 s
            now += in.byte() * 0.01;
            break;
        case 7: // the peer goes away or comes back
            if (up[op & 1])
                device.disconnected(ch, now);
            else
                device.connected(ch, now), checker.lastAt[op & 1] = 0; // a new connection, a new queue
            up[op & 1] = !up[op & 1];
            break;
        default: { // bytes from the peer: as many as the device takes now, as a transport hands them over
            const std::string bytes = in.bytes(in.byte());
            const size_t limit = device.acceptLimit(ch);
            const size_t n = std::min(bytes.size(), limit);
            FUZZ_CHECK(limit <= 4096);
            if (!up[op & 1] || n == 0)
                break;
            if (!device.bootMode())
                checker.telegramBytes += n;
            device.receive(ch, std::span(reinterpret_cast<const uint8_t *>(bytes.data()), n), now);
            break;
        }
        }
        // Whatever falls due by now happens, as the event loop does it.
        for (int guard = 0; guard < 16; ++guard) {
            const std::optional<double> due = device.nextDeadline();
            if (!due || *due > now)
                break;
            device.tick(now);
        }
        FUZZ_CHECK(device.baud(ch) == 19200 || device.baud(ch) == 115200);
        checker.check(device.take());
    }
    return 0;
}
