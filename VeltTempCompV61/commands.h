// Commands of the temperature-compensation program: the upload of the factor
// and cube-root tables, the read-back and its comparison.
#pragma once

namespace tempcomp {
// Set while an upload or a read-back runs. Its waits let only the link's own
// events through, but the reconnect over TCP services the panel, so the
// buttons that would start another job or change the tables are ignored then.
extern bool jobRunning;
} // namespace tempcomp

// The upload: recompute the tables, send order 43, the 32 cube-root blocks
// and the 30 factor blocks, reconnect, read back and compare. Returns 0, or
// -1 after a time-out (reported on the panel).
int SendPara();
// The read-back of the three factor tables and the two halves of the
// cube-root table, then CheckSaving. Returns 0, or -1 after a time-out.
int GetPara();
// "SUCCESS" or "FAILURE" in the result display.
void CheckSaving();
