#include "commands.h"

#include "VeltTempCompV61Ids.h" // generated from VeltTempCompV61.uir: panel and control identifiers
#include "VeltTempCompV61Program.h"
#include "charts.h"
#include "link.h"
#include "tables.h"
#include "telegram.h"
#include "telegrams.h"

#include "rt_ui.h"

#include <algorithm>

namespace tempcomp {
bool jobRunning = false;
}

using namespace tempcomp;

namespace {

const char *const kTimeoutText =
    " ATTENTION! \n \n TIMEOUT \n NO SERIAL CONNECTION TO SENSOR.                           \n The version of the "
    "sensor is displayed as the name of this dialog box.";

// Every reply of the read-back must be complete within this time.
constexpr double kReplyTimeout = 2.0;
constexpr unsigned kWriteTimeoutMs = 2000;
// Pauses of the upload: after the start order and after every block.
constexpr int kStartPauseMs = 200;
constexpr int kBlockPauseMs = 50;
constexpr int kSendCfIdleColor = 0xE0E0E0;
constexpr int kSendCfBusyColor = 0xFF0000;

// A failed write or an incomplete reply: reported once, the job ends.
void reportTimeout()
{
    SetStatusText("TIMEOUT");
    MessagePopup(com232::version, kTimeoutText);
}

// Writes the telegram in szWriteBuf; false when not all 36 bytes went out.
bool writeTelegram() { return WriteTelegram() == kTelegramBytes; }

struct ReadStep {
    uint16_t order;
    unsigned arg;
    int replyBytes;
    void (*store)();
};

void storeRootLow()
{
    GetRxBuf3rdRoot();
    std::copy_n(pp, kRootHalf, saved3rdRoot);
}

void storeRootHigh()
{
    GetRxBuf3rdRoot();
    std::copy_n(pp, kRootHalf, saved3rdRoot + kRootHalf);
}

const ReadStep kReadSteps[] = {
    {ORDER_GET_TEMPCF_RED, 0, kFactorReplyBytes,
     [] {
         tempcomp::GetRxBufPara();
         CopyPPtoVarsR();
     }},
    {ORDER_GET_TEMPCF_GREEN, 0, kFactorReplyBytes,
     [] {
         tempcomp::GetRxBufPara();
         CopyPPtoVarsG();
     }},
    {ORDER_GET_TEMPCF_BLUE, 0, kFactorReplyBytes,
     [] {
         tempcomp::GetRxBufPara();
         CopyPPtoVarsB();
     }},
    {ORDER_GET_ROOT_TABLE, 0, kRootReplyBytes, storeRootLow},
    {ORDER_GET_ROOT_TABLE, kRootHalf, kRootReplyBytes, storeRootHigh},
};

// Marks a job as running for its lifetime.
struct JobGuard {
    JobGuard() { jobRunning = true; }
    ~JobGuard() { jobRunning = false; }
    JobGuard(const JobGuard &) = delete;
    JobGuard &operator=(const JobGuard &) = delete;
};

int readBack()
{
    bool first = true;
    for (const ReadStep &s : kReadSteps) {
        com232::order = s.order;
        tempcomp::FillTxBuf(s.order, s.arg);
        // The queues are flushed once, before the first request; the waits
        // let no user input through.
        const bool ok = Exchange(s.replyBytes, kReplyTimeout, LinkWait::NoUserInput, first, kWriteTimeoutMs);
        first = false;
        if (!ok) {
            reportTimeout();
            return -1;
        }
        s.store();
    }
    // Every reply arrived: the line works, whatever an earlier line check
    // left in the status display, so it shows the sensor again.
    if (com232::version[0] != '\0')
        SetStatusText(com232::version);
    CheckSaving();
    return 0;
}

int upload()
{
    CalcCurves();
    CalcCfCurves();
    Calc3rdRoot();
    FlushLink();

    com232::order = ORDER_TEMPCOMP_START;
    tempcomp::FillTxBuf(ORDER_TEMPCOMP_START, 0);
    if (!writeTelegram()) {
        reportTimeout();
        return -1;
    }
    SleepNoInput(kStartPauseMs);

    for (unsigned b = 0; b < kRootBlocks; ++b) {
        com232::order = ORDER_SET_ROOT_TABLE;
        FillTxBuf3rdRootX(ORDER_SET_ROOT_TABLE, b);
        if (!writeTelegram()) {
            reportTimeout();
            return -1;
        }
        SleepNoInput(kBlockPauseMs);
    }
    for (int c = 0; c < kChannels; ++c) {
        const unsigned order = ORDER_SET_TEMPCF_RED + static_cast<unsigned>(c);
        for (unsigned b = 0; b < kFactorBlocks; ++b) {
            com232::order = static_cast<uint16_t>(order);
            FillTxBufRGB(order, b, c);
            if (!writeTelegram()) {
                reportTimeout();
                return -1;
            }
            SleepNoInput(kBlockPauseMs);
        }
    }

    TryToConnect();
    return readBack();
}

} // namespace

int SendPara()
{
    JobGuard guard;
    return upload();
}

int GetPara()
{
    JobGuard guard;
    return readBack();
}

void CheckSaving() { SetCtrlVal(panel, P_DISPRESULT, TablesMatch() ? "SUCCESS" : "FAILURE"); }

int CBF_ButtonSendCF(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT || jobRunning)
        return 0;
    SetCtrlVal(panel, P_DISPRESULT, "TRY TO SAVE");
    SetCtrlAttribute(panel, P_BUTTONSENDCF, ATTR_CMD_BUTTON_COLOR, kSendCfBusyColor);
    SendPara();
    SetCtrlAttribute(panel, P_BUTTONSENDCF, ATTR_CMD_BUTTON_COLOR, kSendCfIdleColor);
    return 0;
}

int CBF_ButtonGet(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT && !jobRunning)
        GetPara();
    return 0;
}
