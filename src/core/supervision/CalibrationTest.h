// The pump calibration test: one pump of one machine run for a chosen time through
// the controller's manual control, the machine's output kept on 1.5 s longer than
// the pump, and the arithmetic that turns the measured volume into the machine
// window's ml per 60 s.
#pragma once

#include <cstdint>
#include <string>

#include "core/supervision/SystemSetup.h"

namespace vorel {

namespace calibration {
inline constexpr int kDefaultTestSeconds = 60;  // the test time edit, and a text not a number
inline constexpr int kOkFallbackSeconds = 30;   // the test time OK reads from a text not a number
inline constexpr int kAfterRunTicks = 15;       // the machine output after the pump
inline constexpr int kTicksPerSecond = 10;
}  // namespace calibration

// Seconds per 100 ml from the test time and the measured volume: (t × 100 + v div 2)
// div v, 0 for v ≤ 0.
int SecondsPer100ml(int testSeconds, int measuredMl);
// The machine window's ml per 60 s: (s div 2 + 6000) div s, 0 for s ≤ 0.
int MlPerMinute(int secondsPer100ml);
// What the accepted dialog writes into the machine window's calibration edit ("0"
// for a volume of 0 or less).
std::string NewCalibrationText(int testSeconds, int measuredMl);

class CalibrationTest {
 public:
  explicit CalibrationTest(ManualControl& manual) : manual_(manual) {}

  // The dialog opens for pump 1..7 of machine index 0..9.
  void Open(int pump, int machineIndex) {
    pump_ = pump;
    machineIndex_ = machineIndex;
  }
  // "F2: Start test": for a time above 0 the pump and the machine output go on (and
  // a running test starts its time again). False when nothing started.
  bool Start(int testSeconds);
  // Every 100 ms while Running(). True on the tick the pump stopped.
  bool Tick();
  // The dialog closes: a test still running stops its outputs at once, and the next
  // tick ends it.
  void Close();
  // The connection ended: the outputs go off at once and the test is over.
  void Abort();

  bool Running() const { return running_; }
  bool Testing() const { return testCountdown_ > 0; }
  // "0.0" seconds left while testing.
  std::string RemainingText() const;
  int Pump() const { return pump_; }
  int MachineIndex() const { return machineIndex_; }

 private:
  ManualControl& manual_;
  int pump_ = 0;
  int machineIndex_ = 0;
  int testCountdown_ = 0;
  int afterRunCountdown_ = 0;
  bool running_ = false;
};

}  // namespace vorel
