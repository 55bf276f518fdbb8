// What vorelctl reads: a system file or a 32768-byte controller image, taken into
// the session the way the tool takes them.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/session/Session.h"

namespace vorelctl {

// A system file goes the way of "Load System..." (a new system, the file, the
// image packed at `clock`); an image the way of a completed read (cleared, then
// unpacked; a refused header gives "Bad data format or version: %d.%d"); anything
// else is "not a system file or a 32768-byte memory image". When refused, the
// reason is one line (file, element, reason; UTF-8). The values of a system file that
// do not reach the controller as written are the session's LoadChanges().
vorel::Outcome LoadInput(const std::string& path, const vorel::LocalDateTime& clock,
                         vorel::Session& session);

// The value changes, one line each, in UTF-8, each line after `prefix`.
void PrintChanges(const std::vector<vorel::ValueChange>& changes, std::string_view prefix,
                  std::ostream& stream);

}  // namespace vorelctl
