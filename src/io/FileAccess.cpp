// QFile/QSaveFile access and the local clock.
#include "io/FileAccess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vorel {
namespace {

LocalDateTime FromDateAndTime(const QDate& date, const QTime& time) {
  return {date.year(),   date.month(),  date.day(),          time.hour(),
          time.minute(), time.second(), date.dayOfWeek() - 1};
}

}  // namespace

Loaded<std::string> ReadWholeFile(const QString& path, int64_t maxBytes) {
  const auto refused = [](const QString& why) {
    return Loaded<std::string>::Refused(why.toStdString());
  };
  const QFileInfo info(path);
  if (!info.exists()) return refused(QStringLiteral("no such file"));
  if (info.isDir()) return refused(QStringLiteral("is a folder, not a file"));
  if (!info.isFile()) return refused(QStringLiteral("is not a regular file"));
  const QString tooLarge = QStringLiteral("is larger than %1 MiB, too large to be a system file")
                               .arg(maxBytes / (1024 * 1024));
  if (info.size() > maxBytes) return refused(tooLarge);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return refused(file.errorString());
  // One byte more than allowed tells a file that grew since it was looked at.
  const QByteArray bytes = file.read(maxBytes + 1);
  if (file.error() != QFileDevice::NoError) return refused(file.errorString());
  if (bytes.size() > maxBytes) return refused(tooLarge);
  return bytes.toStdString();
}

namespace {

// A symbolic link stays a link: the file it names is replaced.
QFileInfo Target(const QString& path) {
  QFileInfo target(path);
  if (target.isSymLink()) {
    const QString named = target.canonicalFilePath();
    target = QFileInfo(named.isEmpty() ? target.symLinkTarget() : named);
  }
  return target;
}

}  // namespace

Outcome CheckReplaceable(const QString& path) {
  const auto refused = [](const QString& why) { return Outcome::Failed(why.toStdString()); };
  const QFileInfo target = Target(path);
  if (target.isDir()) return refused(QStringLiteral("is a folder, not a file"));
  if (target.exists() && !target.isFile()) return refused(QStringLiteral("is not a regular file"));
  const QString folder = target.absolutePath();
  if (!QFileInfo(folder).isDir())
    return refused(
        QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder)));
  if (!QFileInfo(folder).isWritable())
    return refused(
        QStringLiteral("the folder %1 cannot be written").arg(QDir::toNativeSeparators(folder)));
  // Read-only by its permissions too, which the administrator could override.
  constexpr QFile::Permissions kAnyWrite =
      QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  if (target.exists() && (!target.isWritable() || !(target.permissions() & kAnyWrite)))
    return refused(QStringLiteral("is read-only"));
  return Outcome::Done();
}

Outcome WriteFileReplacing(const QString& path, std::string_view bytes) {
  if (Outcome replaceable = CheckReplaceable(path); !replaceable) return replaceable;
  const QFileInfo target = Target(path);
  const bool replacing = target.exists();
  QSaveFile file(target.absoluteFilePath());
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) return Outcome::Failed(file.errorString().toStdString());
  // The new file keeps the permissions the technician gave the old one.
  if (replacing) file.setPermissions(target.permissions());
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
      static_cast<qint64>(bytes.size())) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return Outcome::Failed(reason.toStdString());
  }
  if (!file.commit()) return Outcome::Failed(file.errorString().toStdString());
  return Outcome::Done();
}

LocalDateTime LocalNow() {
  const QDateTime now = QDateTime::currentDateTime();
  return FromDateAndTime(now.date(), now.time());
}

std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text) {
  static constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (text.size() != kShape.size()) return std::nullopt;
  for (size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  // Date and time apart: a wall-clock time the local zone skips is still a time.
  const QString whole = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  const QDate date = QDate::fromString(whole.left(10), QStringLiteral("yyyy-MM-dd"));
  const QTime time = QTime::fromString(whole.mid(11), QStringLiteral("HH:mm:ss"));
  if (!date.isValid() || !time.isValid()) return std::nullopt;
  return FromDateAndTime(date, time);
}

}  // namespace vorel
