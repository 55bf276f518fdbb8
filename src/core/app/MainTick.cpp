// Tick order of the main timer.
#include "core/app/MainTick.h"

namespace vorel {

void MainTick::Tick(TickSteps& steps) {
  if (counter_ >= kTicksPerSecond - 1) {
    counter_ = 0;
    steps.UpdateCounters();
  } else {
    ++counter_;
  }
  steps.LinkTick();
  if (steps.CalibrationRunning()) steps.CalibrationTick();
  if (steps.FirmwareWindowVisible()) steps.FirmwareTick();
  steps.TransferTick();
  steps.VisibleMachineTicks();
}

}  // namespace vorel
