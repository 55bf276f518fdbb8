// vorelctl backups: the kept reads of the backup folder, one a line, grouped by
// controller and newest first, as the backups window lists them.
#include <string>

#include "Options.h"
#include "Verbs.h"
#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "io/BackupLibrary.h"
#include "io/ReadBackupFolder.h"

namespace vorelctl {

int Backups(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {"--serial"}, parsed); !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 0); !checked)
    return UsageError(err, checked.reason);
  std::optional<uint32_t> serial;
  if (const auto text = parsed.Option("--serial")) {
    const auto value = vorel::ParseInt32(*text);
    if (!value || *value < 0) return UsageError(err, "--serial takes a controller's serial number");
    serial = static_cast<uint32_t>(*value);
  }
  const QString folder = vorel::ReadBackupFolder().Folder();
  for (const vorel::BackupEntry& entry : vorel::ListBackups(folder)) {
    if (serial && entry.name.serial != *serial) continue;
    out << entry.name.serial << '\t' << vorel::Ansi::ToUtf8(entry.systemName) << '\t'
        << vorel::BackupTimeText(entry.name.at) << '\t';
    if (entry.damaged.empty()) {
      out << int(entry.firmwareMajor) << '.' << int(entry.firmwareMinor);
    } else {
      out << "damaged: " << entry.damaged;
    }
    out << '\t' << entry.size << '\t' << entry.baseName << '\n';
  }
  return kExitOk;
}

}  // namespace vorelctl
