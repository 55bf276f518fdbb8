// What vorelctl reads: a system file or a 32768-byte controller image, taken into
// the session the way the tool takes them.
#pragma once

#include <optional>
#include <string>

#include "core/session/Session.h"

namespace vorelctl {

// A system file goes the way of "Load System..." (a new system, the file, the
// image packed at `clock`); an image the way of a completed read (cleared, then
// unpacked; a refused header gives "Bad data format or version: %d.%d").
// Returns one line (file, element, reason; UTF-8) when the input is refused.
std::optional<std::string> LoadInput(const std::string& path, const vorel::LocalDateTime& clock,
                                     vorel::Session& session);

}  // namespace vorelctl
