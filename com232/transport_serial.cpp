// The serial transport: a COM port of the run-time. The reply is counted in
// the port's input queue while the wait sleeps in the event loop, then read
// in one piece.
#include "exchange.h"
#include "rt_com.h"
#include "rt_core.h"
#include "telegram.h"
#include "transport.h"

#include <algorithm>

using namespace com232;

namespace {

int g_port = 0;
// Longest wait for written bytes to leave before a flush drops stale input.
constexpr double kDrainLimit = 2.0;

void serviceOnce(LinkWait mode)
{
    if (mode == LinkWait::Events)
        ProcessSystemEvents();
    else
        ProcessSystemEventsNoInput();
}

void serialFlush()
{
    // What a command wrote is sent, never discarded: wait until the output
    // queue has drained, then drop the input that nobody asked for.
    const double start = Timer();
    while (GetOutQLen(g_port) > 0 && Timer() - start <= kDrainLimit)
        ProcessSystemEventsNoInput();
    FlushInQ(g_port);
}

int serialWrite(const char *buf, int n, unsigned /*timeoutMs*/) { return ComWrt(g_port, buf, n); }

void serialExpect(int /*n*/) { dataSize = 0; }

// A Ctrl-C (InstallInterruptHandler) ends the wait early, as a time-out.
int serialWait(int n, double limit, LinkWait mode)
{
    tstart = Timer();
    do {
        serviceOnce(mode);
        dataSize = GetInQLen(g_port);
        tdiff = Timer() - tstart;
    } while (tdiff <= limit && dataSize < n && !InterruptRequested());
    return dataSize;
}

int serialRead(int max)
{
    if (dataSize < 0)
        dataSize = 0;
    const int n = std::min({dataSize, max, static_cast<int>(sizeof szReadBuf)});
    if (n > 0)
        ComRd(g_port, szReadBuf, n);
    return dataSize;
}

int serialReadAvailable(char *buf, int max)
{
    const int queued = GetInQLen(g_port);
    const int n = std::min(queued, max);
    return n > 0 ? ComRd(g_port, buf, n) : 0;
}

void serialClose() { CloseCom(g_port); }

const Transport kSerialTransport = {
    "RS232",    2.0,        LinkWait::NoUserInput, serialFlush, serialWrite, serialExpect,
    serialWait, serialRead, serialReadAvailable,   serialClose,
};

} // namespace

int OpenSerialTransport(int port, long baud, bool xonxoff, const char *device)
{
    // An open TCP conversation stays open (it is closed by the next TCP open
    // or at program end); it simply is no longer the line in use.
    if (&CurrentTransport() == &kSerialTransport)
        CloseTransport();
    CloseCom(port);
    const int r = OpenComConfig(port, device ? device : "", baud, 0, 8, 1, kBufSize, kBufSize);
    if (r < 0) {
        if (&CurrentTransport() != &kSerialTransport)
            SelectTransport(ClosedTransport());
        return r;
    }
    g_port = port;
    SetComTime(port, 2.0);
    FlushInQ(port);
    FlushOutQ(port);
    SetCTSMode(port, 0);
    SetXMode(port, xonxoff ? 1 : 0);
    SelectTransport(kSerialTransport);
    return 0;
}
