#include "frames.h"

#include "exchange.h"
#include "packet.h"
#include "rt_core.h"

#include <cstdio>

using namespace com232;

bool FetchDataFrame(uint16_t o, double timeout)
{
    order = o;
    FillTxBuf(o, 0);
    if (!Exchange(kTelegramBytes, timeout))
        return false;
    GetRxBufData();
    CopyDatatoVars();
    return true;
}

JobResult RunLive(LiveObserver &observer, const LiveOptions &options)
{
    char failure[64];
    std::snprintf(failure, sizeof failure, "no complete data frame (order 5) within %g s", options.replyTimeout);
    while (!observer.Cancelled()) {
        const bool got = FetchDataFrame(ORDER_GET_DATA, options.replyTimeout);
        if (got)
            observer.Frame();
        else
            observer.Failure(JobResult::LineFailed, failure);
        // The pause services events (Stop, close, repaints) while it lasts.
        Sleep(options.pauseMs);
        if (!got)
            return JobResult::LineFailed;
    }
    return JobResult::Cancelled;
}
