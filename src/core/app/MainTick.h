// The single 100 ms tick that drives every time-out and live display, and the
// fixed order in which it serves the parts of the tool.
#pragma once

namespace vorel {

// The parts served by each tick. A part that does not exist yet keeps the empty
// default.
class TickSteps {
 public:
  virtual ~TickSteps() = default;
  virtual void UpdateCounters() {}  // the link's once-a-second counters
  virtual void LinkTick() {}        // start-up delay, link-alive time-out, remote poll
  virtual bool CalibrationRunning() { return false; }
  virtual void CalibrationTick() {}
  virtual bool FirmwareWindowVisible() { return false; }
  virtual void FirmwareTick() {}
  virtual void TransferTick() {}         // the memory image transfer's time-outs
  virtual void VisibleMachineTicks() {}  // machine windows 1..10 that are shown
};

class MainTick {
 public:
  static constexpr int kTicksPerSecond = 10;

  // One 100 ms tick: the counters on every tenth tick, then the link, the
  // calibration test while it runs, the firmware window while it is shown, the
  // image transfer and the visible machine windows.
  void Tick(TickSteps& steps);

 private:
  int counter_ = 0;
};

}  // namespace vorel
