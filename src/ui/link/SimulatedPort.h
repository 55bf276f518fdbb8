// The demonstration's serial port: a simulated controller inside the tool, taking
// its turn on the bus every 20 ms. No port, no hardware, every platform.
#pragma once

#include <QObject>
#include <QTimer>

#include "core/link/SerialPort.h"
#include "core/simulation/ControllerSimulator.h"

namespace vorel {

class SimulatedPort : public QObject, public SerialPort {
  Q_OBJECT

 public:
  static constexpr int kTurnMs = 20;

  explicit SimulatedPort(const ControllerImage& memory, QObject* parent = nullptr);

  void SetEngine(LinkEngine* engine) override { engine_ = engine; }
  bool Open(const std::string& listText) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  std::string LastError() const override { return {}; }
  bool Write(std::span<const uint8_t> bytes) override;

  // A demonstration controller: a small laundry with three machines.
  static ControllerImage DemoMemory();

 private:
  void Turn();

  sim::ControllerSimulator controller_;
  LinkEngine* engine_ = nullptr;
  QTimer timer_;
  bool open_ = false;
};

}  // namespace vorel
