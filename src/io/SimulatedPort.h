// The demonstration's serial port: a simulated controller inside the tool, taking
// its turn on the bus every 20 ms. No port, no hardware, every platform.
#pragma once

#include <QObject>
#include <QTimer>

#include "core/simulation/SimulatedLine.h"

namespace vorel {

namespace detail {
// The controller lives before the line that reaches it.
struct DemonstrationController {
  sim::ControllerSimulator controller;
};
}  // namespace detail

class SimulatedPort : public QObject,
                      private detail::DemonstrationController,
                      public sim::SimulatedLine {
  Q_OBJECT

 public:
  static constexpr int kTurnMs = 20;

  explicit SimulatedPort(const ControllerImage& memory, QObject* parent = nullptr);

  bool Open(const std::string& listText) override;
  void Close() override;

  // A demonstration controller: a small laundry of three machines, each running the
  // same wash program.
  static ControllerImage DemoMemory();

 private:
  QTimer timer_;
};

}  // namespace vorel
