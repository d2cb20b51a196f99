#include "params.h"

#include "exchange.h"
#include "packet.h"

#include <algorithm>
#include <string>

using namespace com232;

namespace {

// The exchange time-out of the main program's parameter commands.
constexpr double kReplyTimeout = kExchangeTimeout;
constexpr int kSendTelegrams = 1 + kRows; // order 1 and the rows; the store comes on top

const char *const kParameterNames[16] = {
    "power",   "pmode",   "average",  "evalmode", "hold",     "intlim",     "maxcolno", "outmode",
    "trigger", "exteach", "calcmode", "dynwinlo", "dynwinhi", "colorgroup", "frei15",   "frei16",
};
// The six words of a teach-table row in the packet.
const char *const kRowWordNames[6] = {"X/s", "Y/i", "CTO", "INT/M", "ITO", "group"};

std::string telegramName(uint16_t o, unsigned row)
{
    std::string name = "order " + std::to_string(o);
    if (o == ORDER_SET_ROW || o == ORDER_GET_ROW)
        name += " (row " + std::to_string(row) + ")";
    return name;
}

JobResult timedOut(ParamsObserver &observer, const std::string &text)
{
    observer.TimedOut();
    observer.Failure(JobResult::LineFailed, text);
    return JobResult::LineFailed;
}

JobResult cancelled(ParamsObserver &observer, const std::string &state)
{
    observer.Failure(JobResult::Cancelled, "stopped: " + state);
    return JobResult::Cancelled;
}

// Builds the telegram for order and arg and writes it; true when all 36 bytes went out.
bool sendTelegram(uint16_t o, unsigned arg)
{
    order = o;
    FillTxBuf(o, arg);
    return WriteTelegram() == kTelegramBytes;
}

// One exchange of the read for the telegram just built: the reply decoded
// into pp. False after a time-out (reported).
bool readExchange(ParamsObserver &observer, unsigned row, JobResult *result)
{
    if (!Exchange(kTelegramBytes, kReplyTimeout)) {
        // A wait that Ctrl-C cut short is no failure of the line.
        *result = observer.Cancelled()
                      ? cancelled(observer, "the read was not finished; the sensor is unchanged")
                      : timedOut(observer, "no complete reply to " + telegramName(order, row) + " within 3 s");
        return false;
    }
    GetRxBufPara();
    return true;
}

// The parameter (order 3) or row (order 4) exchange for the telegram in
// szWriteBuf: the reply goes into the variables.
bool Befehl3plus4(ParamsObserver &observer, unsigned row, JobResult *result)
{
    if (!readExchange(observer, row, result))
        return false;
    CopyPPtoVars();
    return true;
}

// The EEPROM load (order 8): false after a time-out or a wrong echo (the
// sensor did not load its EEPROM, so what followed would not be the
// EEPROM's parameters).
bool Befehl6plus8(ParamsObserver &observer, JobResult *result)
{
    order = ORDER_LOAD_EEPROM;
    FillTxBuf(order, 0);
    if (!readExchange(observer, 0, result))
        return false;
    if (pp[0] == sync && pp[1] == order)
        return true;
    observer.LoadNotConfirmed();
    observer.Failure(JobResult::LineFailed,
                     "the sensor answered the EEPROM load (order 8) with a wrong echo; nothing was read");
    *result = JobResult::LineFailed;
    return false;
}

} // namespace

