// The 100 ms main tick: which steps run on which tick, and in what order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/MainTick.h"

namespace vorel {
namespace {

class RecordingSteps : public TickSteps {
 public:
  std::vector<std::string> calls;
  bool calibrationRunning = false;
  bool firmwareVisible = false;
  void UpdateCounters() override { calls.push_back("counters"); }
  void LinkTick() override { calls.push_back("link"); }
  bool CalibrationRunning() override { return calibrationRunning; }
  void CalibrationTick() override { calls.push_back("calibration"); }
  bool FirmwareWindowVisible() override { return firmwareVisible; }
  void FirmwareTick() override { calls.push_back("firmware"); }
  void TransferTick() override { calls.push_back("transfer"); }
  void VisibleMachineTicks() override { calls.push_back("machines"); }
};

TEST(MainTick, CountersOnEveryTenthTick) {
  MainTick tick;
  RecordingSteps steps;
  std::vector<int> counterTicks;
  for (int n = 1; n <= 30; ++n) {
    steps.calls.clear();
    tick.Tick(steps);
    if (!steps.calls.empty() && steps.calls.front() == "counters") counterTicks.push_back(n);
  }
  EXPECT_EQ(counterTicks, (std::vector<int>{10, 20, 30}));
}

TEST(MainTick, StepOrder) {
  MainTick tick;
  RecordingSteps steps;
  for (int n = 0; n < 9; ++n) tick.Tick(steps);
  steps.calls.clear();
  steps.calibrationRunning = true;
  steps.firmwareVisible = true;
  tick.Tick(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"counters", "link", "calibration", "firmware",
                                                   "transfer", "machines"}));
  steps.calls.clear();
  steps.calibrationRunning = false;
  steps.firmwareVisible = false;
  tick.Tick(steps);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"link", "transfer", "machines"}));
}

}  // namespace
}  // namespace vorel
