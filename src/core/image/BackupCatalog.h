// The read backups as a technician finds them: each kept read named
// "SERIAL_YYYY-MM-DD_HH-MM-SS" (a second read within the same second gets "_2", ...)
// with its image (.bin) and system file (.xml); what the image's head says of the
// controller; grouped by controller, newest first; and which to let go when only the
// newest N of each controller are kept.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/image/ImagePacking.h"

namespace vorel {

// What a backup's name says.
struct BackupName {
  uint32_t serial = 0;
  LocalDateTime at;
  int number = 1;  // 2, 3, ... for reads within the same second
};
// The name without its extension; nothing for any other file name.
std::optional<BackupName> ParseBackupName(std::string_view baseName);
// "4200_2026-12-08_09-15-02" (number 1), "4200_2026-12-08_09-15-02_2", ...
std::string BackupBaseName(const BackupName& name);

struct BackupEntry {
  std::string baseName;  // "4200_2026-12-08_09-15-02"
  BackupName name;
  std::string systemName;  // Windows-1252, from the image
  uint8_t firmwareMajor = 0;
  uint8_t firmwareMinor = 0;
  uint64_t size = 0;           // bytes of the image file
  bool hasSystemFile = false;  // its .xml beside it
  std::string damaged;         // why it cannot be opened; empty when it can
};

// The bytes an entry reads of an image: its header and system area.
inline constexpr size_t kBackupHeadBytes = 128;

// The entry of `baseName` from the first bytes of its image file (at most
// kBackupHeadBytes are looked at) and the file's whole size.
BackupEntry DescribeBackup(const BackupName& name, std::string baseName,
                           std::span<const uint8_t> head, uint64_t fileSize, bool hasSystemFile);

// Grouped by controller (serial ascending), each controller's newest first.
void SortBackups(std::vector<BackupEntry>& entries);
// Read before `b` (the time in the names, then the number within a second).
bool ReadEarlier(const BackupEntry& a, const BackupEntry& b);

// The entries beyond the newest `keep` of each controller (`keep` 0: keep all).
std::vector<BackupEntry> BackupsBeyond(const std::vector<BackupEntry>& entries, int keep);

// "2026-12-08 09:15:02"
std::string BackupTimeText(const LocalDateTime& at);

}  // namespace vorel
