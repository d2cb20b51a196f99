// The device as the lines see it: one Sensor and its boot firmware behind any
// number of channels (TCP connection, pseudo-terminal). It reassembles telegrams,
// routes bytes to the application or the boot firmware, applies the faults and
// says what to send when. Time is passed in as seconds; nothing here does I/O.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "boot.h"
#include "faults.h"
#include "sensor.h"

namespace veltsim {

enum class ChannelKind { Tcp, Serial };

// Something for a transport to do on one channel, not before `at`.
struct Emission {
  enum Kind { Data, Close } kind = Data;
  int channel = 0;
  double at = 0;
  Bytes bytes;
};

// Everything a Device call produced.
struct Outbox {
  std::vector<Emission> emissions;
  std::vector<std::string> log;                  // JSON lines
  bool saveState = false;                        // the EEPROM changed
  std::optional<FirmwareImage> firmware;  // an image the boot firmware accepted
};

struct DeviceSettings {
  BootSettings boot;
  std::vector<FaultRule> faults;
  double frameGap = 0.5;  // seconds of silence after which a partial telegram is dropped
};

class Device {
 public:
  Device(Sensor& sensor, DeviceSettings settings);

  int addChannel(ChannelKind kind, std::string name);
  void connected(int channel, double now);
  void disconnected(int channel, double now);

  void receive(int channel, std::span<const uint8_t> bytes, double now);
  void tick(double now);
  std::optional<double> nextDeadline() const;

  // Bytes the channel may deliver now (the boot firmware's free buffer space; 0 after XOFF).
  size_t acceptLimit(int channel) const;
  // Wire rate of the channel in the current mode: 19200 or 115200 baud.
  int baud(int channel) const;
  bool bootMode() const { return boot_.active() || bootPendingAt_.has_value(); }

  Outbox take();

 private:
  struct Channel {
    ChannelKind kind = ChannelKind::Tcp;
    std::string name;
    Bytes pending;  // bytes of a telegram not yet complete
    double lastRx = 0;
    int telegrams = 0;    // on the current connection
    double queueEnd = 0;  // time of the last emission, so that replies keep their order
    bool xoff = false;
  };

  void handleTelegram(int channel, std::span<const uint8_t, kTelegramBytes> telegram, double now);
  void emit(int channel, double at, Bytes bytes, Emission::Kind kind = Emission::Data);
  void enterBoot(int channel, double now);
  void bootEvents(const std::vector<BootEvent>& events, double now);
  void updateFlowControl(double now);
  Json line(double now, int channel) const;

  Sensor& sensor_;
  DeviceSettings settings_;
  FaultPlan faults_;
  BootFirmware boot_;
  std::vector<Channel> channels_;
  int bootChannel_ = -1;
  std::optional<double> bootPendingAt_;  // boot firmware starts then (jump answered, or reset)
  Outbox out_;
};

}  // namespace veltsim
