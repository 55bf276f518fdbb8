// Reading firmware files.
#include "io/FirmwareFile.h"

#include <QDateTime>
#include <QFileInfo>

#include "io/FileAccess.h"

namespace vorel {

FirmwareFile ReadFirmwareFile(const QString& path, const FirmwareTarget& target) {
  FirmwareFile file;
  const ReadOutcome read = ReadWholeFile(path, kFirmwareFileLimit);
  if (!read.bytes) {
    file.error = kUnableToOpenHexText;
    file.openError = read.error.toStdString();
    return file;
  }
  const QDateTime modified = QFileInfo(path).lastModified();
  const QDate date = modified.date();
  const QTime time = modified.time();
  file.modified = {date.year(),   date.month(),  date.day(),          time.hour(),
                   time.minute(), time.second(), date.dayOfWeek() - 1};
  HexLoad load = LoadIntelHex(*read.bytes, target);
  file.image = std::move(load.image);
  file.error = std::move(load.error);
  file.line = load.line;
  return file;
}

}  // namespace vorel
