// The time bytes need on a serial line (8N1: 10 bits a byte), seen from one
// end of it. Time is passed in; nothing here does I/O.
#pragma once
#include <cstddef>

namespace veltsim {

// One direction of a line. Bytes pass once their own wire time has run out:
// the first byte of a burst that finds the line idle passes one byte time
// after it was handed over, never at once, and a line that stood idle has
// saved up nothing. While the line runs, a reader that looks late finds every
// byte that has arrived meanwhile.
class Pacer {
 public:
  explicit Pacer(bool enabled) : enabled_(enabled) {}
  bool enabled() const { return enabled_; }
  bool idle() const { return idle_; }

  // Bytes have been waiting since `since`; an idle line starts sending them then
  // (or when it has sent its last byte, if that is later).
  void start(double since);
  // Nothing waits any more: the line is idle until the next start.
  void stop() { idle_ = true; }
  // Bytes that may pass at `now` (unlimited without pacing; 0 while idle).
  size_t allowance(double now, int baud);
  void consume(size_t bytes, int baud);
  // Seconds from `now` until the next byte may pass; 0 when one may pass now
  // or when the line is idle (then there is nothing to time).
  double wait(double now, int baud) const;
  // When the last byte passed so far had gone over the line: the time the
  // receiving end has it, however late the reader looked.
  double lineTime() const { return free_; }

 private:
  bool enabled_;
  bool idle_ = true;
  double free_ = 0;  // when the line has sent every byte passed so far
};

}  // namespace veltsim
