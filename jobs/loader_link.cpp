// The loader's line in its two configurations (the sensor's application at
// 19200 baud, its boot firmware at 115200 baud with XON/XOFF), the
// identification, the answer check of write telegrams and the jump into the
// boot firmware. Every byte goes through the link's transport seam.
#include "exchange.h"
#include "loader.h"
#include "rt_com.h"
#include "rt_core.h"
#include "telegram.h"
#include "transport.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>

using namespace com232;

namespace quillon {

uint16_t comport = 1;
int16_t ret;
char szStatus[52];
int16_t comecho = 1;

namespace {

constexpr long kApplicationBaud = 19200;
constexpr long kBootBaud = 115200;
constexpr double kApplicationTimeout = 2.0;
constexpr double kBootTimeout = 60.0;
constexpr double kIdentifyWait = 1.0;
constexpr double kEchoWait = 3.0;
constexpr double kJumpWait = 2.0;

// The line set by SetLoaderLink; none: COM<comport>.
LinkName g_link;

const char *const InfoEEPROMTransferError =
    " \nFailure! \nError occured while creating EEPROM backup! \nPlease verify sensor power supply, connection "
    "cables and comport settings! \nTry to establish connection again! \nSEE MANUAL!!!\n";

} // namespace

void InitLoaderJobs()
{
    InitTelegramGlobals();
    anzframe = 18;
    com232::sync = 0x55;
    order = 1;
    comport = 1;
    comecho = 1;
    g_link = LinkName {};
    std::fill(std::begin(fileBuf), std::end(fileBuf), 0);
}

void SetLoaderLink(const LinkName &name) { g_link = name; }

int OpenLoaderLine(LoaderLine line, LoaderObserver &obs)
{
    const bool boot = line == LoaderLine::Boot;
    LinkName name = g_link;
    if (name.kind == LinkKind::Invalid) {
        name.kind = LinkKind::Serial;
        name.comNumber = comport;
    }
    CloseTransport();
    std::string message;
    ret = static_cast<int16_t>(OpenLinkName(name, boot ? kBootBaud : kApplicationBaud, boot, &message));
    if (ret < 0) {
        std::snprintf(szStatus, sizeof szStatus, "%s", ComErrorText(ret));
        obs.Status(szStatus);
        obs.Status("\n");
        obs.Step(message);
        return ret;
    }
    if (name.kind == LinkKind::Serial) {
        comport = ::comport; // the number the line was opened under
        SetComTime(comport, boot ? kBootTimeout : kApplicationTimeout);
    }
    FlushLink();
    return ret;
}

JobResult IdentifyLoader(LoaderObserver &obs, std::string *text)
{
    char buf[kBufSize + 1] = {};
    order = ORDER_GET_VERSION;
    FillTxBuf(ORDER_GET_VERSION, 0, 0, 0);
    FlushLink();
    WriteTelegram();
    // The whole second is waited out: the identification text may be 36, 48
    // or 72 bytes long, and only the count at the end tells which.
    const Transport &t = CurrentTransport();
    t.expect(kBufSize);
    const int waiting = t.wait(kBufSize + 1, kIdentifyWait, LinkWait::NoUserInput);
    const int n = std::min(t.read(kBufSize), kBufSize);
    if (waiting == 36 || waiting == 48 || waiting == 72) {
        std::memcpy(buf, szReadBuf, static_cast<size_t>(std::max(n, 0)));
        buf[n > 0 ? n : 0] = '\0'; // the text ends at its first NUL
        *text = buf;
        obs.Status(buf);
        obs.Status("\n");
        return JobResult::Ok;
    }
    text->clear();
    obs.Status("CONNECTION FAILURE \n");
    if (obs.Cancelled()) {
        obs.Failure(JobResult::Cancelled, "Stopped before the identification came; the sensor is unchanged.");
        return JobResult::Cancelled;
    }
    obs.Failure(JobResult::LineFailed, "The sensor gave no identification (" + std::to_string(waiting) +
                                           " bytes came instead of 36, 48 or 72).");
    return JobResult::LineFailed;
}

int ReplyBytes() { return kTelegramBytes - bytesToRead; }

void SetPopupTimeout(LoaderObserver &obs)
{
    comecho = 0;
    obs.Progress(0, 0, "blocks");
    obs.Status(InfoEEPROMTransferError);
}

void CheckEcho(int words, LoaderObserver &obs)
{
    char sent[kTelegramBytes];
    std::memcpy(sent, szWriteBuf, sizeof sent);
    // The telegram goes out and its answer is awaited while events are
    // serviced; the queues were flushed once at the start of the job.
    const bool refused = ExchangeBusy();
    if (!refused)
        Exchange(kTelegramBytes, kEchoWait, LinkWait::Events, false);
    if (refused || nBytesW != kTelegramBytes) {
        // A telegram that did not leave whole has not been written, whatever
        // answer comes back.
        SetPopupTimeout(obs);
        return;
    }
    const int got = ReplyBytes();
    if (got == kTelegramBytes)
        comecho = 1;
    if (!EchoMatches(sent, szReadBuf, got, words))
        SetPopupTimeout(obs);
}

void jmpBF(LoaderObserver &obs)
{
    CopyVarsToPP();
    comecho = 1;
    order = ORDER_JUMP_BOOT;
    FillTxBuf(ORDER_JUMP_BOOT, 0, 0, 0);
    dataSize = 0;
    bytesToRead = kTelegramBytes;
    if (!ExchangeBusy())
        Exchange(kTelegramBytes, kJumpWait, LinkWait::NoUserInput, true);
    if (ReplyBytes() == kTelegramBytes) {
        GetRxBuf();
        if (!JumpAnswerAccepted(pp)) {
            obs.Status("\nCONNECTION FAILURE \n");
            obs.Status("Waiting for HARDWARE RESET \n");
            comecho = 0;
        }
        return;
    }
    // No answer (or not a whole one): the user resets the sensor by hand and
    // its boot firmware starts.
    obs.Status("\nCONNECTION FAILURE \n");
    obs.Status("Waiting for HARDWARE RESET!");
}

} // namespace quillon
