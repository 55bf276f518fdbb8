// Reading vorelctl's input files.
#include "Input.h"

#include <span>

#include "core/base/Ansi.h"
#include "core/systemfile/SystemFile.h"
#include "io/FileAccess.h"

namespace vorelctl {
namespace {

// An image is exactly the controller's memory size and does not start like an XML
// document (which may open with a byte-order mark or blanks).
bool LooksLikeImage(const std::string& bytes) {
  if (bytes.size() != vorel::image::kSize) return false;
  for (unsigned char c : bytes) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xEF || c == 0xBB || c == 0xBF)
      continue;
    return c != '<';
  }
  return true;
}

}  // namespace

std::optional<std::string> LoadInput(const std::string& path, const vorel::LocalDateTime& clock,
                                     vorel::Session& session) {
  const vorel::ReadOutcome file =
      vorel::ReadWholeFile(QString::fromLocal8Bit(path.c_str()), vorel::kSystemFileSizeLimit);
  if (!file.bytes) return path + ": " + file.error.toStdString();
  if (LooksLikeImage(*file.bytes)) {
    const auto* data = reinterpret_cast<const uint8_t*>(file.bytes->data());
    const vorel::UnpackResult result = session.TakeImage(std::span(data, file.bytes->size()));
    if (!result.Ok()) return path + ": " + result.error;
    return std::nullopt;
  }
  const vorel::SessionResult loaded = session.LoadSystem(*file.bytes, clock);
  // Element names and values are Windows-1252 text; the terminal gets UTF-8.
  if (!loaded) return path + ": " + vorel::Ansi::ToUtf8(loaded.reason);
  return std::nullopt;
}

}  // namespace vorelctl
