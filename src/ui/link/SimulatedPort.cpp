// The demonstration's simulated controller on the link.
#include "ui/link/SimulatedPort.h"

#include "core/session/Session.h"
#include "io/FileAccess.h"

namespace vorel {

SimulatedPort::SimulatedPort(const ControllerImage& memory, QObject* parent)
    : QObject(parent), controller_(memory, {}) {
  connect(&timer_, &QTimer::timeout, this, &SimulatedPort::Turn);
}

bool SimulatedPort::Open(const std::string&) {
  open_ = true;
  timer_.start(kTurnMs);
  return true;
}

void SimulatedPort::Close() {
  open_ = false;
  timer_.stop();
}

bool SimulatedPort::Write(std::span<const uint8_t> bytes) {
  if (!open_) return false;
  controller_.Receive(bytes);
  return true;
}

void SimulatedPort::Turn() {
  if (!open_ || !engine_) return;
  const std::vector<uint8_t> bytes = controller_.NextTurn();
  engine_->Receive(bytes);
}

ControllerImage SimulatedPort::DemoMemory() {
  Session session;
  session.NewSystem(LocalNow());
  SystemConfiguration& config = session.Configuration();
  config.MainSetup.SystemName = "Demonstration laundry";
  for (int m = 0; m < 3; ++m) {
    config.MachineData[m].Enabled = true;
    config.MachineData[m].Comment = "Washer " + std::to_string(m + 1);
  }
  session.PackImage(LocalNow());
  ControllerImage memory = session.Image().image;
  sim::SetIdentity(memory, {}, LocalNow());
  return memory;
}

}  // namespace vorel
