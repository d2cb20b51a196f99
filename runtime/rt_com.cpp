// RS-232 over QSerialPort. Each open port keeps its own input and output
// queue limits and time-out. Waits service events (ProcessSystemEvents), so
// they sleep until the port or a timer wakes the thread.
#include "rt_com.h"
#include "rt_core.h"
#include "rt_coreapp.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kMaxPort = 256;
constexpr int kDefaultQueue = 4096;
constexpr int kMaxQueue = 1 << 20;
constexpr double kDefaultTimeoutS = 10.0;
// With XON/XOFF, bytes are handed to the driver no faster than the line sends
// them, plus this burst; the feeder hands on what is held every few ms.
constexpr double kBurstBytes = 128;
constexpr int kFeedMs = 2;

struct Port {
    std::unique_ptr<QSerialPort> serial;
    std::string device;
    qint64 inQ = kDefaultQueue;
    qint64 outQ = kDefaultQueue;
    double timeoutS = kDefaultTimeoutS;
    bool cts = false;
    bool xmode = false;
    long baud = 0;
    // XON/XOFF output: bytes ComWrt accepted that wait to be handed to the
    // driver. They go at the line's pace, so that when the device sends XOFF
    // the driver holds next to nothing that is on its way already, and while
    // the device holds the line (the driver takes no bytes) none are handed.
    std::string held;
    double credit = 0;
    QElapsedTimer creditClock;
    std::unique_ptr<QTimer> feeder;
};

std::map<int, Port> g_ports;
std::map<int, std::string> g_reasons;

bool validPort(int port) { return port >= 1 && port <= kMaxPort; }

Port *openPort(int port)
{
    auto it = g_ports.find(port);
    if (it == g_ports.end() || !it->second.serial || !it->second.serial->isOpen())
        return nullptr;
    return &it->second;
}

bool exists(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Hands held output to the driver at the line's pace (see Port::held).
void feed(Port &p)
{
    if (p.held.empty())
        return;
    QSerialPort &s = *p.serial;
    const double elapsed = p.creditClock.isValid() ? static_cast<double>(p.creditClock.nsecsElapsed()) / 1e9 : 1.0;
    p.creditClock.restart();
    const double limit = p.xmode && !p.cts ? kBurstBytes : 1e12;
    p.credit = std::min(limit, p.credit + elapsed * static_cast<double>(p.baud) / 10.0);
    if (s.bytesToWrite() > 0)
        s.waitForBytesWritten(0);
    // Bytes the driver has not taken mean the device holds the line: wait.
    if (s.bytesToWrite() == 0) {
        const qint64 n = std::min<qint64>(static_cast<qint64>(p.held.size()), static_cast<qint64>(p.credit));
        if (n > 0) {
            const qint64 w = s.write(p.held.data(), n);
            if (w > 0) {
                p.held.erase(0, static_cast<size_t>(w));
                p.credit -= static_cast<double>(w);
            }
            s.waitForBytesWritten(0);
        }
    }
    if (!p.held.empty() && p.feeder && !p.feeder->isActive())
        p.feeder->start(kFeedMs);
}

// Moves what the device holds into the input queue (up to its limit) and
// the output queue to the device, without servicing any other event, so that
// a caller polling GetInQLen sees new bytes even in a loop without events.
void pump(Port &p)
{
    feed(p);
    QSerialPort &s = *p.serial;
    if (s.bytesToWrite() > 0)
        s.waitForBytesWritten(0);
    if (s.bytesAvailable() < p.inQ)
        s.waitForReadyRead(0);
}

// Software flow control as the line needs it: XOFF/XON from the device hold
// and release our output (only XON releases it, any other byte does not),
// and the driver sends XOFF/XON itself when its input buffer fills.
bool applyFlowControl(Port &p)
{
    QSerialPort &s = *p.serial;
    const auto fc = p.cts     ? QSerialPort::HardwareControl
                    : p.xmode ? QSerialPort::SoftwareControl
                              : QSerialPort::NoFlowControl;
    if (!s.setFlowControl(fc))
        return false;
    termios t {};
    if (::tcgetattr(static_cast<int>(s.handle()), &t) != 0)
        return false;
    if (p.xmode && !p.cts)
        t.c_iflag |= IXON | IXOFF;
    else
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
    t.c_iflag &= ~static_cast<tcflag_t>(IXANY);
    return ::tcsetattr(static_cast<int>(s.handle()), TCSANOW, &t) == 0;
}

// Services events until the condition holds or the port's time-out ends.
template <typename Pred>
bool waitOnPort(int port, Pred done)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        Port *p = openPort(port);
        if (!p)
            return false;
        pump(*p);
        if (done(*p))
            return true;
        if (static_cast<double>(t.elapsed()) >= p->timeoutS * 1000.0)
            return false;
        ProcessSystemEvents();
    }
}

} // namespace

