// Measured data frames: one frame (order 5, or the recorder's order 19) and
// the live loop that fetches them one after the other.
#pragma once

#include "exchange.h"
#include "job.h"

#include <cstdint>

// The pause between two frames of the live loop, in which events are serviced.
constexpr int kLivePauseMs = 50;

struct LiveObserver : JobObserver {
    // A frame has arrived: databuf and the data variables (packet.h) hold it.
    virtual void Frame() {}
};

// Where one program's live loop differs from the main program's.
struct LiveOptions {
    // How long a frame is awaited, seconds (the calibration program: 2.0).
    double replyTimeout = kExchangeTimeout;
    // The pause after each frame; 0 services the pending events once and
    // asks for the next frame at once (the calibration program).
    int pauseMs = kLivePauseMs;
};

// One frame: the request with `order`, the reply decoded into databuf and
// the data variables. False when no complete frame answering the request
// came within `timeout` seconds (nothing is changed then).
bool FetchDataFrame(uint16_t order, double timeout = kExchangeTimeout);

// The live loop: while Cancelled() is false, a frame (order 5), Frame(),
// then the pause. A frame that does not come ends the loop after its pause
// with Failure and LineFailed; Cancelled() ends it with Cancelled.
JobResult RunLive(LiveObserver &observer, const LiveOptions &options = {});
