// Reading firmware files.
#include "io/FirmwareFile.h"

#include <QDateTime>
#include <QFileInfo>

#include "io/FileAccess.h"

namespace vorel {

Loaded<FirmwareFile, FirmwareRefusal> ReadFirmwareFile(const QString& path,
                                                       const FirmwareTarget& target) {
  using Read = Loaded<FirmwareFile, FirmwareRefusal>;
  const Loaded<std::string> read = ReadWholeFile(path, kFirmwareFileLimit);
  if (!read) return Read::Refused({kUnableToOpenHexText, 0, read.why});
  FirmwareFile file;
  const QDateTime modified = QFileInfo(path).lastModified();
  const QDate date = modified.date();
  const QTime time = modified.time();
  file.modified = {date.year(),   date.month(),  date.day(),          time.hour(),
                   time.minute(), time.second(), date.dayOfWeek() - 1};
  Loaded<FirmwareImage, FirmwareRefusal> load = LoadIntelHex(*read, target);
  if (!load) return Read::Refused(std::move(load.why));
  file.image = std::move(*load);
  return file;
}

}  // namespace vorel
