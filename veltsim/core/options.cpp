#include "options.h"

#include <charconv>

namespace veltsim {

std::string helpText() {
  return R"(Usage: veltsim [--tcp HOST:PORT] [--pty LINKPATH] [OPTION]...
Simulator of the Veltra colour sensor, for tests and demonstrations.

veltsim plays one sensor over loopback TCP and over a pseudo-terminal at once;
the programs of the suite connect to it as to a real sensor.

Transports (at least one; both may be open at once and share one sensor):
  --tcp HOST:PORT        listen for one TCP client at a time; port 0 picks a free
                         port. Prints "TCP <port>".
  --pty LINKPATH         open a pseudo-terminal in raw mode and make LINKPATH a
                         symbolic link to its device. Prints "PTY <device>".

Sensor:
  --state FILE           load the sensor's state (version text, RAM, EEPROM) at
                         start; save it on exit and after every EEPROM write
  --version-text TEXT    version text answered to order 7 (default
                         "VELTSIM COLOUR SENSOR V6.1")
  --id-length N          length of the answer to order 7: 36 (default), 48 or 72
  --scene FILE           colour targets, lines "NAME R G B SECONDS" (reflectances
                         0..1); default: white, red, green, blue, yellow
  --temperature C        fixed temperature in degrees C (default: wanders 20..45)
  --temp-period S        seconds of one temperature wander cycle (default 600)
  --seed N               seed of the measurement noise (default 1)
  --noise SIGMA          noise of a raw value at averaging 1 (default 30; 0: none)

Line and boot firmware:
  --pace                 replies and reading at the wire rate: 19200 baud in
                         application mode, 115200 baud in boot mode
  --prompt-delay-ms MS   delay from the jump order to the boot prompt (default 500)
  --flash-ms MS          time to program one S-record data record (default 0)
  --boot-buffer N        boot firmware input buffer in bytes (default 1024); XOFF
                         on the pseudo-terminal when 3/4 full, XON at 1/4
  --boot-timeout S       boot firmware restarts the application after S seconds
                         without input (default 10)
  --frame-gap-ms MS      drop a partial telegram after MS ms of silence (default 500)
  --fw-out FILE          write the firmware image received (binary, from its
                         lowest address, gaps 0xFF) when the boot firmware accepts it;
                         not written when that binary would exceed 16 MiB (logged)

Diagnostics:
  --log FILE             one JSON object per line for every telegram received and
                         reply sent, boot text, S-record, fault and mode change
  --fault RULE           inject a fault; may be given several times. RULE is
                         KIND[:key=value]... with KIND one of
      noreply                no reply
      short:bytes=K          only the first K bytes of the reply
      long:bytes=K           K bytes (0xEE) too many
      badecho[:word=W]       reply word 1 replaced by W (default: order + 1)
      delay:ms=M             every matching reply M ms late
      split[:ms=M]           reply in two halves M ms apart (default 50)
      close:after=N          close the TCP connection after its N-th telegram
      nojump[:reset_ms=M]    no answer to the jump order 187; boot firmware
                             starts M ms later (default 3000), as after a reset
      noprompt               no prompt in boot mode
      srecerror:nth=N        "Error # 02" at the N-th S-record
      boottext:bytes=N       N bytes of other boot text before and after each boot message
      bootnul                NUL bytes around the boot messages
    Reply faults (noreply, short, long, badecho, delay, split) and nojump take
    the filters order=N (default: every order) and nth=K (only the K-th
    telegram of that order, or of all telegrams without order=).
    Example: --fault noreply:order=8:nth=1 --fault split:ms=100

Other:
  -h, --help             display this help and exit
      --version          output version information and exit
)";
}

