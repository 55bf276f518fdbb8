// The serial port as the link sees it: a line that is opened by the name the
// technician chose, closed, written to, and that delivers what arrives to the link
// engine. The real port is in the io layer; the demonstration has a simulated one.
#pragma once

#include <string>

#include "core/link/LinkEngine.h"

namespace vorel {

class SerialPort : public ByteSink {
 public:
  // Where arrived bytes go.
  virtual void SetEngine(LinkEngine* engine) = 0;
  // True when the port is open afterwards; LastError says why not.
  virtual bool Open(const std::string& listText) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual std::string LastError() const = 0;
};

}  // namespace vorel
