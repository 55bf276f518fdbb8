// The system file: one whole configuration with the controller's alarm log and
// consumption log, as the XML document under the root TL4200system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"
#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

namespace vorel {

// The largest system file (or memory image) the tool reads: a full system file is
// well under a megabyte, so anything past this is no system file and is refused
// before it is read.
inline constexpr int64_t kSystemFileSizeLimit = 16 * 1024 * 1024;

// A value of the file that does not reach the controller as written: the file
// loads exactly as the byte rules say, and the technician is told.
struct ValueChange {
  std::string element;          // "TL4200system/MachineData/Machine1/ProgramTimeout"
  std::string fileValue;        // as the file holds it (Windows-1252)
  std::string controllerValue;  // what the controller gets
};

// What a file given to the tool holds, told by its first bytes: an XML document
// (maybe with a UTF-8 or UTF-16 byte-order mark), or a 32768-byte memory image
// starting with the controller's mark.
enum class FileKind { kSystemFile, kImage, kUnknown };
FileKind ClassifyFile(std::string_view bytes);
inline constexpr const char* kUnknownFileText = "not a system file or a 32768-byte memory image";

// One line for the technician: `element: "file value" reaches the controller as "value"`.
std::string DescribeChange(const ValueChange& change);

// The list as a warning shows it: one line each, cut after `maxLines` with
// "... and N more".
std::string DescribeChanges(const std::vector<ValueChange>& changes, size_t maxLines);

// The whole document: every field of the configuration, the data-format version
// from `config.MainSetup`, and the two log blocks of the image.
std::string SaveSystemFile(const SystemConfiguration& config, const ControllerImage& image);

// Applies the elements of the document in their order to `config` and to the
// image's header version bytes and log regions. The caller passes a new system
// (and a cleared image); what the file does not name keeps those defaults. The
// load stops at the first error: everything applied before it stays.
// Every value that will not reach the controller as written goes to `changes`
// when given.
//
// On failure the reason names the element at fault and what was wrong with it
// ("TL4200system/Alarm/Group0/Level: ..."), or only what was wrong when the
// document itself is unreadable.
Outcome LoadSystemFile(std::string_view bytes, SystemConfiguration& config, ControllerImage& image,
                       std::vector<ValueChange>* changes = nullptr);

}  // namespace vorel
