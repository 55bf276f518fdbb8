// vorelctl hex: what the firmware update window shows of a firmware file after
// loading it, and the order in which its blocks would go to the boot loader.
#include <QString>
#include <cstdio>
#include <optional>
#include <string>

#include "Options.h"
#include "Verbs.h"
#include "core/firmware/IntelHex.h"
#include "io/FirmwareFile.h"

namespace vorelctl {

namespace {

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
      vorel::FirmwareTargetNamed(parsed.Option("--target").value_or(""));
  if (parsed.arguments.empty() || !target)
    return UsageError(err, "hex needs FILE --target controller|trigger");

  const std::string name(parsed.arguments[0]);
  const QString path = QString::fromLocal8Bit(name.c_str());
  const vorel::FirmwareFile load = vorel::ReadFirmwareFile(path, *target);
  if (!load.image) {
    err << "vorelctl: " << name;
    if (load.line > 0) err << ", line " << load.line;
    err << ": " << load.error;
    if (!load.openError.empty()) err << " (" << load.openError << ")";
    err << '\n';
    return kExitFailure;
  }

  const vorel::FirmwareImage& image = *load.image;
  out << "File date: " << vorel::FileDateText(load.modified) << '\n';
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
