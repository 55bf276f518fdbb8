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
  FirmwareImage image;
  LocalDateTime modified;
};

// The loaded file, or why not: "Unable to open Intel hex file." (with the system's
// reason) or the loader's message box text.
Loaded<FirmwareFile, FirmwareRefusal> ReadFirmwareFile(const QString& path,
                                                       const FirmwareTarget& target);

}  // namespace vorel
