// File access of vorelctl, through std::filesystem and file streams only.
#include "FileIo.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

namespace vorelctl {
namespace fs = std::filesystem;

namespace {

constexpr int kTemporaryNameAttempts = 100;

// A name next to the target that no file has yet: "<name>.<random>.tmp".
std::optional<fs::path> UnusedTemporaryName(const fs::path& target) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::ostringstream name;
    name << target.filename().string() << '.' << std::hex << (random() & 0xFFFFFFFFull) << ".tmp";
    fs::path candidate = target.parent_path() / name.str();
    std::error_code ec;
    if (!fs::exists(candidate, ec) && !ec) return candidate;
  }
  return std::nullopt;
}

}  // namespace

FileContents ReadWholeFile(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return {std::nullopt, "no such file"};
  if (fs::is_directory(status)) return {std::nullopt, "is a folder, not a file"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, "cannot be opened for reading"};
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return {std::nullopt, "could not be read to the end"};
  return {std::move(bytes), {}};
}

std::optional<std::string> WriteFileReplacing(const fs::path& target, std::string_view bytes) {
  std::error_code ec;
  if (fs::is_directory(target, ec)) return "is a folder, not a file";
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";

  const std::optional<fs::path> temporary = UnusedTemporaryName(target);
  if (!temporary) return "no free temporary name in " + folder.string();
  {
    std::ofstream out(*temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot create a file in " + folder.string();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (!out) {
      fs::remove(*temporary, ec);
      return "writing " + temporary->string() + " failed";
    }
  }
  fs::rename(*temporary, target, ec);
  if (ec) {
    const std::string reason = "cannot replace the file: " + ec.message();
    fs::remove(*temporary, ec);
    return reason;
  }
  return std::nullopt;
}

}  // namespace vorelctl
