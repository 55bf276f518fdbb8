// Whole files for the system file commands and vorelctl: read at once, written to
// a temporary file in the same folder and renamed over the target, so a failed
// save never leaves a truncated file. Also the local clock for packing the image.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "core/image/ImagePacking.h"

namespace vorel {

struct ReadOutcome {
  std::optional<std::string> bytes;
  QString error;  // why the file could not be read: "no such file", ...
};
// Refused before anything is read: a folder, anything that is not a regular file
// (a device, a pipe), and a file larger than `maxBytes`.
ReadOutcome ReadWholeFile(const QString& path, int64_t maxBytes);

// Why a file could not be written (replaced) there, before anything is done:
// "is a folder, not a file", "the folder X does not exist", "is read-only", ...
std::optional<QString> CannotReplace(const QString& path);

// The reason on failure (those above, or the system's), nothing on success; the
// target is then the complete new file.
std::optional<QString> WriteFileReplacing(const QString& path, std::string_view bytes);

// The PC's local date and time now.
LocalDateTime LocalNow();

// "YYYY-MM-DD HH:MM:SS" naming a real calendar date and time; the weekday is
// worked out. Nothing for any other text.
std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text);

}  // namespace vorel
