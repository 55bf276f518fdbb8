// The pump calibration test: the arithmetic from the documented examples and the
// manual-control masks it sets and clears over time.
#include <gtest/gtest.h>

#include "core/supervision/CalibrationTest.h"

namespace vorel {
namespace {

TEST(Calibration, Arithmetic) {
  const struct {
    int t, v, s;
    const char* text;
  } cases[] = {
      {60, 45, 133, "45"}, {60, 100, 60, "100"}, {30, 0, 0, "0"},
      {60, -5, 0, "0"},    {15, 250, 6, "1000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(SecondsPer100ml(c.t, c.v), c.s);
    EXPECT_EQ(NewCalibrationText(c.t, c.v), c.text);
  }
  EXPECT_EQ(MlPerMinute(0), 0);
}

TEST(Calibration, PumpRunsForTheTestTimeAndTheMachineLonger) {
  ManualControl manual;
  CalibrationTest test(manual);
  test.Open(3, 4);  // pump 3 of machine 5
  EXPECT_FALSE(test.Start(0));
  EXPECT_FALSE(test.Running());
  ASSERT_TRUE(test.Start(2));
  const ManualControlState on{0x04, 0x04, 0x0010, 0x0010};
  EXPECT_EQ(manual.State(), on);
  for (int tick = 1; tick < 20; ++tick) EXPECT_FALSE(test.Tick());
  EXPECT_EQ(test.RemainingText(), "0.1");
  EXPECT_TRUE(test.Tick());  // 2 s: the pump stops, the machine output stays
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
}

}  // namespace
}  // namespace vorel
