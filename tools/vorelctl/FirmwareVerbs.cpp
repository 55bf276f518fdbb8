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
  if (const vorel::Outcome checked = ParseArguments(args, {"--target"}, parsed); !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 1); !checked)
    return UsageError(err, checked.reason);
  const std::optional<vorel::FirmwareTarget> target =
      vorel::FirmwareTargetNamed(parsed.Option("--target").value_or(""));
  if (parsed.arguments.empty() || !target)
    return UsageError(err, "hex needs FILE --target controller|trigger");

  const std::string name(parsed.arguments[0]);
  const QString path = QString::fromLocal8Bit(name.c_str());
  const auto load = vorel::ReadFirmwareFile(path, *target);
  if (!load) {
    err << "vorelctl: " << name;
    if (load.why.line > 0) err << ", line " << load.why.line;
    err << ": " << load.why.text;
    if (!load.why.openError.empty()) err << " (" << load.why.openError << ")";
    err << '\n';
    return kExitFailure;
  }

  const vorel::FirmwareImage& image = load->image;
  out << "File date: " << vorel::FileDateText(load->modified) << '\n';
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
