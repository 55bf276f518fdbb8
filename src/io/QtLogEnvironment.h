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

// The file the build leaves beside the programs it makes. Only a program run from
// its build folder keeps its log beside itself; an installed one never writes
// into the folder of the installed programs (/usr/bin, Program Files).
inline constexpr const char* kBuildFolderMarker = "vorel-build-folder";

// The folder of the log: `programFolder` when it holds the build folder marker and
// can be written, otherwise `userFolder`.
QString ChooseDiagnosticLogFolder(const QString& programFolder, const QString& userFolder);

// That choice for this program: its own folder, or the per-user application data
// folder (~/.local/share/Vantrell/Vorel, %LOCALAPPDATA%\Vantrell\Vorel), made when missing.
QString DiagnosticLogFolder();

}  // namespace vorel
