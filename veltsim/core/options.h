// The command line of veltsim.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "device.h"
#include "model.h"
#include "sensor.h"

namespace veltsim {

struct Options {
  std::optional<std::string> tcpHost;
  int tcpPort = 0;
  std::optional<std::string> ptyLink;
  std::optional<std::string> stateFile;
  std::optional<std::string> logFile;
  std::optional<std::string> sceneFile;
  std::optional<std::string> firmwareOut;
  bool pace = false;
  uint32_t seed = 1;
  SensorSettings sensor;
  ModelSettings model;
  DeviceSettings device;
  bool help = false;
  bool version = false;
};

// Parses argv[1..]; nullopt and *error on a bad command line.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string* error);
// The answer to --help: usage, options, and what a user of the suite needs to
// connect the programs to the simulator.
std::string helpText();

}  // namespace veltsim
