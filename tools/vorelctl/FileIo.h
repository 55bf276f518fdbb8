// Whole-file reading and the replace-by-rename writing that vorelctl uses for
// every file it produces.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vorelctl {

struct FileContents {
  std::optional<std::string> bytes;  // empty on failure
  std::string error;                 // why the file could not be read
};

FileContents ReadWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a new file in the target's folder and renames it over the
// target, so the target is either the earlier file or the complete new one,
// never a partial write. Returns the reason on failure, nothing on success; the
// temporary file is removed whenever the write does not complete.
std::optional<std::string> WriteFileReplacing(const std::filesystem::path& target,
                                              std::string_view bytes);

}  // namespace vorelctl
