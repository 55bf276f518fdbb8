// Every completed read of a controller kept in the technician's own backup folder:
// the image as read (.bin) and its system file (.xml), named by the controller's
// serial number and the time of the read, never overwriting an earlier pair.
#pragma once

#include <QString>
#include <functional>

#include "core/image/ImagePacking.h"
#include "core/session/Session.h"

namespace vorel {

class ReadBackupFolder final : public ReadBackup {
 public:
  // `folder` empty: the per-user data folder's "backups" (VOREL_BACKUP_DIR when set).
  // `keepNewest`: how many reads of each controller stay after a new one is kept (0,
  // or none given: all).
  explicit ReadBackupFolder(QString folder = {}, std::function<LocalDateTime()> clock = {},
                            std::function<int()> keepNewest = {});
  Kept Keep(uint32_t serialNumber, std::span<const uint8_t> image,
            std::string_view systemFile) override;
  const QString& Folder() const { return folder_; }

 private:
  QString folder_;
  std::function<LocalDateTime()> clock_;
  std::function<int()> keepNewest_;
};

}  // namespace vorel