std::string ResolveComDevice(int port)
{
    if (!validPort(port))
        return {};
    const std::string var = "VELTRA_COM" + std::to_string(port);
    if (const char *env = std::getenv(var.c_str()); env && *env)
        return env;
    // COMn is the n-th USB serial adapter when there is one, else the n-th
    // USB modem-class device, else the n-th built-in port.
    const std::string n = std::to_string(port - 1);
    for (const char *prefix : {"/dev/ttyUSB", "/dev/ttyACM"}) {
        const std::string path = prefix + n;
        if (exists(path))
            return path;
    }
    return "/dev/ttyS" + n;
}

std::string GetComErrorReason(int port)
{
    auto it = g_reasons.find(port);
    return it == g_reasons.end() ? std::string() : it->second;
}

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize)
{
    if (!validPort(port))
        return kComInvalidPortNumber;
    if (baudRate <= 0 || baudRate > 4000000 || parity < 0 || parity > 2 || dataBits < 5 || dataBits > 8 ||
        stopBits < 1 || stopBits > 2)
        return kComRs232Error;
    rt::ensureApp();
    CloseCom(port);
    g_reasons.erase(port);

    Port p;
    p.device = deviceName && *deviceName ? deviceName : ResolveComDevice(port);
    p.inQ = inputQueueSize > 0 ? std::min(inputQueueSize, kMaxQueue) : kDefaultQueue;
    p.outQ = outputQueueSize > 0 ? std::min(outputQueueSize, kMaxQueue) : kDefaultQueue;
    p.serial = std::make_unique<QSerialPort>();
    QSerialPort &s = *p.serial;
    s.setPortName(QString::fromLocal8Bit(p.device.c_str()));
    s.setReadBufferSize(p.inQ); // Qt stops reading from the device beyond this

    if (!s.open(QIODevice::ReadWrite)) {
        const auto err = s.error();
        const int savedErrno = errno;
        std::string reason;
        int code = kComCannotOpenPort;
        if (!exists(p.device)) {
            code = kComNoSerialPort;
            reason = std::strerror(ENOENT);
        } else if (err == QSerialPort::PermissionError && ::access(p.device.c_str(), R_OK | W_OK) != 0) {
            reason = std::string(std::strerror(EACCES)) + " \u2014 add the user to the dialout group";
        } else {
            reason = s.errorString().toStdString();
            if (reason.empty() || reason == "Unknown error")
                reason = std::strerror(savedErrno);
        }
        g_reasons[port] = p.device + ": " + reason;
        return code;
    }
    const bool ok = s.setBaudRate(static_cast<qint32>(baudRate)) &&
                    s.setDataBits(static_cast<QSerialPort::DataBits>(dataBits)) &&
                    s.setParity(parity == 0   ? QSerialPort::NoParity
                                : parity == 1 ? QSerialPort::OddParity
                                              : QSerialPort::EvenParity) &&
                    s.setStopBits(stopBits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop) && applyFlowControl(p);
    if (!ok) {
        g_reasons[port] = p.device + ": " + s.errorString().toStdString();
        s.close();
        return kComRs232Error;
    }
    p.baud = baudRate;
    p.feeder = std::make_unique<QTimer>();
    p.feeder->setSingleShot(true);
    p.feeder->setTimerType(Qt::PreciseTimer);
    QObject::connect(p.feeder.get(), &QTimer::timeout, [port] {
        if (Port *q = openPort(port))
            feed(*q);
    });
    // A device error (the adapter unplugged, the other end of a
    // pseudo-terminal gone) closes the port for good: what was queued is
    // dropped, every later call fails at once with kComPortNotOpen instead of
    // retrying the device in a loop, and the reason is kept for the
    // interface panel. Opening the port again starts afresh.
    QSerialPort *raw = p.serial.get();
    QObject::connect(raw, &QSerialPort::errorOccurred, raw, [port, raw](QSerialPort::SerialPortError e) {
        switch (e) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::DeviceNotFoundError:
        case QSerialPort::PermissionError:
        case QSerialPort::UnknownError: break;
        default: return;
        }
        // Closing may raise the error again (its flush fails too): only the
        // first report closes the port.
        static bool closing = false;
        if (closing || !raw->isOpen())
            return;
        closing = true;
        auto it = g_ports.find(port);
        g_reasons[port] =
            (it != g_ports.end() ? it->second.device : std::string()) + ": " + raw->errorString().toStdString();
        raw->close(); // drops what was queued in both directions
        closing = false;
    });
    g_ports[port] = std::move(p);
    return 0;
}

int CloseCom(int port)
{
    if (!validPort(port))
        return kComInvalidPortNumber;
    auto it = g_ports.find(port);
    if (it != g_ports.end()) {
        if (it->second.serial && it->second.serial->isOpen())
            it->second.serial->close();
        g_ports.erase(it);
    }
    return 0;
}

int SetComTime(int port, double timeoutSeconds)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    if (!(timeoutSeconds >= 0.0) || timeoutSeconds > 1e6)
        return kComRs232Error;
    p->timeoutS = timeoutSeconds;
    return 0;
}

