// The event loop of a verb that needs Qt's services but no controller (the port
// search); the verbs that talk to a controller run on io/HeadlessRunner.
#pragma once

#include <QCoreApplication>

namespace vorelctl {

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
