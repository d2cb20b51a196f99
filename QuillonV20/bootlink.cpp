// The loader's serial link in its two configurations (the sensor's
// application at 19200 baud, its boot firmware at 115200 baud with
// XON/XOFF), the identification, the answer checks and the jump into the
// boot firmware. Every byte goes through the link's transport seam.
#include "QuillonV20Program.h"

#include "QuillonV20Ids.h"
#include "link.h"
#include "loaderdata.h"
#include "rt_com.h"
#include "telegram.h"
#include "transport.h"

#include <cstdio>
#include <cstring>

using namespace com232;

namespace quillon {

uint16_t comport = 1;
int16_t ret;
char szStatus[52];

namespace {

constexpr long kApplicationBaud = 19200;
constexpr long kBootBaud = 115200;
constexpr double kApplicationTimeout = 2.0;
constexpr double kBootTimeout = 60.0;
constexpr double kIdentifyWait = 1.0;
constexpr double kEchoWait = 3.0;
constexpr double kJumpWait = 2.0;

const char *const InfoButtonTryToConnect = "Try to connect sensor.";
const char *const InfoEEPROMTransferError =
    " \nFailure! \nError occured while creating EEPROM backup! \nPlease verify sensor power supply, connection "
    "cables and comport settings! \nTry to establish connection again! \nSEE MANUAL!!!\n";

// Opens comport in one of the two configurations; a failure leaves its text
// in the status window.
void openPort(long baud, bool xonxoff, double timeout)
{
    CloseTransport();
    ret = static_cast<int16_t>(OpenSerialTransport(comport, baud, xonxoff));
    if (ret < 0) {
        std::snprintf(szStatus, sizeof szStatus, "%s", ComErrorText(ret));
        AppendStatus(szStatus);
        AppendStatus("\n");
        return;
    }
    SetComTime(comport, timeout);
    FlushLink();
}

} // namespace

void InitRS232() { openPort(kApplicationBaud, false, kApplicationTimeout); }

void InitRS232PL() { openPort(kBootBaud, true, kBootTimeout); }

void TryToConnect()
{
    CloseTransport();
    int port = 1;
    if (mainpanel)
        GetCtrlVal(mainpanel, MAINP_EDITSELECTCOMPORT, &port);
    comport = static_cast<uint16_t>(port);
    InitRS232();
    // A port that did not open cannot answer; its error text stands.
    if (ret >= 0)
        CheckComLine();
}

void CheckComLine()
{
    char text[kBufSize + 1] = {};
    order = ORDER_GET_VERSION;
    FillTxBuf(ORDER_GET_VERSION, 0, 0, 0);
    FlushLink();
    WriteLoaderTelegram();
    // The whole second is waited out: the identification text may be 36, 48
    // or 72 bytes long, and only the count at the end tells which.
    const Transport &t = CurrentTransport();
    const int waiting = t.wait(kBufSize + 1, kIdentifyWait, LinkWait::NoUserInput);
    if (waiting == 36 || waiting == 48 || waiting == 72) {
        const int n = t.readAvailable(text, waiting);
        text[n > 0 ? n : 0] = '\0'; // the text ends at its first NUL
        AppendStatus(text);
        AppendStatus("\n");
    } else {
        AppendStatus("CONNECTION FAILURE \n");
    }
}

int WriteLoaderTelegram() { return WriteTelegram(); }

void SetPopupTimeout()
{
    comecho = 0;
    SetProgress(0);
    AppendStatus(InfoEEPROMTransferError);
}

void CheckEcho(int words)
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
        SetPopupTimeout();
        return;
    }
    if (dataSize == kTelegramBytes)
        comecho = 1;
    if (!EchoMatches(sent, szReadBuf, dataSize, words))
        SetPopupTimeout();
}

void jmpBF()
{
    CopyVarsToPP();
    comecho = 1;
    order = ORDER_JUMP_BOOT;
    FillTxBuf(ORDER_JUMP_BOOT, 0, 0, 0);
    dataSize = 0;
    if (!ExchangeBusy())
        Exchange(kTelegramBytes, kJumpWait, LinkWait::NoUserInput, true);
    if (dataSize == kTelegramBytes) {
        GetRxBuf();
        if (!JumpAnswerAccepted(pp)) {
            AppendStatus("\nCONNECTION FAILURE \n");
            AppendStatus("Waiting for HARDWARE RESET \n");
            comecho = 0;
        }
        return;
    }
    // No answer (or not a whole one): the user resets the sensor by hand and
    // its boot firmware starts.
    AppendStatus("\nCONNECTION FAILURE \n");
    AppendStatus("Waiting for HARDWARE RESET!");
}

} // namespace quillon

using namespace quillon;

int CBF_ButtonTryToConnect(int, int, int event, void *, int, int)
{
    if (HelpOnRightClick(event, InfoButtonTryToConnect))
        return 0;
    if (event == EVENT_COMMIT) {
        SetButtonsDimmed(1);
        quillon::TryToConnect();
        SetButtonsDimmed(0);
    }
    return 0;
}
