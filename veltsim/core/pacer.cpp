#include "pacer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veltsim {

namespace {
double byteTime(int baud) { return 10.0 / baud; }
}  // namespace

void Pacer::start(double since) {
  if (!idle_) return;
  idle_ = false;
  free_ = std::max(free_, since);
}

size_t Pacer::allowance(double now, int baud) {
  if (!enabled_) return std::numeric_limits<size_t>::max();
  if (idle_) return 0;
  const double bytes = (now - free_) / byteTime(baud);
  // A hair of tolerance, so that a byte due exactly now is not a round-off late.
  return bytes <= 0 ? 0 : static_cast<size_t>(std::floor(bytes + 1e-9));
}

void Pacer::consume(size_t bytes, int baud) {
  if (enabled_) free_ += static_cast<double>(bytes) * byteTime(baud);
}

double Pacer::wait(double now, int baud) const {
  if (!enabled_ || idle_) return 0;
  return std::max(0.0, free_ + byteTime(baud) - now);
}

}  // namespace veltsim
