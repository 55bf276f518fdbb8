// The application's diagnostic log instance.
#include "io/ApplicationLog.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vorel {
namespace {

std::string ProgramBaseName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

}  // namespace

ApplicationLog::ApplicationLog(int major, int minor)
    : log_(environment_, MakeLogPaths(DiagnosticLogFolder().toStdString(), ProgramBaseName())) {
  const QFileInfo program(QCoreApplication::applicationFilePath());
  const std::string extension =
      program.suffix().isEmpty() ? std::string() : "." + program.suffix().toStdString();
  log_.StartLog(major, minor, ProgramBaseName(), extension, BuildStamp());
}

ApplicationLog::~ApplicationLog() {
  log_.LogLine("Bye...");
}

}  // namespace vorel
