// What the verbs that talk to a controller or a gateway share: an event loop of
// their own and the serial port opened or explained.
#pragma once

#include <QCoreApplication>
#include <ostream>
#include <string>
#include <string_view>

#include "io/SerialPortAdapter.h"

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

// Opens the port; false after saying why ("vorelctl: Permission denied: /dev/ttyS0").
inline bool OpenPort(vorel::SerialPortAdapter& serial, std::string_view port, std::ostream& err) {
  if (serial.Open(std::string(port))) return true;
  err << "vorelctl: " << serial.LastError() << ": " << port << '\n';
  return false;
}

}  // namespace vorelctl
