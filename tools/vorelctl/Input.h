// What vorelctl reads: a system file or a 32768-byte controller image, taken into
// a configuration and an image the way the tool takes them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/config/SystemConfiguration.h"
#include "core/image/ImagePacking.h"

namespace vorelctl {

enum class InputKind { kSystemFile, kImage };

struct LoadedInput {
  InputKind kind = InputKind::kSystemFile;
  vorel::SystemConfiguration config;
  vorel::ImageState image;
  std::optional<std::string> error;  // one line: file, element, reason (UTF-8)
};

// A system file goes the way of "Load System...": a new system, the file, then the
// image packed at `clock`. An image goes the way of a completed read: cleared, then
// unpacked; a refused header gives "Bad data format or version: %d.%d".
LoadedInput LoadInput(const std::filesystem::path& path, const vorel::LocalDateTime& clock);

// The PC's local time now.
vorel::LocalDateTime LocalClockNow();

// "YYYY-MM-DD HH:MM:SS" with a real calendar date; the weekday is worked out.
std::optional<vorel::LocalDateTime> ParseClock(std::string_view text);

}  // namespace vorelctl
