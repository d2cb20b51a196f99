// The measurement model: what the sensor sees (a scene of colour targets), what
// its receiver makes of it (raw and calibrated R, G, B), and how it evaluates
// the colour number from the taught table. README.md describes the model.
#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "config.h"

namespace veltsim {

// One colour target: reflectance per channel (0..1) shown for `seconds`.
struct Target {
  std::string name;
  double r = 0, g = 0, b = 0;
  double seconds = 1;
};

// Targets shown one after the other in an endless cycle.
struct Scene {
  std::vector<Target> targets;
  const Target& at(double t) const;
  // White, red, green, blue and yellow, a few seconds each.
  static Scene builtIn();
  // Lines "NAME R G B SECONDS"; '#' starts a comment. nullopt and *error on bad text.
  static std::optional<Scene> parse(std::string_view text, std::string* error);
};

struct ModelSettings {
  std::optional<double> fixedTemperature;  // °C; otherwise it wanders 20..45 °C
  double temperaturePeriod = 600;          // seconds of one wander cycle
  double noiseAtAverage1 = 30;             // sigma of a raw value at averaging 1; 0: noise-free
};

// A point in the colour plane with its intensity: X, Y, INT or s, i, M.
struct ColourPoint {
  uint16_t a = 0, b = 0, intensity = 0;
};

struct Measurement {
  uint16_t raw[3] = {};  // uncompensated, uncalibrated
  uint16_t cal[3] = {};  // compensated and calibrated
  ColourPoint point;
  uint16_t colour = 255;
  uint16_t group = 0;
  uint16_t temperature = 0;
  uint16_t power = 0;  // transmitter power in use (dynamic mode regulates it)
};

// Calculation mode 0: X = 4095 R/(R+G+B), Y = 4095 G/(R+G+B), INT = (R+G+B)/3.
ColourPoint xyInt(uint16_t r, uint16_t g, uint16_t b);
// Calculation mode 1: s 0..10000, i 0..4000, M 0..1200 from cube roots looked up in `root`.
ColourPoint siM(uint16_t r, uint16_t g, uint16_t b, const std::array<uint16_t, kRootEntries>& root);

struct Evaluation {
  uint16_t colour = 255;
  uint16_t group = 0;
};
// The colour number as the sensor evaluates it from the taught table.
Evaluation evaluateColour(const SensorConfig& config, ColourPoint p);

class MeasurementModel {
 public:
  MeasurementModel(Scene scene, ModelSettings settings, uint32_t seed);
  double temperatureAt(double t) const;
  Measurement measure(const SensorConfig& config, double t);

  // Receiver constants (README.md): counts per unit reflectance and power, channel
  // sensitivities, drift per °C around 25 °C.
  static constexpr double kGain = 8.0;
  static constexpr double kSensitivity[3] = {1.05, 1.0, 0.90};
  static constexpr double kDriftPerDegree[3] = {-0.004, -0.002, 0.0015};
  static constexpr uint16_t kFullScale = 4095;

 private:
  Scene scene_;
  ModelSettings settings_;
  std::mt19937 rng_;
};

}  // namespace veltsim
