// The request/reply exchange over the line in use, the line check's order,
// and the globals the transports share with it. Kept apart from the scope
// programs' connection code and panels so that a program with a link of its
// own making (the loader, the command-line tool) uses the same exchange
// without those.
#include "exchange.h"

#include "rt_com.h"
#include "rt_tcp.h"
#include "telegram.h"
#include "transport.h"

#include <cstring>

using namespace com232;

uint16_t comport = 1, tcpcon, nBytesW;
unsigned g_hconversation;
int dataSize, bytesToRead, bytesRead;
double tstart, tdiff;

namespace {

constexpr unsigned kCommandWriteMs = 2000;
constexpr unsigned kLineCheckWriteMs = 5000;

LinkHooks g_hooks;

// Only one exchange is on the wire at a time: a request made while another
// waits for its reply (a callback run from inside the wait) is refused.
bool g_exchangeBusy = false;

} // namespace

const char *ComErrorText(int code)
{
    switch (code) {
    case -1: return "Unknown system error";
    case -2: return "Invalid port number";
    case -3: return "Port is not open";
    case -4: return "Unknown I/0 error";
    case -5: return "RS-232 error!";
    case -6: return "No serial port found";
    case -7: return "Cannot open port";
    case -99: return "Timeout";
    default: return "RS-232 error!";
    }
}

const char *TcpErrorText(int code)
{
    static const char *const texts[] = {
        "UnableToRegisterService",
        "UnableToEstablishConnection",
        "ExistingServer",
        "FailedToConnect",
        "ServerNotRegistered",
        "TooManyConversations",
        "ReadFailed",
        "WriteFailed",
        "InvalidParameter",
        "OutOfMemory",
        "TimeOutError ",
        "NoConnectionEstablished ",
        "GeneralIOErr",
        "ConnectionClosed",
        "UnableToLoadWinsockDLL",
        "IncorrectWinsockDLLVersion",
        "NetworkSubsystemNotReady ",
        "ConnectionsStillOpen",
        "DisconnectPending",
        "InfoNotAvailable",
    };
    if (code <= -1 && code >= -20)
        return texts[-code - 1];
    return "Connection to server failed";
}

void SetLinkHooks(const LinkHooks &hooks) { g_hooks = hooks; }

const LinkHooks &CurrentLinkHooks() { return g_hooks; }

bool ExchangeBusy() { return g_exchangeBusy; }

void FlushLink()
{
    if (!g_exchangeBusy)
        CurrentTransport().flush();
}

int WriteTelegram()
{
    int n = -1;
    if (!g_exchangeBusy)
        n = CurrentTransport().write(szWriteBuf, kTelegramBytes, kCommandWriteMs);
    nBytesW = static_cast<uint16_t>(n < 0 ? 0 : n);
    return n;
}

bool Exchange(int replyBytes, double timeout, LinkWait wait, bool flushFirst, unsigned writeTimeoutMs)
{
    if (replyBytes < 1 || replyBytes > kBufSize)
        replyBytes = kTelegramBytes;
    if (g_exchangeBusy) {
        // A nested request: it fails without touching the wire, and the
        // exchange that waits completes undisturbed.
        return false;
    }
    g_exchangeBusy = true;
    const Transport &t = CurrentTransport();
    if (flushFirst)
        t.flush();
    t.expect(replyBytes);
    bytesToRead = replyBytes;
    // The order is taken now: a refused request made during the wait may
    // build its telegram in szWriteBuf.
    const uint16_t sent = GetWord(szWriteBuf, 2);
    const int written = t.write(szWriteBuf, kTelegramBytes, writeTimeoutMs);
    nBytesW = static_cast<uint16_t>(written < 0 ? 0 : written);
    // Without an open line no answer can come: fail at once instead of
    // waiting out the time.
    if (written >= 0)
        t.wait(replyBytes, timeout, wait);
    const int got = t.read(replyBytes);
    bytesToRead = replyBytes - got;
    // A data frame answers with the sync word and the order it answers. One
    // that does not is a late answer to an earlier request (or no data
    // frame at all): it is not taken for this one's.
    if (bytesToRead == 0 && (sent == ORDER_GET_DATA || sent == ORDER_GET_RECDATA) &&
        (GetWord(szReadBuf, 0) != sync || GetWord(szReadBuf, 2) != sent))
        bytesToRead = replyBytes;
    g_exchangeBusy = false;
    return bytesToRead == 0;
}

void GetDataFrame() { Exchange(kTelegramBytes, kExchangeTimeout); }

bool ReadVersionText()
{
    order = ORDER_GET_VERSION;
    FillTxBuf(ORDER_GET_VERSION, 0);
    // Each line waits in its own way (see Transport::lineCheckWait).
    const Transport &t = CurrentTransport();
    Exchange(kTelegramBytes, t.lineCheckWait, t.lineCheckMode, true, kLineCheckWriteMs);
    if (bytesToRead != 0)
        return false;
    std::memcpy(version, szReadBuf, kTelegramBytes);
    version[kTelegramBytes] = version[kTelegramBytes + 1] = '\0';
    return true;
}

void CloseLink()
{
    CloseTransport();
    CloseCom(comport);
    if (tcpcon != 0) {
        DisconnectFromTCPServer(g_hconversation);
        tcpcon = 0;
        g_hconversation = 0;
    }
}
