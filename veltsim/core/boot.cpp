#include "boot.h"

#include <algorithm>

namespace veltsim {

void BootFirmware::enter(double now) {
  active_ = true;
  promptAt_ = settings_.prompt ? std::optional<double>(now + settings_.promptDelay) : std::nullopt;
  busyUntil_ = now;
  waitingForFlash_ = false;
  lastInput_ = now + settings_.promptDelay;
  records_ = 0;
  buffer_.clear();
  image_ = FirmwareImage{};
  header_.reset();
}

std::vector<BootEvent> BootFirmware::receive(std::string_view text, double now) {
  std::vector<BootEvent> out;
  if (!active_) return out;
  buffer_.append(text.substr(0, freeSpace()));
  lastInput_ = now;
  process(now, out);
  return out;
}

std::vector<BootEvent> BootFirmware::tick(double now) {
  std::vector<BootEvent> out;
  if (!active_) return out;
  if (promptAt_ && now >= *promptAt_) {
    promptAt_.reset();
    out.push_back({BootEvent::Text, decorate(kBootPrompt), {}, {}});
  }
  process(now, out);
  if (active_ && now - lastInput_ >= settings_.idleTimeout) {
    // A record cut off by silence is an error; silence alone restarts the application.
    const bool partial = std::any_of(buffer_.begin(), buffer_.end(), [](char c) { return !isSeparator(c); });
    if (partial) {
      BootEvent e{BootEvent::Failed, buffer_, {}, describe(SRecError::Truncated)};
      finish(std::move(e), out);
    } else {
      finish({BootEvent::TimedOut, {}, {}, {}}, out);
    }
  }
  return out;
}

std::optional<double> BootFirmware::nextDeadline() const {
  if (!active_) return std::nullopt;
  double next = lastInput_ + settings_.idleTimeout;
  if (promptAt_) next = std::min(next, *promptAt_);
  if (waitingForFlash_) next = std::min(next, busyUntil_);
  return next;
}

void BootFirmware::process(double now, std::vector<BootEvent>& out) {
  while (active_) {
    waitingForFlash_ = now < busyUntil_;
    if (waitingForFlash_) return;
    SRecScan scan = scanRecord(buffer_);
    if (scan.status == SRecScan::Incomplete) {
      buffer_.erase(0, scan.consumed);
      return;
    }
    buffer_.erase(0, scan.consumed);
    ++records_;
    if (scan.status == SRecScan::Error) {
      finish({BootEvent::Failed, scan.text, {}, describe(scan.error)}, out);
      return;
    }
    if (settings_.errorAtRecord == records_) {
      finish(
          {BootEvent::Failed, scan.text, scan.record, "fault: error at record " + std::to_string(records_)},
          out);
      return;
    }
    const SRecord& r = scan.record;
    if (r.isData()) {
      // Data the flash cannot hold is refused like a bad record.
      switch (image_.add(r.address, r.data)) {
        case FirmwareImage::AddResult::Added:
          break;
        case FirmwareImage::AddResult::BeyondAddressSpace:
          finish({BootEvent::Failed, scan.text, r, "data beyond address 0xFFFFFFFF"}, out);
          return;
        case FirmwareImage::AddResult::TooLarge:
          finish({BootEvent::Failed, scan.text, r,
                  "image larger than " + std::to_string(FirmwareImage::kMaxBytes >> 20) + " MiB"},
                 out);
          return;
      }
      busyUntil_ = std::max(busyUntil_, now) + settings_.flashSecondsPerRecord;
    }
    out.push_back({BootEvent::Record, scan.text, r, {}});
    if (r.type == '0' && !r.data.empty()) {
      std::string text(r.data.begin(), r.data.end());
      text = text.substr(0, text.find('\0'));
      if (!text.empty()) header_ = text;
    }
    // A file without data would start an application that is not there.
    if (r.isTermination() && image_.empty()) {
      finish({BootEvent::Failed, scan.text, r, "no data records"}, out);
      return;
    }
    if (r.isTermination()) finish({BootEvent::Started, std::string(kBootStarted), {}, {}}, out);
  }
}

void BootFirmware::finish(BootEvent event, std::vector<BootEvent>& out) {
  if (event.kind == BootEvent::Failed) out.push_back({BootEvent::Text, decorate(kBootError), {}, {}});
  if (event.kind == BootEvent::Started) out.push_back({BootEvent::Text, decorate(event.text), {}, {}});
  out.push_back(std::move(event));
  active_ = false;
  promptAt_.reset();
  buffer_.clear();
}

std::string BootFirmware::decorate(std::string_view message) const {
  if (settings_.noiseBytes == 0 && !settings_.nulBytes) return std::string(message);
  // Diagnostic chatter of the kind a boot firmware prints, cut to length;
  // with NULs every 40 characters when both faults apply.
  static constexpr std::string_view kChatter = "boot: sector erased, checksum ok, flash ready.\r\n";
  std::string noise;
  for (size_t i = 0; i < settings_.noiseBytes; ++i) {
    if (settings_.nulBytes && i % 40 == 39)
      noise += '\0';
    else
      noise += kChatter[i % kChatter.size()];
  }
  const std::string nul = settings_.nulBytes ? std::string(2, '\0') : std::string();
  return noise + nul + std::string(message) + nul + noise;
}

}  // namespace veltsim
