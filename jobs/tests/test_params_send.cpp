// The parameter write over a line that refuses chosen telegrams: where it
// stops, what it tells the observer, how long it waits for the store's
// confirmation and whether that reply reaches pp, with the main program's
// options and with the calibration program's.
#include "params.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

using namespace com232;

namespace {

// The line: every write is counted and its order kept; the writes whose
// number is in `refused` (1 = order 1) go out with no byte; every reply is
// the store's echo with 0x1234 in word 2.
std::set<int> refused;
std::vector<uint16_t> ordersWritten;
double waitedFor = 0;

int fakeWrite(const char *buf, int n, unsigned)
{
    ordersWritten.push_back(GetWord(buf, 2));
    return refused.count(static_cast<int>(ordersWritten.size())) ? 0 : n;
}
int fakeWait(int n, double limit, LinkWait)
{
    waitedFor = limit;
    return n;
}
int fakeRead(int max)
{
    char reply[kTelegramBytes] = {};
    PutWord(reply, 0, 0x55);
    PutWord(reply, 2, ORDER_SAVE_EEPROM);
    PutWord(reply, 4, 0x1234);
    std::memcpy(szReadBuf, reply, kTelegramBytes);
    return max;
}
const Transport kFakeLine = {
    "fake", 1.0, LinkWait::Events, [] {}, fakeWrite, [](int) {}, fakeWait, fakeRead, [](char *, int) { return 0; },
    [] {}};

struct Counting : ParamsObserver {
    int timedOut = 0, notConfirmed = 0;
    void TimedOut() override { ++timedOut; }
    void StoreNotConfirmed() override { ++notConfirmed; }
};

struct Case {
    const char *name;
    std::set<int> refused;
    ParamsOptions options;
    size_t writes;
    int timedOut;
    JobResult result;
    double waited;    // the store's reply time-out; 0: no store
    uint16_t ppWord2; // pp word 2 afterwards (0 before)
};

const ParamsOptions kCalib = {.replyTimeout = 2.0, .everyRowAfterFailure = true, .storeReplyIntoPacket = true};

} // namespace

TEST(ParamsSend, StopsOrGoesOnAfterARefusedTelegramAndStoresAsAsked)
{
    const Case cases[] = {
        {"all taken", {}, {}, 33, 0, JobResult::Ok, 3.0, 0},
        {"all taken, calib", {}, kCalib, 33, 0, JobResult::Ok, 2.0, 0x1234},
        {"order 1 refused", {1}, {}, 1, 1, JobResult::LineFailed, 0, 0},
        {"order 1 refused, calib", {1}, kCalib, 1, 1, JobResult::LineFailed, 0, 0},
        {"rows 5 and 9 refused", {7, 11}, {}, 7, 1, JobResult::LineFailed, 0, 0},
        {"rows 5 and 9 refused, calib", {7, 11}, kCalib, 32, 2, JobResult::LineFailed, 0, 0},
    };
    InitTelegramGlobals();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SelectTransport(kFakeLine);
        refused = c.refused;
        ordersWritten.clear();
        waitedFor = 0;
        std::memset(pp, 0, sizeof pp);
        Counting observer;
        EXPECT_EQ(SendParameterSet(ParaMemory::Eeprom, observer, c.options), c.result);
        ASSERT_EQ(ordersWritten.size(), c.writes);
        EXPECT_EQ(ordersWritten.front(), ORDER_SET_PARA);
        for (size_t k = 1; k < ordersWritten.size() && k <= kRows; ++k)
            EXPECT_EQ(ordersWritten[k], ORDER_SET_ROW);
        EXPECT_EQ(ordersWritten.back() == ORDER_SAVE_EEPROM, c.waited > 0);
        EXPECT_EQ(observer.timedOut, c.timedOut);
        EXPECT_EQ(observer.notConfirmed, 0);
        EXPECT_EQ(waitedFor, c.waited);
        EXPECT_EQ(pp[2], c.ppWord2);
    }
}
