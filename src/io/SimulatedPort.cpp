// The demonstration's simulated controller on the link.
#include "io/SimulatedPort.h"

#include "core/session/Session.h"
#include "io/FileAccess.h"

namespace vorel {

SimulatedPort::SimulatedPort(const ControllerImage& memory, QObject* parent)
    : QObject(parent),
      DemonstrationController{sim::ControllerSimulator(memory, {})},
      SimulatedLine(controller) {
  connect(&timer_, &QTimer::timeout, this, [this] { Turn(); });
}

bool SimulatedPort::Open(const std::string& listText) {
  SimulatedLine::Open(listText);
  timer_.start(kTurnMs);
  return true;
}

void SimulatedPort::Close() {
  SimulatedLine::Close();
  timer_.stop();
}

ControllerImage SimulatedPort::DemoMemory() {
  Session session;
  session.NewSystem(LocalNow());
  session.EditConfiguration([](SystemConfiguration& config) {
    config.MainSetup.SystemName = "Demonstration laundry";
    for (int m = 0; m < 3; ++m) {
      config.MachineData[m].Enabled = true;
      config.MachineData[m].Comment = "Washer " + std::to_string(m + 1);
    }
  });
  session.PackImage(LocalNow());
  ControllerImage memory = session.Image().image;
  sim::SetIdentity(memory, {}, LocalNow());
  return memory;
}

}  // namespace vorel
