// vorelctl ports: the adapters the communication window would offer, or with --all
// every serial port of this PC with its vendor and product IDs.
#include <cstdio>

#include "Headless.h"
#include "Options.h"
#include "Verbs.h"
#include "io/QtPortSource.h"

namespace vorelctl {

namespace {

std::string IdText(const std::optional<uint16_t>& id) {
  if (!id) return "----";
  char text[8];
  std::snprintf(text, sizeof text, "%04X", *id);
  return text;
}

}  // namespace

int Ports(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {}, parsed, {"--all"}); !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 0); !checked)
    return UsageError(err, checked.reason);
  HeadlessApplication headless;
  vorel::QtPortSource source;
  if (parsed.Option("--all")) {
    for (const vorel::PortCandidate& port : source.Candidates()) {
      out << port.name << '\t' << IdText(port.vendorId) << ':' << IdText(port.productId) << '\t'
          << port.description << '\t' << port.serialNumber << '\n';
    }
    return kExitOk;
  }
  for (const vorel::PortCandidate& port : vorel::FindAdapters(source))
    out << port.name << '\t' << port.description << '\t' << port.serialNumber << '\n';
  return kExitOk;
}

}  // namespace vorelctl
