// The diagnostic log's file and clock, through Qt.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <memory>

#include "core/app/DiagnosticLog.h"

namespace vorel {

class QtLogEnvironment final : public LogEnvironment {
 public:
  QtLogEnvironment();
  bool OpenAppend(const std::string& path) override;
  bool IsOpen() const override;
  std::optional<std::string> ReadFirstLine(const std::string& path, size_t maxLength) override;
  int64_t FileSize(const std::string& path) override;
  bool Write(std::string_view text) override;
  void Flush() override;
  void Close() override;
  bool CopyReplace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  int64_t MillisecondsSinceStart() override;
  LogTime Now() override;

 private:
  std::unique_ptr<QFile> file_;
  QElapsedTimer sinceStart_;
};

// The folder of the log: beside the program file, or the per-user application
// data folder where the program's folder cannot be written (an installed program).
QString DiagnosticLogFolder();

}  // namespace vorel
