// The run loop of the programs without windows: a Qt event loop of their own, the
// session with the serial port and the gateway socket attached, the session's tick
// every 100 ms, and SIGINT or SIGTERM turned into a stop of the work at hand.
#pragma once

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <string>

#include "core/session/Session.h"
#include "io/GatewaySocketAdapter.h"
#include "io/SerialPortAdapter.h"

namespace vorel {

class HeadlessRunner {
 public:
  static constexpr int kTickMs = 100;
  // The exit code of a program stopped by SIGINT or SIGTERM (128 + SIGINT).
  static constexpr int kInterruptedExit = 130;

  explicit HeadlessRunner(AccessFlags access = {});
  ~HeadlessRunner();
  HeadlessRunner(const HeadlessRunner&) = delete;
  HeadlessRunner& operator=(const HeadlessRunner&) = delete;

  Session& CurrentSession() { return session_; }
  SerialPortAdapter& Serial() { return serial_; }
  GatewaySocketAdapter& Socket() { return socket_; }

  // Somebody watches the controller (vorelctl monitor): over the gateway the
  // session asks for the controller's state every 1.1 s, as for the system setup
  // window.
  void SetWatching(bool watching) { hooks_.watching = watching; }

  // Opens the serial port in local mode; false with the port's reason.
  bool OpenSerial(const std::string& device, std::string& why);

  enum class Outcome { kDone, kDeadline, kInterrupted };
  // Ticks the session until `step`, asked after every tick, says the work is done,
  // `deadlineTicks` pass, or a signal arrives (then `interrupted` runs once first, so
  // the work can stop cleanly).
  Outcome Run(const std::function<bool()>& step, int deadlineTicks,
              const std::function<void()>& interrupted = {});
  // Opens the serial port and waits at most `ticks` (0: not at all) for the
  // controller's first frames. kDone when it answers; otherwise `why` says what
  // failed: the port's reason, or "No answer from the controller".
  Outcome ReachController(const std::string& device, int ticks, std::string& why);

 private:
  class Signals;
  struct Hooks : TickHooks {
    bool watching = false;
    bool Supervising() override { return watching; }
  };

  int argc_ = 1;
  char name_[9] = "vorelctl";
  char* argv_[2] = {name_, nullptr};
  QCoreApplication application_{argc_, argv_};
  Session session_;
  SerialPortAdapter serial_;
  GatewaySocketAdapter socket_;
  Attachment serialAttachment_;
  Attachment socketAttachment_;
  std::unique_ptr<Signals> signals_;
  Hooks hooks_;
};

}  // namespace vorel
