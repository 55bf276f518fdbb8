// A firmware file as the firmware update window, vorelctl hex and vorelctl flash read
// it: at most 4 MiB of Intel HEX text, loaded for one target, with its file time.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/base/Numbers.h"
#include "core/firmware/IntelHex.h"

namespace vorel {

// Far above any firmware of the 128 KiB the boot loaders take, even as hex text.
inline constexpr int64_t kFirmwareFileLimit = 4 * 1024 * 1024;

struct FirmwareFile {
  std::optional<FirmwareImage> image;  // nothing when the file was refused
  // "Unable to open Intel hex file." or the loader's message box text.
  std::string error;
  std::string openError;  // why the file could not be opened, in the system's words
  size_t line = 0;        // the refused line, from 1; 0 for the file as a whole
  LocalDateTime modified;
};

FirmwareFile ReadFirmwareFile(const QString& path, const FirmwareTarget& target);

}  // namespace vorel
