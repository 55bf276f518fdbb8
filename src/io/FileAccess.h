// Whole files for the system file commands and vorelctl: read at once, written to
// a temporary file in the same folder and renamed over the target, so a failed
// save never leaves a truncated file. Also the local clock for packing the image.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/Result.h"
#include "core/image/ImagePacking.h"

namespace vorel {

// The whole file, or why it could not be read ("no such file", ...). Refused before
// anything is read: a folder, anything that is not a regular file (a device, a pipe),
// and a file larger than `maxBytes`.
Loaded<std::string> ReadWholeFile(const QString& path, int64_t maxBytes);

// Whether a file can be written (replaced) there, checked before anything is done:
// "is a folder, not a file", "the folder X does not exist", "is read-only", ...
Outcome CheckReplaceable(const QString& path);

// Done, with the target then the complete new file; or the reason (those above, or
// the system's) with the target as it was.
Outcome WriteFileReplacing(const QString& path, std::string_view bytes);

// The PC's local date and time now.
LocalDateTime LocalNow();

// "YYYY-MM-DD HH:MM:SS" naming a real calendar date and time; the weekday is
// worked out. Nothing for any other text.
std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text);

}  // namespace vorel
