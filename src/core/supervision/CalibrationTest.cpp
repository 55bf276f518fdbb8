// The pump calibration test and its arithmetic.
#include "core/supervision/CalibrationTest.h"

#include <cstdio>

namespace vorel {

using namespace calibration;

int SecondsPer100ml(int testSeconds, int measuredMl) {
  if (measuredMl <= 0) return 0;
  return (testSeconds * 100 + measuredMl / 2) / measuredMl;
}

int MlPerMinute(int secondsPer100ml) {
  if (secondsPer100ml <= 0) return 0;
  return (secondsPer100ml / 2 + 6000) / secondsPer100ml;
}

std::optional<int> AcceptedMlPerMinute(int testSeconds, int measuredMl) {
  if (testSeconds < kMinTestSeconds || testSeconds > kMaxTestSeconds) return std::nullopt;
  if (measuredMl <= 0) return 0;
  const int perMinute = MlPerMinute(SecondsPer100ml(testSeconds, measuredMl));
  if (perMinute < kMinMlPerMinute || perMinute > kMaxMlPerMinute) return std::nullopt;
  return perMinute;
}

bool CalibrationTest::Start(int testSeconds) {
  afterRunCountdown_ = 0;
  // Outside the hint's range a test either means nothing or, times ten, overflows
  // the countdown and leaves the outputs on.
  if (pump_ < 1 || pump_ > manual::kPumps || testSeconds < kMinTestSeconds ||
      testSeconds > kMaxTestSeconds)
    return false;
  running_ = true;
  const auto pumpBit = static_cast<uint8_t>(1u << (pump_ - 1));
  const auto machineBit = static_cast<uint16_t>(1u << machineIndex_);
  manual_.SetPumps(pumpBit, pumpBit);
  manual_.SetMachines(machineBit, machineBit);
  testCountdown_ = testSeconds * kTicksPerSecond;
  return true;
}

bool CalibrationTest::Tick() {
  if (testCountdown_ >= 1) {
    if (--testCountdown_ > 0) return false;
    afterRunCountdown_ = kAfterRunTicks;
    manual_.SetPumps(0, 0);
    return true;
  }
  if (afterRunCountdown_ >= 1 && --afterRunCountdown_ == 0) {
    manual_.SetPumps(manual_.State().pumpOn, 0);
    manual_.SetMachines(0, 0);
    running_ = false;
  }
  return false;
}

void CalibrationTest::Close() {
  if (testCountdown_ > 0) {
    manual_.SetPumps(0, 0);
    manual_.SetMachines(0, 0);
    testCountdown_ = 1;
    return;
  }
  if (running_) Abort();  // the machine's after-run: off at once too
}

void CalibrationTest::Abort() {
  manual_.SetPumps(0, 0);
  manual_.SetMachines(0, 0);
  testCountdown_ = 0;
  afterRunCountdown_ = 0;
  running_ = false;
}

std::string CalibrationTest::RemainingText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", testCountdown_ / static_cast<double>(kTicksPerSecond));
  return text;
}

}  // namespace vorel