int SetCTSMode(int port, int mode)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    p->cts = mode != 0;
    return applyFlowControl(*p) ? 0 : kComRs232Error;
}

int SetXMode(int port, int mode)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    p->xmode = mode != 0;
    return applyFlowControl(*p) ? 0 : kComRs232Error;
}

int FlushInQ(int port)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    // Both our queue and what the driver still holds are dropped.
    return p->serial->clear(QSerialPort::Input) ? 0 : kComUnknownIOError;
}

int FlushOutQ(int port)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    p->held.clear();
    return p->serial->clear(QSerialPort::Output) ? 0 : kComUnknownIOError;
}

int ComWrt(int port, const char *buffer, int count)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    if (!buffer || count < 0)
        return kComRs232Error;
    int written = 0;
    if (p->xmode && !p->cts) {
        // XON/XOFF: the bytes are held and handed on at the line's pace; the
        // queue holds at most its configured size.
        while (written < count) {
            const bool room = waitOnPort(
                port, [](Port &q) { return static_cast<qint64>(q.held.size()) + q.serial->bytesToWrite() < q.outQ; });
            p = openPort(port);
            if (!p)
                return written > 0 ? written : kComPortNotOpen;
            if (!room)
                break;
            const qint64 chunk = std::min<qint64>(
                p->outQ - static_cast<qint64>(p->held.size()) - p->serial->bytesToWrite(), count - written);
            p->held.append(buffer + written, static_cast<size_t>(chunk));
            written += static_cast<int>(chunk);
            feed(*p);
        }
        return written == 0 && count > 0 ? kComTimeout : written;
    }
    // The output queue holds at most its configured size: beyond it, wait
    // (servicing events) until the device takes bytes or the time-out ends.
    while (written < count) {
        const bool room = waitOnPort(port, [](Port &q) { return q.serial->bytesToWrite() < q.outQ; });
        p = openPort(port);
        if (!p)
            return written > 0 ? written : kComPortNotOpen;
        if (!room)
            break;
        const qint64 chunk = std::min<qint64>(p->outQ - p->serial->bytesToWrite(), count - written);
        const qint64 n = p->serial->write(buffer + written, chunk);
        if (n < 0)
            return written > 0 ? written : kComUnknownIOError;
        written += static_cast<int>(n);
        pump(*p);
    }
    if (written == 0 && count > 0)
        return kComTimeout;
    return written;
}

int ComRd(int port, char *buffer, int count)
{
    if (!openPort(port))
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    if (!buffer || count < 0)
        return kComRs232Error;
    waitOnPort(port, [count](Port &q) { return q.serial->bytesAvailable() >= count || count == 0; });
    Port *p = openPort(port);
    if (!p)
        return kComPortNotOpen;
    const qint64 n = p->serial->read(buffer, std::min<qint64>(count, p->serial->bytesAvailable()));
    return n < 0 ? kComUnknownIOError : static_cast<int>(n);
}

int ComRdTerm(int port, char *buffer, int count, int terminationByte)
{
    if (!openPort(port))
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    if (!buffer || count < 0)
        return kComRs232Error;
    if (terminationByte < 0 || terminationByte > 255)
        return ComRd(port, buffer, count);
    const char term = static_cast<char>(terminationByte);
    int got = 0;
    bool found = false;
    // Takes what is queued up to the terminator (dropped) or the count.
    auto take = [&](Port &q) {
        const qint64 avail = q.serial->bytesAvailable();
        const qint64 want = std::min<qint64>(avail, count - got);
        if (want <= 0)
            return;
        const QByteArray peek = q.serial->peek(want);
        const qsizetype at = peek.indexOf(term);
        const qint64 n = at >= 0 ? at : peek.size();
        if (n > 0)
            got += static_cast<int>(q.serial->read(buffer + got, n));
        if (at >= 0) {
            char dropped;
            q.serial->read(&dropped, 1);
            found = true;
        }
    };
    waitOnPort(port, [&](Port &q) {
        take(q);
        return found || got >= count;
    });
    return got;
}

int GetInQLen(int port)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    pump(*p);
    return static_cast<int>(std::min(p->serial->bytesAvailable(), p->inQ));
}

int GetOutQLen(int port)
{
    Port *p = openPort(port);
    if (!p)
        return validPort(port) ? kComPortNotOpen : kComInvalidPortNumber;
    pump(*p);
    // Our own queue (with what XON/XOFF holds back) plus what the driver
    // still holds for the wire: a line counts as drained only when its last
    // byte has left the UART. (A pseudo-terminal reports nothing for the
    // driver's part.)
    int driver = 0;
    if (::ioctl(static_cast<int>(p->serial->handle()), TIOCOUTQ, &driver) != 0 || driver < 0)
        driver = 0;
    const qint64 total = p->serial->bytesToWrite() + static_cast<qint64>(p->held.size()) + driver;
    return static_cast<int>(std::min<qint64>(total, kMaxQueue));
}
