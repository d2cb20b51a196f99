#include "frames.h"

#include "exchange.h"
#include "packet.h"
#include "rt_core.h"

using namespace com232;

bool FetchDataFrame(uint16_t o)
{
    order = o;
    FillTxBuf(o, 0);
    GetDataFrame();
    if (bytesToRead != 0)
        return false;
    GetRxBufData();
    CopyDatatoVars();
    return true;
}

JobResult RunLive(LiveObserver &observer)
{
    while (!observer.Cancelled()) {
        const bool got = FetchDataFrame(ORDER_GET_DATA);
        if (got)
            observer.Frame();
        else
            observer.Failure(JobResult::LineFailed, "no complete data frame (order 5) within 3 s");
        // The pause services events (Stop, close, repaints) while it lasts.
        Sleep(kLivePauseMs);
        if (!got)
            return JobResult::LineFailed;
    }
    return JobResult::Cancelled;
}
