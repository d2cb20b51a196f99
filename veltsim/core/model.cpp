#include "model.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace veltsim {

const Target& Scene::at(double t) const {
  double cycle = 0;
  for (const auto& target : targets) cycle += target.seconds;
  double pos = cycle > 0 ? std::fmod(std::max(t, 0.0), cycle) : 0;
  for (const auto& target : targets) {
    if (pos < target.seconds) return target;
    pos -= target.seconds;
  }
  return targets.back();
}

Scene Scene::builtIn() {
  return Scene{{{"white", 0.95, 0.95, 0.95, 4},
                {"red", 0.80, 0.10, 0.08, 3},
                {"green", 0.10, 0.70, 0.15, 3},
                {"blue", 0.08, 0.15, 0.75, 3},
                {"yellow", 0.85, 0.80, 0.10, 3}}};
}

std::optional<Scene> Scene::parse(std::string_view text, std::string* error) {
  Scene scene;
  std::istringstream in{std::string(text)};
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream fields(line);
    Target t;
    if (!(fields >> t.name)) continue;  // blank line
    std::string extra;
    if (!(fields >> t.r >> t.g >> t.b >> t.seconds) || (fields >> extra) || t.r < 0 || t.g < 0 || t.b < 0 ||
        t.seconds <= 0) {
      if (error) *error = "scene line " + std::to_string(lineNo) + ": expected NAME R G B SECONDS";
      return std::nullopt;
    }
    scene.targets.push_back(t);
  }
  if (scene.targets.empty()) {
    if (error) *error = "scene has no targets";
    return std::nullopt;
  }
  return scene;
}

ColourPoint xyInt(uint16_t r, uint16_t g, uint16_t b) {
  const uint32_t sum = uint32_t{r} + g + b;
  if (sum == 0) return {};
  return {static_cast<uint16_t>(4095u * r / sum), static_cast<uint16_t>(4095u * g / sum),
          static_cast<uint16_t>(sum / 3)};
}

ColourPoint siM(uint16_t r, uint16_t g, uint16_t b, const std::array<uint16_t, kRootEntries>& root) {
  // Cube roots of the channels (0..4095 -> table index 0..255, entries up to ~16000),
  // then an opponent-colour mapping like L*a*b*: s ~ red-green, i ~ green-blue, M ~ lightness.
  auto cbrt = [&](uint16_t v) { return static_cast<int>(root[std::min<int>(v, 4095) / 16]); };
  const int fr = cbrt(r), fg = cbrt(g), fb = cbrt(b);
  constexpr int kRootMax = 16000;
  auto clamp = [](int v, int hi) { return static_cast<uint16_t>(std::clamp(v, 0, hi)); };
  return {clamp(5000 + (fr - fg) * 5000 / kRootMax, 10000), clamp(2000 + (fg - fb) * 2000 / kRootMax, 4000),
          clamp((fr + fg + fb) * 1200 / (3 * kRootMax), 1200)};
}

Evaluation evaluateColour(const SensorConfig& c, ColourPoint p) {
  Evaluation e;
  const bool groups = c.param(ColorGroup) != 0;
  if (groups) e.group = 255;
  if (p.intensity < c.param(IntLim)) return e;
  const int rows = std::min<int>(c.param(MaxColNo), kRows);
  long long best = -1;
  for (int r = 0; r < rows; ++r) {
    const long long da = static_cast<long long>(p.a) - c.row(r, 0);
    const long long db = static_cast<long long>(p.b) - c.row(r, 1);
    const long long tol = c.row(r, 2);
    const long long dist2 = da * da + db * db;
    const bool inCircle = dist2 <= tol * tol;
    const bool inBand = std::llabs(static_cast<long long>(p.intensity) - c.row(r, 3)) <= c.row(r, 4);
    if (inCircle && inBand && (best < 0 || dist2 < best)) {
      best = dist2;
      e.colour = static_cast<uint16_t>(r);
      if (groups) e.group = c.row(r, 5);
    }
  }
  return e;
}

MeasurementModel::MeasurementModel(Scene scene, ModelSettings settings, uint32_t seed)
    : scene_(std::move(scene)), settings_(settings), rng_(seed) {
  if (scene_.targets.empty()) scene_ = Scene::builtIn();
}

double MeasurementModel::temperatureAt(double t) const {
  if (settings_.fixedTemperature) return *settings_.fixedTemperature;
  const double w = 2 * std::numbers::pi * t / settings_.temperaturePeriod;
  // Starts at 22.5 °C, wanders between 20 and 45 °C.
  return 32.5 - 10.0 * std::cos(w) + 2.5 * std::sin(3.1 * w);
}

Measurement MeasurementModel::measure(const SensorConfig& c, double t) {
  Measurement m;
  const Target& target = scene_.at(t);
  const double refl[3] = {target.r, target.g, target.b};
  const double temp = std::clamp(temperatureAt(t), 0.0, 99.0);
  m.temperature = static_cast<uint16_t>(std::lround(temp));

  // Noise-free signal per unit power, then the power: fixed, or regulated so that
  // the intensity lands in the middle of the dynamic window.
  double perPower[3];
  for (int ch = 0; ch < 3; ++ch)
    perPower[ch] = refl[ch] * kGain * kSensitivity[ch] * (1 + kDriftPerDegree[ch] * (temp - 25));
  double power = std::min<double>(c.param(Power), 1000);
  if (c.param(PMode) == 1) {
    const double lo = std::min(c.param(DynWinLo), c.param(DynWinHi));
    const double hi = std::max(c.param(DynWinLo), c.param(DynWinHi));
    double calibratedPerPower = 0;
    for (int ch = 0; ch < 3; ++ch) calibratedPerPower += perPower[ch] * c.calib[ch] / 1024.0 / 3;
    power = calibratedPerPower > 0 ? std::clamp((lo + hi) / 2 / calibratedPerPower, 1.0, 1000.0) : 1000;
  }
  m.power = static_cast<uint16_t>(std::lround(power));

  const double sigma = settings_.noiseAtAverage1 / std::sqrt(std::max<double>(1, c.param(Average)));
  std::normal_distribution<double> noise(0, sigma > 0 ? sigma : 1);
  const int tempIndex = m.temperature;
  for (int ch = 0; ch < 3; ++ch) {
    const double n = sigma > 0 ? noise(rng_) : 0.0;
    const double raw = std::clamp(perPower[ch] * power + n, 0.0, double{kFullScale});
    m.raw[ch] = static_cast<uint16_t>(std::lround(raw));
    const uint64_t comp = (c.loaded & (1u << ch)) ? c.tempComp[ch][tempIndex] : 1024;
    const uint64_t cal = uint64_t{m.raw[ch]} * comp / 1024 * c.calib[ch] / 1024;
    m.cal[ch] = static_cast<uint16_t>(std::min<uint64_t>(cal, 65535));
  }
  m.point = c.param(CalcMode) == 1 ? siM(m.cal[0], m.cal[1], m.cal[2], c.root)
                                   : xyInt(m.cal[0], m.cal[1], m.cal[2]);
  const Evaluation e = evaluateColour(c, m.point);
  m.colour = e.colour;
  m.group = e.group;
  return m;
}

}  // namespace veltsim
