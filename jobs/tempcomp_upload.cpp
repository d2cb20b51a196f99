#include "tempcomp_upload.h"

#include "exchange.h"
#include "rt_core.h"
#include "telegram.h"
#include "tempcomp_tables.h"
#include "tempcomp_telegrams.h"

#include <algorithm>
#include <string>

using namespace tempcomp;

namespace {

// Every reply of the read-back must be complete within this time.
constexpr double kReplyTimeout = 2.0;
constexpr unsigned kWriteTimeoutMs = 2000;
// Pauses of the upload: after the start order and after every block.
constexpr int kStartPauseMs = 200;
constexpr int kBlockPauseMs = 50;
constexpr int kUploadTelegrams = 1 + kRootBlocks + kChannels * kFactorBlocks;

const char *const kChannelNames[kChannels] = {"red", "green", "blue"};

JobResult timedOut(TempCompObserver &observer, const std::string &text)
{
    observer.TimedOut();
    observer.Failure(JobResult::LineFailed, text);
    return JobResult::LineFailed;
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

// Each entry of `got` that differs from `sent`, told to the observer.
void tellDifferences(const char *table, const uint16_t *sent, const uint16_t *got, int n, JobObserver &observer)
{
    for (int i = 0; i < n; ++i)
        if (sent[i] != got[i])
            observer.Difference(std::string(table) + " " + std::to_string(i) + ": sent " + std::to_string(sent[i]) +
                                ", read " + std::to_string(got[i]));
}

// One upload telegram: written, then the pause. False after a failed write.
bool sendBlock(TempCompObserver &observer, int *done, int pauseMs)
{
    if (!writeTelegram())
        return false;
    observer.Progress(++*done, kUploadTelegrams, "telegrams");
    SleepNoInput(pauseMs);
    return true;
}

JobResult stopped(TempCompObserver &observer)
{
    observer.Failure(JobResult::Cancelled, "stopped: the sensor holds incomplete compensation tables, which stay out "
                                           "of force until a whole upload has arrived");
    return JobResult::Cancelled;
}

} // namespace

JobResult ReadBackCompensation(TempCompObserver &observer)
{
    observer.Step("Reading the tables back");
    bool first = true;
    for (const ReadStep &s : kReadSteps) {
        com232::order = s.order;
        tempcomp::FillTxBuf(s.order, s.arg);
        // The queues are flushed once, before the first request; the waits
        // let no user input through.
        const bool ok = Exchange(s.replyBytes, kReplyTimeout, LinkWait::NoUserInput, first, kWriteTimeoutMs);
        first = false;
        if (!ok && observer.Cancelled()) {
            observer.Failure(JobResult::Cancelled, "stopped during the read-back; the tables were sent");
            return JobResult::Cancelled;
        }
        if (!ok)
            return timedOut(observer, "no complete reply to order " + std::to_string(s.order) + " within 2 s");
        s.store();
    }
    observer.LineWorks();
    const bool equal = TablesMatch();
    observer.Compared(equal);
    if (equal)
        return JobResult::Ok;
    const uint16_t *sent[kChannels] = {dataCfRot, dataCfGruen, dataCfBlau};
    const uint16_t *got[kChannels] = {savedCfRot, savedCfGruen, savedCfBlau};
    for (int c = 0; c < kChannels; ++c)
        tellDifferences((std::string(kChannelNames[c]) + " factor").c_str(), sent[c], got[c], kTempPoints, observer);
    tellDifferences("cube-root entry", data3rdRoot, saved3rdRoot, kRootEntries, observer);
    observer.Failure(JobResult::VerifyDiffers, "the tables read back differ from the ones sent");
    return JobResult::VerifyDiffers;
}

JobResult UploadCompensation(TempCompObserver &observer)
{
    FlushLink();
    observer.Step("Sending the tables");
    int done = 0;
    com232::order = ORDER_TEMPCOMP_START;
    tempcomp::FillTxBuf(ORDER_TEMPCOMP_START, 0);
    if (!sendBlock(observer, &done, kStartPauseMs))
        return timedOut(observer, "the line did not take order 43");
    for (unsigned b = 0; b < kRootBlocks; ++b) {
        if (observer.Cancelled())
            return stopped(observer);
        com232::order = ORDER_SET_ROOT_TABLE;
        FillTxBuf3rdRootX(ORDER_SET_ROOT_TABLE, b);
        if (!sendBlock(observer, &done, kBlockPauseMs))
            return timedOut(observer, "the line did not take order 50 (block " + std::to_string(b) + ")");
    }
    for (int c = 0; c < kChannels; ++c) {
        const unsigned o = ORDER_SET_TEMPCF_RED + static_cast<unsigned>(c);
        for (unsigned b = 0; b < kFactorBlocks; ++b) {
            if (observer.Cancelled())
                return stopped(observer);
            com232::order = static_cast<uint16_t>(o);
            FillTxBufRGB(o, b, c);
            if (!sendBlock(observer, &done, kBlockPauseMs))
                return timedOut(observer, "the line did not take order " + std::to_string(o) + " (block " +
                                              std::to_string(b) + ")");
        }
    }
    observer.Step("Checking the line");
    observer.Reconnect();
    return ReadBackCompensation(observer);
}
