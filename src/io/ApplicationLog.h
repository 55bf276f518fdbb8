// The tool's one diagnostic log, made by the composition root: started beside the
// program in its build folder, in the per-user data folder once installed; "Bye..."
// written when it ends.
#pragma once

#include "core/app/DiagnosticLog.h"
#include "io/QtLogEnvironment.h"

namespace vorel {

class ApplicationLog {
 public:
  ApplicationLog(int major, int minor);
  ~ApplicationLog();
  ApplicationLog(const ApplicationLog&) = delete;
  ApplicationLog& operator=(const ApplicationLog&) = delete;

  DiagnosticLog& Log() { return log_; }

 private:
  QtLogEnvironment environment_;
  DiagnosticLog log_;
};

}  // namespace vorel