JobResult SendParameterSet(ParaMemory memory, ParamsObserver &observer)
{
    const int total = kSendTelegrams + (memory == ParaMemory::Eeprom ? 1 : 0);
    FlushLink();
    observer.Step("Sending the parameters");
    if (!sendTelegram(ORDER_SET_PARA, 0))
        return timedOut(observer, "the line did not take " + telegramName(ORDER_SET_PARA, 0));
    // The 31 rows follow each other without a pause; the sensor answers none of them.
    for (unsigned r = 0; r < kRows; ++r) {
        observer.Progress(1 + r, total, "telegrams");
        if (observer.Cancelled())
            return cancelled(observer, "the sensor's RAM holds a partly written parameter set (" + std::to_string(r) +
                                           " of 31 rows written)");
        if (!sendTelegram(ORDER_SET_ROW, r))
            return timedOut(observer, "the line did not take " + telegramName(ORDER_SET_ROW, r) +
                                          "; the sensor holds a partly written parameter set");
    }
    observer.Progress(kSendTelegrams, total, "telegrams");
    if (memory == ParaMemory::Eeprom) {
        if (observer.Cancelled())
            return cancelled(observer, "the parameter set is in the sensor's RAM but was not stored in its EEPROM");
        // The sensor confirms the store once its EEPROM is written. The
        // confirmation is read here, so that it is never taken for the
        // answer to the next command; without it (or with a wrong echo) the
        // EEPROM holds no confirmed parameter set.
        observer.Step("Storing the parameters in the EEPROM");
        order = ORDER_SAVE_EEPROM;
        FillTxBuf(order, 0);
        const bool replied = Exchange(kTelegramBytes, kReplyTimeout);
        if (!replied && observer.Cancelled())
            return cancelled(observer, "the store was asked for but not confirmed; the EEPROM may hold the old set");
        if (nBytesW != kTelegramBytes)
            return timedOut(observer, "the line did not take " + telegramName(ORDER_SAVE_EEPROM, 0));
        if (!replied || GetWord(szReadBuf, 0) != sync || GetWord(szReadBuf, 2) != ORDER_SAVE_EEPROM) {
            observer.StoreNotConfirmed();
            observer.Failure(JobResult::LineFailed,
                             std::string("the sensor did not confirm the EEPROM store (order 6): ") +
                                 (replied ? "wrong echo" : "no complete reply within 3 s") +
                                 "; the EEPROM does not hold this parameter set");
            return JobResult::LineFailed;
        }
        observer.Progress(total, total, "telegrams");
    }
    return JobResult::Ok;
}

JobResult ReadParameterSet(ParaMemory memory, ParamsObserver &observer)
{
    const int total = kSendTelegrams + (memory == ParaMemory::Eeprom ? 1 : 0);
    int done = 0;
    JobResult result = JobResult::Ok;
    if (memory == ParaMemory::Eeprom) {
        observer.Step("Loading the EEPROM's parameters");
        if (!Befehl6plus8(observer, &result))
            return result;
        observer.Progress(++done, total, "telegrams");
    }
    observer.Step("Reading the parameters");
    for (int r = -1; r < kRows; ++r) {
        if (observer.Cancelled())
            return cancelled(observer, "the read was not finished; the sensor is unchanged");
        // First the sixteen parameters (order 3), then each row (order 4).
        order = r < 0 ? ORDER_GET_PARA : ORDER_GET_ROW;
        FillTxBuf(order, r < 0 ? 0u : static_cast<unsigned>(r));
        if (!Befehl3plus4(observer, static_cast<unsigned>(std::max(r, 0)), &result))
            return result;
        observer.Progress(++done, total, "telegrams");
    }
    return JobResult::Ok;
}

int CompareParameterSets(const uint16_t sent[kParaWords], const uint16_t got[kParaWords], JobObserver &observer)
{
    int differ = 0;
    for (int w = 0; w < kParaWords; ++w) {
        if (sent[w] == got[w])
            continue;
        ++differ;
        const std::string what = w < 16 ? std::string(kParameterNames[w])
                                        : "row " + std::to_string((w - 16) / 6) + " " + kRowWordNames[(w - 16) % 6];
        observer.Difference(what + ": sent " + std::to_string(sent[w]) + ", read " + std::to_string(got[w]));
    }
    return differ;
}

JobResult VerifyParameterSet(ParaMemory memory, const uint16_t sent[kParaWords], ParamsObserver &observer)
{
    uint16_t expected[kParaWords];
    std::copy_n(sent, kParaWords, expected);
    observer.Step("Reading the parameters back");
    const JobResult r = ReadParameterSet(memory, observer);
    if (r != JobResult::Ok)
        return r;
    CopyVarsToPP();
    const int differ = CompareParameterSets(expected, pp, observer);
    if (differ == 0)
        return JobResult::Ok;
    observer.Failure(JobResult::VerifyDiffers,
                     std::to_string(differ) + (differ == 1 ? " word read back differs from the one sent"
                                                           : " words read back differ from the ones sent"));
    return JobResult::VerifyDiffers;
}
