// The TCP transport: a client conversation of the run-time. Reply bytes are
// placed into szReadBuf by the data-ready callback (ClientTCPCB) while the
// wait services events; bytesToRead counts down to 0.
#include "exchange.h"
#include "rt_core.h"
#include "rt_tcp.h"
#include "telegram.h"
#include "transport.h"

#include <algorithm>

using namespace com232;

namespace {

constexpr unsigned kReadMs = 5000;

// True while an exchange over TCP waits for its reply: only then does the
// data-ready callback store bytes in szReadBuf.
bool g_waiting = false;

void tcpFlush()
{
    // Writes complete before ClientTCPWrite returns; drop bytes that arrived
    // while no exchange waited, so that a stale reply is never taken for the
    // answer to the next request.
    if (!tcpcon || !g_hconversation)
        return;
    char scratch[kBufSize];
    for (int guard = 0; guard < 64; ++guard)
        if (ClientTCPRead(g_hconversation, scratch, sizeof scratch, 0) <= 0)
            break;
}

int tcpWrite(const char *buf, int n, unsigned timeoutMs)
{
    if (!tcpcon)
        return -1;
    return ClientTCPWrite(g_hconversation, buf, static_cast<size_t>(n), timeoutMs);
}

void tcpExpect(int n)
{
    bytesToRead = n;
    dataSize = n;
    g_waiting = n > 0;
}

int tcpWait(int /*n*/, double limit, LinkWait mode)
{
    tstart = Timer();
    // A Ctrl-C (InstallInterruptHandler) ends the wait early, as a time-out.
    while (bytesToRead > 0 && tcpcon && !InterruptRequested()) {
        if (mode == LinkWait::Events)
            ProcessSystemEvents();
        else
            ProcessSystemEventsNoInput();
        tdiff = Timer() - tstart;
        if (tdiff > limit)
            break;
    }
    return dataSize - bytesToRead;
}

int tcpRead(int /*max*/)
{
    g_waiting = false;
    return dataSize - bytesToRead;
}

int tcpReadAvailable(char *buf, int max)
{
    if (!tcpcon || max <= 0)
        return 0;
    const int n = ClientTCPRead(g_hconversation, buf, static_cast<size_t>(max), 0);
    return n > 0 ? n : 0;
}

void tcpClose()
{
    if (tcpcon != 0)
        DisconnectFromTCPServer(g_hconversation);
    tcpcon = 0;
    g_hconversation = 0;
}

const Transport kTcpTransport = {
    "TCP/IP", 5.0, LinkWait::Events, tcpFlush, tcpWrite, tcpExpect, tcpWait, tcpRead, tcpReadAvailable, tcpClose,
};

} // namespace

bool TcpReplyWaiting() { return g_waiting && &CurrentTransport() == &kTcpTransport; }

int OpenTcpTransport(const char *host, unsigned port, unsigned timeoutMs)
{
    tcpClose();
    const LinkHooks &hooks = CurrentLinkHooks();
    if (hooks.busy)
        hooks.busy(1);
    unsigned handle = 0;
    const int r = ConnectToTCPServer(&handle, port, host, ClientTCPCB, nullptr, timeoutMs);
    if (hooks.busy)
        hooks.busy(0);
    if (r < 0) {
        SelectTransport(ClosedTransport());
        return r;
    }
    g_hconversation = handle;
    tcpcon = 1;
    SelectTransport(kTcpTransport);
    return 0;
}

int ClientTCPCB(unsigned handle, int event, int /*error*/, void * /*callbackData*/)
{
    if (event == TCP_DISCONNECT) {
        if (CurrentLinkHooks().serverClosed)
            CurrentLinkHooks().serverClosed();
        g_hconversation = 0;
        tcpcon = 0;
    } else if (event == TCP_DATAREADY) {
        if (bytesToRead < 1 || !TcpReplyWaiting()) {
            char scratch[kBufSize];
            ClientTCPRead(handle, scratch, sizeof scratch, kReadMs);
            return 0;
        }
        while (bytesToRead > 0) {
            const int offset = dataSize - bytesToRead;
            if (offset < 0 || offset + bytesToRead > static_cast<int>(sizeof szReadBuf))
                break;
            bytesRead = ClientTCPRead(handle, szReadBuf + offset, static_cast<size_t>(bytesToRead), kReadMs);
            if (bytesRead <= 0)
                break; // a failed read ends the loop; the exchange runs into its time-out
            bytesToRead -= bytesRead;
            // Service events only while bytes are still missing: after the
            // last piece the waiting exchange should see its reply at once.
            if (CurrentLinkHooks().serviceEventsInTcpRead && bytesToRead > 0)
                ProcessSystemEvents();
        }
    }
    return 0;
}
