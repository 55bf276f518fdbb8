// The backup folder of completed reads.
#include "io/ReadBackupFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "io/BackupLibrary.h"
#include "io/FileAccess.h"

namespace vorel {

namespace {
constexpr const char* kFolderVariable = "VOREL_BACKUP_DIR";
}  // namespace

ReadBackupFolder::ReadBackupFolder(QString folder, std::function<LocalDateTime()> clock,
                                   std::function<int()> keepNewest)
    : folder_(std::move(folder)),
      clock_(clock ? std::move(clock) : LocalNow),
      keepNewest_(std::move(keepNewest)) {
  if (folder_.isEmpty()) folder_ = qEnvironmentVariable(kFolderVariable);
  if (folder_.isEmpty()) {
    // The same folder for the window and vorelctl, whatever the program's name.
    folder_ = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/Vantrell/Vorel/backups");
  }
}

ReadBackup::Kept ReadBackupFolder::Keep(uint32_t serialNumber, std::span<const uint8_t> image,
                                        std::string_view systemFile) {
  if (!QDir().mkpath(folder_))
    return Kept::Refused("the folder " + folder_.toStdString() + " cannot be made");
  const QDir dir(folder_);
  // Two reads within a second get a number; nothing earlier is ever replaced.
  BackupName read{serialNumber, clock_(), 1};
  QString name = QString::fromStdString(BackupBaseName(read));
  while (QFile::exists(dir.filePath(name + ".bin")) || QFile::exists(dir.filePath(name + ".xml"))) {
    ++read.number;
    name = QString::fromStdString(BackupBaseName(read));
  }
  const QString imagePath = dir.filePath(name + ".bin");
  const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
  if (const Outcome written = WriteFileReplacing(imagePath, bytes); !written)
    return Kept::Refused(imagePath.toStdString() + ": " + written.reason);
  const QString filePath = dir.filePath(name + ".xml");
  if (const Outcome written = WriteFileReplacing(filePath, systemFile); !written) {
    // Both or neither: an image without its system file is no backup the label names.
    QFile::remove(imagePath);
    return Kept::Refused(filePath.toStdString() + ": " + written.reason);
  }
  // Only the newest reads of each controller stay, when the technician said so.
  if (keepNewest_) KeepNewestBackups(folder_, keepNewest_());
  return QDir::toNativeSeparators(imagePath).toStdString();
}

}  // namespace vorel
