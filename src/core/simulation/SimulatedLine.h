// A serial port with a simulated controller at its other end, stepped by its owner
// (the demonstration's timer, a test, the soak): what the tool writes reaches the
// controller, each turn delivers what the controller says. The controller can go
// quiet, as one does when its cable is pulled, and another can take its place.
#pragma once

#include <string>

#include "core/link/SerialPort.h"
#include "core/simulation/ControllerSimulator.h"

namespace vorel::sim {

class SimulatedLine : public SerialPort {
 public:
  explicit SimulatedLine(ControllerSimulator& controller) : controller_(&controller) {}

  void SetEngine(LinkEngine* engine) override { engine_ = engine; }
  bool Open(const std::string&) override {
    open_ = true;
    return true;
  }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  std::string LastError() const override { return {}; }
  bool Write(std::span<const uint8_t> bytes) override {
    if (!open_) return false;
    if (!quiet_) controller_->Receive(bytes);
    return true;
  }

  // One turn of the controller on the bus.
  void Turn() {
    if (open_ && engine_ && !quiet_) engine_->Receive(controller_->NextTurn());
  }
  // The controller neither hears nor answers while quiet.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  // Another controller at the end of the line.
  void Connect(ControllerSimulator& controller) { controller_ = &controller; }
  ControllerSimulator& Controller() { return *controller_; }

 private:
  ControllerSimulator* controller_;
  LinkEngine* engine_ = nullptr;
  bool open_ = false;
  bool quiet_ = false;
};

}  // namespace vorel::sim
