// vorelctl hex: what the firmware update window shows of a firmware file after
// loading it, and the order in which its blocks would go to the boot loader.
#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <optional>
#include <string>

#include "Options.h"
#include "Verbs.h"
#include "core/firmware/IntelHex.h"
#include "io/FileAccess.h"

namespace vorelctl {

namespace {

// Far above any firmware of the 128 KiB the boot loaders take, even as hex text.
constexpr int64_t kHexFileSizeLimit = 4 * 1024 * 1024;

std::optional<vorel::FirmwareTarget> HexTarget(std::string_view text) {
  if (text == "controller") return vorel::kControllerTarget;
  if (text == "trigger") return vorel::kTriggerTarget;
  return std::nullopt;
}

vorel::LocalDateTime ModifiedTime(const QString& path) {
  const QDateTime modified = QFileInfo(path).lastModified();
  const QDate date = modified.date();
  const QTime time = modified.time();
  vorel::LocalDateTime local;
  local.year = date.year();
  local.month = date.month();
  local.day = date.day();
  local.hour = time.hour();
  local.minute = time.minute();
  local.second = time.second() & ~1;  // the window shows the time in steps of two seconds
  local.weekday = date.dayOfWeek() - 1;
  return local;
}

std::string BlockText(uint16_t address) {
  char text[8];
  std::snprintf(text, sizeof text, " %04X", unsigned{address});
  return text;
}

}  // namespace

int Hex(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(args, {"--target"}, parsed)) return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 1)) return UsageError(err, *surplus);
  const std::optional<vorel::FirmwareTarget> target =
      HexTarget(parsed.Option("--target").value_or(""));
  if (parsed.arguments.empty() || !target)
    return UsageError(err, "hex needs FILE --target controller|trigger");

  const std::string name(parsed.arguments[0]);
  const QString path = QString::fromLocal8Bit(name.c_str());
  const vorel::ReadOutcome file = vorel::ReadWholeFile(path, kHexFileSizeLimit);
  if (!file.bytes) {
    err << "vorelctl: " << name << ": Unable to open Intel hex file. (" << file.error.toStdString()
        << ")\n";
    return kExitFailure;
  }
  const vorel::HexLoad load = vorel::LoadIntelHex(*file.bytes, *target);
  if (!load.image) {
    err << "vorelctl: " << name;
    if (load.line > 0) err << ", line " << load.line;
    err << ": " << load.error << '\n';
    return kExitFailure;
  }

  const vorel::FirmwareImage& image = *load.image;
  out << "File date: " << vorel::FileDateText(ModifiedTime(path)) << '\n';
  out << "Code start: " << vorel::AddressText(image.codeStart) << '\n';
  out << "Code end: " << vorel::AddressText(image.codeEnd) << '\n';
  out << "Code used: " << vorel::CodeUsedText(image, *target) << '\n';
  out << "Check sum: " << vorel::ChecksumText(image.displaySum) << '\n';
  const vorel::BlockOrder order = vorel::FirmwareBlockOrder(image, *target);
  out << "Blocks:";
  for (uint16_t address : order.beforeEnd) out << BlockText(address);
  out << " end";
  for (uint16_t address : order.firstPage) out << BlockText(address);
  out << '\n';
  return kExitOk;
}

}  // namespace vorelctl
