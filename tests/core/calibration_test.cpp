// The pump calibration test: the arithmetic from the documented examples and the
// manual-control masks it sets and clears over time.
#include <gtest/gtest.h>

#include <optional>

#include "core/supervision/CalibrationTest.h"

namespace vorel {
namespace {

TEST(Calibration, Arithmetic) {
  const struct {
    int t, v, s;
    std::optional<int> accepted;  // what OK takes into the machine window
  } cases[] = {
      {60, 45, 133, 45},
      {60, 100, 60, 100},
      {30, 0, 0, 0},
      {60, -5, 0, 0},
      {15, 250, 6, 1000},
      {60, 20, 300, std::nullopt},  // 20 ml/min
      {60, 12000, 1, 6000},
      {60, 3000000, 0, std::nullopt},  // too much
      {14, 45, 31, std::nullopt},
      {61, 45, 136, std::nullopt},  // the time
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(SecondsPer100ml(c.t, c.v), c.s);
    EXPECT_EQ(AcceptedMlPerMinute(c.t, c.v), c.accepted);
  }
  EXPECT_EQ(MlPerMinute(0), 0);
  EXPECT_EQ(MlPerMinute(calibration::kMaxSecondsPer100ml), calibration::kMinMlPerMinute);
}

TEST(Calibration, PumpRunsForTheTestTimeAndTheMachineLonger) {
  ManualControl manual;
  CalibrationTest test(manual);
  test.Open(3, 4);  // pump 3 of machine 5
  for (const int refused : {0, 14, 61, 214748365}) EXPECT_FALSE(test.Start(refused)) << refused;
  EXPECT_FALSE(test.Running());
  EXPECT_EQ(manual.State(), ManualControlState{});
  ASSERT_TRUE(test.Start(15));
  const ManualControlState on{0x04, 0x04, 0x0010, 0x0010};
  EXPECT_EQ(manual.State(), on);
  for (int tick = 1; tick < 150; ++tick) EXPECT_FALSE(test.Tick());
  EXPECT_EQ(test.RemainingText(), "0.1");
  EXPECT_TRUE(test.Tick());  // 15 s: the pump stops, the machine output stays
  EXPECT_EQ(manual.State(), (ManualControlState{0, 0, 0x0010, 0x0010}));
  for (int tick = 1; tick < calibration::kAfterRunTicks; ++tick) test.Tick();
  EXPECT_TRUE(test.Running());
  test.Tick();  // 1.5 s later everything is back with the controller
  EXPECT_EQ(manual.State(), ManualControlState{});
  EXPECT_FALSE(test.Running());
}

TEST(Calibration, ClosingDuringATestStopsTheOutputsAtOnce) {
  ManualControl manual;
  CalibrationTest test(manual);
  test.Open(1, 0);
  ASSERT_TRUE(test.Start(60));
  for (int tick = 0; tick < 20; ++tick) test.Tick();
  test.Close();
  EXPECT_EQ(manual.State(), ManualControlState{});
  EXPECT_TRUE(test.Tick());  // the next tick ends the test
  EXPECT_FALSE(test.Testing());

  // Closed in the machine's after-run: that output goes off at once as well.
  ASSERT_TRUE(test.Start(15));
  for (int tick = 0; tick < 152; ++tick) test.Tick();
  ASSERT_TRUE(test.Running());
  ASSERT_NE(manual.State(), ManualControlState{});
  test.Close();
  EXPECT_EQ(manual.State(), ManualControlState{});
  EXPECT_FALSE(test.Running());
}

}  // namespace
}  // namespace vorel
