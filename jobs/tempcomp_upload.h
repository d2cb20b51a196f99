// The compensation upload: the three factor tables and the cube-root table
// into the sensor (orders 43, 50, 40-42), a new line check, and the
// read-back (orders 44-46, 51) compared with what was sent.
#pragma once

#include "job.h"

struct TempCompObserver : JobObserver {
    // A telegram was not written whole, or a reply did not come complete in
    // time; the job ends after it (with Failure).
    virtual void TimedOut() {}
    // Between the upload and the read-back: the line is opened anew and
    // checked (the sensor's version, order 7). A failed check does not end
    // the job: the read-back shows whether the tables arrived.
    virtual void Reconnect() {}
    // Every reply of the read-back has arrived: the line works.
    virtual void LineWorks() {}
    // The read-back compared with the tables sent: true when they are equal.
    virtual void Compared(bool equal) { (void)equal; }
};

// Sends the tables as they stand (dataCfRot, dataCfGruen, dataCfBlau,
// data3rdRoot), then Reconnect and ReadBackCompensation. The caller computes
// the tables first.
JobResult UploadCompensation(TempCompObserver &observer);
// Reads the tables back into savedCfRot ... saved3rdRoot and compares them
// with the computed ones; each differing entry goes to Difference, and the
// result is VerifyDiffers when any differs.
JobResult ReadBackCompensation(TempCompObserver &observer);
