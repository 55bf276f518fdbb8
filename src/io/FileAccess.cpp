// QFile/QSaveFile access and the local clock.
#include "io/FileAccess.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace vorel {

ReadOutcome ReadWholeFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {std::nullopt, file.errorString()};
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return {std::nullopt, file.errorString()};
  return {bytes.toStdString(), {}};
}

std::optional<QString> WriteFileReplacing(const QString& path, const std::string& bytes) {
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  if (!file.commit()) return file.errorString();
  return std::nullopt;
}

LocalDateTime LocalNow() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  return {date.year(),   date.month(),  date.day(),          time.hour(),
          time.minute(), time.second(), date.dayOfWeek() - 1};
}

}  // namespace vorel
