// The main program's parameter set in the sensor: written (orders 1 and 2,
// with the EEPROM store order 6 and its confirmation), read (with the EEPROM
// load order 8 first, then order 3 and order 4 for each row) and compared
// after a write. The packet goes out from pp and comes back into the
// parameter variables (packet.h), as the main program keeps them.
#pragma once

#include "exchange.h"
#include "job.h"
#include "telegram.h"

#include <cstdint>

// Where in the sensor the parameter set goes to or comes from.
enum class ParaMemory { Ram, Eeprom };

// The parameter jobs' own hooks. Each failure calls one of them and then
// Failure with the job's wording.
struct ParamsObserver : JobObserver {
    // A telegram was not written whole, or a reply did not come complete in time.
    virtual void TimedOut() {}
    // The sensor did not confirm the EEPROM store: no reply (bytesToRead is
    // not 0), or a wrong echo.
    virtual void StoreNotConfirmed() {}
    // The sensor answered the EEPROM load with a wrong echo.
    virtual void LoadNotConfirmed() {}
};

// Where one program's parameter write differs from the main program's.
struct ParamsOptions {
    // How long a reply is awaited, seconds (the calibration program: 2.0).
    double replyTimeout = kExchangeTimeout;
    // A row the line did not take ends the write at once; with this set the
    // remaining rows are still tried (each failed one is told to TimedOut)
    // and only the store is left out, as the calibration program does.
    bool everyRowAfterFailure = false;
    // The store's reply is decoded into pp (GetRxBufPara), so that the
    // program's next telegrams carry its words, as the calibration program's do.
    bool storeReplyIntoPacket = false;
};

// Writes pp (the caller builds it, CopyVarsToPP) into the sensor: order 1,
// then order 2 for rows 0 to 30 back to back, with Eeprom the store order 6
// whose confirmation is read. Nothing is rolled back on a failure: the
// sensor may then hold a partly written set.
JobResult SendParameterSet(ParaMemory memory, ParamsObserver &observer, const ParamsOptions &options = {});

// Reads the sensor's parameter set into the parameter variables (with
// Eeprom: order 8 first, which loads the EEPROM's set into the RAM). A
// failure leaves the variables read so far with their new values.
JobResult ReadParameterSet(ParaMemory memory, ParamsObserver &observer);

// Reads the set back and compares it with `sent` (a whole packet): each
// parameter and row word that differs is told to Difference; VerifyDiffers
// when any did. The parameter variables hold what was read.
JobResult VerifyParameterSet(ParaMemory memory, const uint16_t sent[kParaWords], ParamsObserver &observer);

// Tells observer.Difference about every word of `got` that differs from
// `sent` ("power: sent 300, read 301", "row 4 INT: sent 2000, read 2001");
// returns how many differ.
int CompareParameterSets(const uint16_t sent[kParaWords], const uint16_t got[kParaWords], JobObserver &observer);
