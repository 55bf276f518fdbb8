// Reading vorelctl's input files.
#include "Input.h"

#include "core/base/Ansi.h"
#include "core/systemfile/SystemFile.h"
#include "io/FileAccess.h"

namespace vorelctl {

vorel::Outcome LoadInput(const std::string& path, const vorel::LocalDateTime& clock,
                         vorel::Session& session) {
  const vorel::Loaded<std::string> file =
      vorel::ReadWholeFile(QString::fromLocal8Bit(path.c_str()), vorel::kSystemFileSizeLimit);
  if (!file) return vorel::Outcome::Failed(path + ": " + file.why);
  const vorel::Session::FileLoad load = session.LoadFile(*file, clock);
  // Element names and values are Windows-1252 text; the terminal gets UTF-8.
  if (!load.result)
    return vorel::Outcome::Failed(path + ": " + vorel::Ansi::ToUtf8(load.result.reason));
  return vorel::Outcome::Done();
}

void PrintChanges(const std::vector<vorel::ValueChange>& changes, std::string_view prefix,
                  std::ostream& stream) {
  for (const vorel::ValueChange& change : changes)
    stream << prefix << vorel::Ansi::ToUtf8(vorel::DescribeChange(change)) << '\n';
}

}  // namespace vorelctl
