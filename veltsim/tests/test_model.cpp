// The measurement model and the colour evaluation.
#include <gtest/gtest.h>

#include <algorithm>

#include "support.h"

using namespace veltsim;
using namespace veltsim::test;

namespace {
// A configuration with `rows` rows checked and row r taught at (a, b) +- tol, intensity 2000 +- 500.
SensorConfig taught(int rows) {
  SensorConfig c = SensorConfig::factoryDefaults();
  c.packet[MaxColNo] = static_cast<uint16_t>(rows);
  c.packet[IntLim] = 100;
  auto teach = [&](int r, uint16_t a, uint16_t b, uint16_t tol, uint16_t group) {
    const uint16_t row[6] = {a, b, tol, 2000, 500, group};
    std::copy(row, row + 6, c.packet.begin() + kParamCount + r * kRowWords);
  };
  teach(0, 1000, 1000, 100, 3);
  teach(1, 1150, 1000, 100, 4);  // overlaps row 0
  teach(2, 3000, 500, 50, 5);
  return c;
}
}  // namespace

// Inside a taught circle gives that row, the nearest matching row wins;
// outside every circle or band, below the intensity limit, or in a row from
// maxcolno on gives 255.
TEST(ColourEvaluation, TaughtRowsAndTheLimits) {
  struct Case {
    int rows, intLim;
    ColourPoint p;
    int colour;
  } cases[] = {
      {3, 100, {3000, 520, 2100}, 2},
      {3, 100, {1000, 1100, 1500}, 0},  // on the circle, at the band's
                                        // edge
      {3, 100, {1060, 1000, 2000}, 0},
      {3, 100, {1090, 1000, 2000}, 1},
      {3, 100, {2000, 2000, 2000}, 255},
      {3, 100, {1071, 1071, 2000}, 255},  // 100.4 from row 0, 115 from row 1
      {3, 100, {3000, 500, 2501}, 255},   // above the intensity band
      {3, 2200, {3000, 500, 2100}, 255},  // below the intensity limit
      {3, 2200, {3000, 500, 2200}, 2},
      {2, 100, {3000, 500, 2000}, 255},  // row 2 is not checked
      {200, 100, {3000, 500, 2000}, 2},  // more than 31 rows: all 31
  };
  for (const Case& c : cases) {
    SensorConfig config = taught(c.rows);
    config.packet[IntLim] = static_cast<uint16_t>(c.intLim);
    EXPECT_EQ(evaluateColour(config, c.p).colour, c.colour) << c.p.a << "," << c.p.b << "," << c.p.intensity;
  }
}

// Groups count only when they are active.
TEST(ColourEvaluation, GroupOnlyWhenGroupsAreActive) {
  SensorConfig c = taught(3);
  EXPECT_EQ(evaluateColour(c, {3000, 500, 2000}).group, 0);
  c.packet[ColorGroup] = 1;
  EXPECT_EQ(evaluateColour(c, {3000, 500, 2000}).group, 5);
  EXPECT_EQ(evaluateColour(c, {0, 0, 2000}).group, 255);
}

TEST(Model, CalculationModes) {
  const ColourPoint p = xyInt(1000, 2000, 1095);
  EXPECT_TRUE(p.a == 1000 && p.b == 2000 && p.intensity == 1365);
  EXPECT_EQ(xyInt(0, 0, 0).intensity, 0);
  const auto root = standardRootTable();
  const ColourPoint grey = siM(2000, 2000, 2000, root);
  EXPECT_TRUE(grey.a == 5000 && grey.b == 2000);
  for (const ColourPoint q :
       {siM(4095, 0, 0, root), siM(0, 4095, 0, root), siM(0, 0, 4095, root), siM(65535, 65535, 65535, root)})
    EXPECT_TRUE(q.a <= 10000 && q.b <= 4000 && q.intensity <= 1200);
  EXPECT_GT(siM(4095, 0, 0, root).a, 9000);
}

// Raw values follow power and temperature (red falls, blue rises); calibrated
// ones the factors and a loaded compensation table.
TEST(Model, RawFollowsPowerAndTemperatureCalibratedTheFactorsAndTables) {
  SensorConfig c = SensorConfig::factoryDefaults();
  c.packet[Average] = 0x8000;  // practically no noise
  const auto measure = [&](double temperature) {
    return MeasurementModel(Scene{{{"w", 0.5, 0.5, 0.5, 1}}}, ModelSettings{temperature}, 1).measure(c, 0);
  };
  c.packet[Power] = 400;
  const Measurement a = measure(25);
  EXPECT_NEAR(a.raw[0], 0.5 * 8.0 * 1.05 * 400, 1);
  c.packet[Power] = 200;
  c.calib = {2048, 1024, 512};
  const Measurement b = measure(25);
  for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(a.raw[ch], 2 * b.raw[ch], 2);
  EXPECT_TRUE(b.cal[0] == b.raw[0] * 2 && b.cal[2] == b.raw[2] / 2);

  c.calib = {1024, 1024, 1024};
  const Measurement cold = measure(20), warm = measure(45);
  EXPECT_GT(cold.raw[0], warm.raw[0]);
  EXPECT_LT(cold.raw[2], warm.raw[2]);
  EXPECT_EQ(warm.temperature, 45);
  MeasurementModel wander(Scene::builtIn(), ModelSettings{}, 1);
  double lo = 99, hi = 0;
  for (int t = 0; t < 600; ++t) {
    lo = std::min(lo, wander.temperatureAt(t));
    hi = std::max(hi, wander.temperatureAt(t));
  }
  EXPECT_TRUE(lo >= 20 && hi <= 45 && hi - lo > 15) << lo << " " << hi;

  c.tempComp[0].fill(512);
  const Measurement off = measure(30);
  c.loaded = LoadedRed;
  const Measurement on = measure(30);
  EXPECT_EQ(off.cal[0], off.raw[0]);
  EXPECT_TRUE(on.cal[0] == on.raw[0] / 2 && on.cal[1] == on.raw[1]);
}

TEST(Model, DynamicPowerKeepsIntensityInTheWindow) {
  SensorConfig c = SensorConfig::factoryDefaults();
  c.packet[PMode] = 1;
  c.packet[Average] = 64;
  for (double refl : {0.6, 0.75, 0.9}) {
    MeasurementModel m(Scene{{{"w", refl, refl * 0.9, refl * 0.8, 1}}}, ModelSettings{33.0}, 1);
    const Measurement x = m.measure(c, 0);
    EXPECT_TRUE(x.point.intensity >= 3000 && x.point.intensity <= 3500 && x.power < 1000) << refl;
  }
  // A dark target cannot reach the window: full power.
  MeasurementModel dark(Scene{{{"d", 0.1, 0.1, 0.1, 1}}}, ModelSettings{33.0}, 1);
  EXPECT_EQ(dark.measure(c, 0).power, 1000);
}

TEST(Model, SceneCyclesAndParses) {
  std::string error;
  const auto scene = Scene::parse("# comment\nwhite 1 1 1 2\nred 0.9 0.1 0.1 3  # trailing\n", &error);
  ASSERT_TRUE(scene);
  EXPECT_EQ(scene->at(1.9).name, "white");
  EXPECT_EQ(scene->at(2.1).name, "red");
  EXPECT_EQ(scene->at(5.5).name, "white");
  EXPECT_FALSE(Scene::parse("white 1 1\n", &error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
}
