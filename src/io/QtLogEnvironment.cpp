// QFile-backed diagnostic log.
#include "io/QtLogEnvironment.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vorel {
namespace {
QString Q(const std::string& path) {
  return QString::fromStdString(path);
}
}  // namespace

QtLogEnvironment::QtLogEnvironment() {
  sinceStart_.start();
}

bool QtLogEnvironment::OpenAppend(const std::string& path) {
  Close();
  auto file = std::make_unique<QFile>(Q(path));
  if (!file->open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text)) return false;
  file_ = std::move(file);
  return true;
}

bool QtLogEnvironment::IsOpen() const {
  return file_ && file_->isOpen();
}

std::optional<std::string> QtLogEnvironment::ReadFirstLine(const std::string& path,
                                                           size_t maxLength) {
  QFile file(Q(path));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
  const QByteArray line = file.readLine(static_cast<qint64>(maxLength) + 1);
  if (line.isEmpty()) return std::nullopt;
  QByteArray text = line.left(static_cast<qsizetype>(maxLength));
  while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
  return text.toStdString();
}

int64_t QtLogEnvironment::FileSize(const std::string& path) {
  if (file_) file_->flush();
  return QFileInfo(Q(path)).size();
}

bool QtLogEnvironment::Write(std::string_view text) {
  if (!IsOpen()) return false;
  return file_->write(text.data(), static_cast<qint64>(text.size())) ==
         static_cast<qint64>(text.size());
}

void QtLogEnvironment::Flush() {
  if (file_) file_->flush();
}

void QtLogEnvironment::Close() {
  file_.reset();
}

bool QtLogEnvironment::CopyReplace(const std::string& from, const std::string& to) {
  if (QFile::exists(Q(to)) && !QFile::remove(Q(to))) return false;
  return QFile::copy(Q(from), Q(to));
}

bool QtLogEnvironment::Remove(const std::string& path) {
  return QFile::remove(Q(path));
}

int64_t QtLogEnvironment::MillisecondsSinceStart() {
  return sinceStart_.elapsed();
}

LogTime QtLogEnvironment::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  return {date.year(),   date.month(),  date.day(), time.hour(),
          time.minute(), time.second(), time.msec()};
}

QString ChooseDiagnosticLogFolder(const QString& programFolder, const QString& userFolder) {
  // Writable alone says nothing: an administrator may write /usr/bin.
  const bool buildFolder = QFileInfo::exists(QDir(programFolder).filePath(kBuildFolderMarker));
  if (buildFolder && QFileInfo(programFolder).isWritable()) return programFolder;
  return userFolder;
}

QString DiagnosticLogFolder() {
  const QString folder = ChooseDiagnosticLogFolder(
      QCoreApplication::applicationDirPath(),
      QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
  QDir().mkpath(folder);
  return folder;
}

}  // namespace vorel
