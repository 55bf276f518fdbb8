// Reading vorelctl's input files.
#include "Input.h"

#include <span>

#include "core/base/Ansi.h"
#include "core/systemfile/SystemFile.h"
#include "io/FileAccess.h"

namespace vorelctl {

LoadedInput LoadInput(const std::string& path, const vorel::LocalDateTime& clock,
                      vorel::Session& session) {
  const vorel::ReadOutcome file =
      vorel::ReadWholeFile(QString::fromLocal8Bit(path.c_str()), vorel::kSystemFileSizeLimit);
  if (!file.bytes) return {path + ": " + file.error.toStdString(), {}};
  switch (vorel::ClassifyFile(*file.bytes)) {
    case vorel::FileKind::kImage: {
      const auto* data = reinterpret_cast<const uint8_t*>(file.bytes->data());
      const vorel::UnpackResult result = session.TakeImage(std::span(data, file.bytes->size()));
      if (!result.Ok()) return {path + ": " + result.error, {}};
      return {};
    }
    case vorel::FileKind::kSystemFile: {
      vorel::SessionResult loaded = session.LoadSystem(*file.bytes, clock);
      // Element names and values are Windows-1252 text; the terminal gets UTF-8.
      if (!loaded) return {path + ": " + vorel::Ansi::ToUtf8(loaded.reason), {}};
      return {std::nullopt, std::move(loaded.changes)};
    }
    case vorel::FileKind::kUnknown:
      break;
  }
  return {path + ": " + vorel::kUnknownFileText, {}};
}

void PrintChanges(const std::vector<vorel::ValueChange>& changes, std::string_view prefix,
                  std::ostream& stream) {
  for (const vorel::ValueChange& change : changes)
    stream << prefix << vorel::Ansi::ToUtf8(vorel::DescribeChange(change)) << '\n';
}

}  // namespace vorelctl
