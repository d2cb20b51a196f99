// The request/reply exchange over the line in use, and the globals the
// transports share with it. Kept apart from the scope programs' connection
// code and panels so that a program with a link of its own making (the
// loader) uses the same exchange without those.
#include "link.h"
#include "telegram.h"
#include "transport.h"

using namespace com232;

uint16_t nBytesW;
int dataSize, bytesToRead, bytesRead;
double tstart, tdiff;

namespace {

constexpr unsigned kCommandWriteMs = 2000;

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