namespace {
template <typename T>
bool number(const std::string& s, T& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc{} && p == s.data() + s.size();
}

bool takesValue(const std::string& option) {
  static const char* const kValueOptions[] = {"--tcp",
                                              "--pty",
                                              "--state",
                                              "--log",
                                              "--scene",
                                              "--fw-out",
                                              "--version-text",
                                              "--id-length",
                                              "--temperature",
                                              "--temp-period",
                                              "--noise",
                                              "--seed",
                                              "--prompt-delay-ms",
                                              "--flash-ms",
                                              "--boot-buffer",
                                              "--boot-timeout",
                                              "--frame-gap-ms",
                                              "--fault"};
  for (const char* o : kValueOptions)
    if (option == o) return true;
  return false;
}
}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error) {
  Options o;
  auto fail = [&](const std::string& why) -> std::optional<Options> {
    if (error) *error = why;
    return std::nullopt;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // --help and --version end the parsing: nothing else is done then.
    if (a == "--help" || a == "-h") {
      o.help = true;
      return o;
    }
    if (a == "--version") {
      o.version = true;
      return o;
    }
    if (a == "--pace") {
      o.pace = true;
      continue;
    }
    if (!takesValue(a))
      return fail(a.size() > 1 && a[0] == '-' ? "unknown option '" + a + "'"
                                              : "unexpected argument '" + a + "'");
    if (i + 1 >= args.size()) return fail("option '" + a + "' needs a value");
    const std::string& v = args[++i];
    double d = 0;
    int n = 0;
    if (a == "--tcp") {
      const size_t colon = v.rfind(':');
      if (colon == std::string::npos || !number(v.substr(colon + 1), n) || n < 0 || n > 65535)
        return fail("--tcp: expected HOST:PORT");
      o.tcpHost = v.substr(0, colon);
      o.tcpPort = n;
    } else if (a == "--pty") {
      o.ptyLink = v;
    } else if (a == "--state") {
      o.stateFile = v;
    } else if (a == "--log") {
      o.logFile = v;
    } else if (a == "--scene") {
      o.sceneFile = v;
    } else if (a == "--fw-out") {
      o.firmwareOut = v;
    } else if (a == "--version-text") {
      o.sensor.versionText = v;
    } else if (a == "--id-length") {
      if (!number(v, n) || (n != 36 && n != 48 && n != 72)) return fail("--id-length: 36, 48 or 72");
      o.sensor.idLength = static_cast<size_t>(n);
    } else if (a == "--temperature") {
      if (!number(v, d) || d < 0 || d > 99) return fail("--temperature: 0..99");
      o.model.fixedTemperature = d;
    } else if (a == "--temp-period") {
      if (!number(v, d) || d <= 0) return fail("--temp-period: seconds > 0");
      o.model.temperaturePeriod = d;
    } else if (a == "--noise") {
      if (!number(v, d) || d < 0) return fail("--noise: a value >= 0");
      o.model.noiseAtAverage1 = d;
    } else if (a == "--seed") {
      if (!number(v, o.seed)) return fail("--seed: a number");
    } else if (a == "--prompt-delay-ms") {
      if (!number(v, n) || n < 0) return fail(a + ": milliseconds");
      o.device.boot.promptDelay = n / 1000.0;
    } else if (a == "--flash-ms") {
      if (!number(v, n) || n < 0) return fail(a + ": milliseconds");
      o.device.boot.flashSecondsPerRecord = n / 1000.0;
    } else if (a == "--boot-buffer") {
      if (!number(v, n) || n < 64) return fail("--boot-buffer: at least 64 bytes");
      o.device.boot.bufferSize = static_cast<size_t>(n);
    } else if (a == "--boot-timeout") {
      if (!number(v, d) || d <= 0) return fail("--boot-timeout: seconds > 0");
      o.device.boot.idleTimeout = d;
    } else if (a == "--frame-gap-ms") {
      if (!number(v, n) || n <= 0) return fail(a + ": milliseconds");
      o.device.frameGap = n / 1000.0;
    } else if (a == "--fault") {
      std::string why;
      auto rule = parseFault(v, &why);
      if (!rule) return fail(why);
      o.device.faults.push_back(*rule);
    }
  }
  if (!o.tcpHost && !o.ptyLink) return fail("give --tcp HOST:PORT and/or --pty LINKPATH");
  return o;
}

}  // namespace veltsim
