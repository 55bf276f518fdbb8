// The pump calibration test: one pump of one machine run for a chosen time through
// the controller's manual control, the machine's output kept on 1.5 s longer than
// the pump, and the arithmetic that turns the measured volume into the machine
// window's ml per 60 s.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/supervision/SystemSetup.h"

namespace vorel {

namespace calibration {
inline constexpr int kDefaultTestSeconds = 60;  // the test time edit, and a text not a number
inline constexpr int kOkFallbackSeconds = 30;   // the test time OK reads from a text not a number
inline constexpr int kAfterRunTicks = 15;       // the machine output after the pump
inline constexpr int kTicksPerSecond = 10;
// The test time the dialog takes, its own hint "(15..60 sec.)".
inline constexpr int kMinTestSeconds = 15;
inline constexpr int kMaxTestSeconds = 60;
// The controller keeps 1..255 seconds per 100 ml: 24..6000 ml per 60 s, 0 is off.
inline constexpr int kMaxSecondsPer100ml = 255;
inline constexpr int kMinMlPerMinute = 24;
inline constexpr int kMaxMlPerMinute = 6000;
}  // namespace calibration

// Seconds per 100 ml from the test time and the measured volume: (t × 100 + v div 2)
// div v, 0 for v ≤ 0.
int SecondsPer100ml(int testSeconds, int measuredMl);
// The machine window's ml per 60 s: (s div 2 + 6000) div s, 0 for s ≤ 0.
int MlPerMinute(int secondsPer100ml);
// The ml per 60 s that OK may take from a test time and a measured volume: 0 (off)
// for a volume of 0 or less, otherwise only what the controller can store (24..6000);
// nothing for a test time outside 15..60 s or a result it cannot store.
std::optional<int> AcceptedMlPerMinute(int testSeconds, int measuredMl);

class CalibrationTest {
 public:
  explicit CalibrationTest(ManualControl& manual) : manual_(manual) {}

  // The dialog opens for pump 1..7 of machine index 0..9.
  void Open(int pump, int machineIndex) {
    pump_ = pump;
    machineIndex_ = machineIndex;
  }
  // "F2: Start test": for a time of 15..60 s the pump and the machine output go on
  // (and a running test starts its time again). False when nothing started.
  bool Start(int testSeconds);
  // Every 100 ms while Running(). True on the tick the pump stopped.
  bool Tick();
  // The dialog closes: a test still running stops its outputs at once, and the next
  // tick ends it; in the machine's after-run everything goes off and the test ends.
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
