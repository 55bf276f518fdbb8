// The application's diagnostic log instance.
#include "io/ApplicationLog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdlib>

#include "core/app/DiagnosticLog.h"
#include "io/QtLogEnvironment.h"

namespace vorel {
namespace {

void WriteBye() {
  if (DiagnosticLog* log = DiagnosticLog::Current()) log->LogLine("Bye...");
}

}  // namespace

bool StartApplicationLog(int major, int minor) {
  static QtLogEnvironment environment;
  const QFileInfo program(QCoreApplication::applicationFilePath());
  const std::string baseName = program.completeBaseName().toStdString();
  const std::string extension =
      program.suffix().isEmpty() ? std::string() : "." + program.suffix().toStdString();
  static DiagnosticLog log(environment,
                           MakeLogPaths(DiagnosticLogFolder().toStdString(), baseName));
  static bool exitActionRegistered = false;

  const bool enabled = log.StartLog(major, minor, baseName, extension, BuildStamp());
  DiagnosticLog::SetCurrent(&log);
  if (!exitActionRegistered) {
    exitActionRegistered = true;
    std::atexit(WriteBye);
  }
  return enabled;
}

}  // namespace vorel
