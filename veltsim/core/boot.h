// The sensor's boot firmware (the firmware update seen from the sensor): prompt, S-record
// input with flash pacing, result text. Time is passed in; nothing here does I/O.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "srecord.h"

namespace veltsim {

inline constexpr std::string_view kBootPrompt = "\r\n\r\n Waiting for application S-Record.";
inline constexpr std::string_view kBootStarted = "\r\nApplication started from address 0x00A4\r\n";
inline constexpr std::string_view kBootError = "\r\nError # 02\r\n";

struct BootSettings {
  double promptDelay = 0.5;          // seconds from entering boot mode to the prompt
  bool prompt = true;                // false: the "no prompt" fault
  int errorAtRecord = 0;             // > 0: answer "Error # 02" at this record (fault)
  double flashSecondsPerRecord = 0;  // time to program one data record (0: instant)
  size_t bufferSize = 1024;          // input buffer; XOFF when 3/4 full, XON at 1/4
  double idleTimeout = 10;           // seconds without input after which the application restarts
  size_t noiseBytes = 0;             // fault: other text before and after each message
  bool nulBytes = false;             // fault: NUL bytes around the messages and in the other text
};

// What the boot firmware did; the Device turns these into replies and log lines.
struct BootEvent {
  enum Kind { Text, Record, Started, Failed, TimedOut } kind;
  std::string text;     // Text: characters to send; Record/Failed: the record's characters
  SRecord record;       // Record
  std::string problem;  // Failed: what was wrong
};

class BootFirmware {
 public:
  explicit BootFirmware(BootSettings settings) : settings_(settings) {}

  void enter(double now);
  bool active() const { return active_; }
  size_t buffered() const { return buffer_.size(); }
  // Active, and what is buffered is no complete record: nothing to do without more input.
  bool needsInput() const { return active_ && scanRecord(buffer_).status == SRecScan::Incomplete; }
  size_t freeSpace() const {
    return active_ ? settings_.bufferSize - std::min(buffer_.size(), settings_.bufferSize) : 0;
  }
  const BootSettings& settings() const { return settings_; }

  // Characters from the line; the caller gives at most freeSpace() of them.
  std::vector<BootEvent> receive(std::string_view text, double now);
  // Time-driven work: the prompt, paced flash programming, the idle time-out.
  std::vector<BootEvent> tick(double now);
  std::optional<double> nextDeadline() const;

  const FirmwareImage& image() const { return image_; }
  const std::optional<std::string>& header() const { return header_; }  // S0 text, if any

 private:
  void process(double now, std::vector<BootEvent>& out);
  void finish(BootEvent event, std::vector<BootEvent>& out);
  // A message as sent, with the faults' other text and NULs around it.
  std::string decorate(std::string_view message) const;

  BootSettings settings_;
  bool active_ = false;
  std::optional<double> promptAt_;
  double busyUntil_ = 0;  // flash programming of the last data record ends
  bool waitingForFlash_ = false;
  double lastInput_ = 0;
  int records_ = 0;
  std::string buffer_;
  FirmwareImage image_;
  std::optional<std::string> header_;
};

}  // namespace veltsim
