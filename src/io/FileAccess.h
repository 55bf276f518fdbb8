// Whole files for the system file commands: read at once, written to a temporary
// file in the same folder and renamed over the target, so a failed save never
// leaves a truncated file. Also the local clock for packing the image.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "core/image/ImagePacking.h"

namespace vorel {

struct ReadOutcome {
  std::optional<std::string> bytes;
  QString error;
};
ReadOutcome ReadWholeFile(const QString& path);

// The reason on failure, nothing on success.
std::optional<QString> WriteFileReplacing(const QString& path, const std::string& bytes);

LocalDateTime LocalNow();

}  // namespace vorel
