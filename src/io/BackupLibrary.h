// The kept reads in the backup folder, for the backups window and vorelctl: listed
// from the folder (the image's head read, not the whole file), deleted to the
// desktop's trash, and the newest N of each controller kept.
#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <vector>

#include "core/base/Result.h"
#include "core/image/BackupCatalog.h"

namespace vorel {

class SettingsStore;

// Every backup in `folder`, grouped by controller, newest first: each NAME.bin whose
// NAME is a backup's, and each NAME.xml without its image (listed as damaged).
// Other files are left out. `batch` hears the entries as they are read, a few
// hundred at a time (a window shows them while the rest are read); `stop` ends the
// listing early.
std::vector<BackupEntry> ListBackups(
    const QString& folder, const std::function<void(std::vector<BackupEntry>)>& batch = {},
    const std::atomic<bool>* stop = nullptr);

// The image and the system file of a backup.
QString BackupImagePath(const QString& folder, const BackupEntry& entry);
QString BackupSystemFilePath(const QString& folder, const BackupEntry& entry);

// Both files of a backup to the desktop's trash (removed where there is none).
Outcome DeleteBackup(const QString& folder, const BackupEntry& entry);

// The backups beyond the newest `keep` of each controller deleted (`keep` 0: none);
// how many.
int KeepNewestBackups(const QString& folder, int keep);

// The setting: how many reads of each controller are kept (0: all).
inline constexpr const char* kKeptReadsSetting = "KeptReadsPerController";
int KeptReadsPerController(SettingsStore& store);
bool SetKeptReadsPerController(SettingsStore& store, int keep);

}  // namespace vorel
