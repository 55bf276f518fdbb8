// What the verbs share about their event loop: reaching the controller on the
// headless runner, and a bare event loop for a verb that needs Qt's services but
// no controller (the port search).
#pragma once

#include <QCoreApplication>
#include <optional>
#include <ostream>
#include <string>

#include "Verbs.h"
#include "io/HeadlessRunner.h"

namespace vorelctl {

// How long the verbs wait for the controller's first frames: 5 s.
inline constexpr int kLinkTicks = 50;

// Opens the port and waits for the controller (`ticks` 0: only opens): nothing when
// it is there, otherwise the exit code after saying why.
inline std::optional<int> ReachController(vorel::HeadlessRunner& runner, const std::string& port,
                                          int ticks, std::ostream& err) {
  std::string why;
  switch (runner.ReachController(port, ticks, why)) {
    case vorel::HeadlessRunner::Outcome::kDone:
      return std::nullopt;
    case vorel::HeadlessRunner::Outcome::kInterrupted:
      err << "vorelctl: Stopped before the controller answered\n";
      return vorel::HeadlessRunner::kInterruptedExit;
    case vorel::HeadlessRunner::Outcome::kDeadline:
      break;
  }
  err << "vorelctl: " << why << '\n';
  return kExitFailure;
}

// The event loop a verb runs its port, socket and 100 ms timer on.
class HeadlessApplication {
 public:
  HeadlessApplication() : application_(argc_, argv_) {}
  QCoreApplication& App() { return application_; }

 private:
  int argc_ = 1;
  char name_[9] = "vorelctl";
  char* argv_[2] = {name_, nullptr};
  QCoreApplication application_;
};

}  // namespace vorelctl
