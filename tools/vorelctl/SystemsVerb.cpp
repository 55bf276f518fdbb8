// vorelctl systems: the dispenser systems a gateway server offers, one a line.
#include "GatewayConnection.h"
#include "Verbs.h"
#include "core/base/Ansi.h"

namespace vorelctl {

int Systems(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (const vorel::Outcome checked = ParseArguments(args, {"--gateway", "--user"}, parsed);
      !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = SurplusArgument(parsed, 0); !checked)
    return UsageError(err, checked.reason);
  if (const vorel::Outcome checked = GatewayUsage(parsed, false); !checked)
    return UsageError(err, checked.reason);
  GatewayTarget target;
  if (const vorel::Outcome read = ReadGatewayTarget(parsed, false, target); !read) {
    err << "vorelctl: " << read.reason << '\n';
    return kExitFailure;
  }

  vorel::HeadlessRunner runner;
  GatewayClient client(runner.CurrentSession(), std::move(target));
  if (const vorel::Outcome connected = client.Connect(runner); !connected) {
    if (client.Interrupted()) return vorel::HeadlessRunner::kInterruptedExit;
    err << "vorelctl: " << connected.reason << '\n';
    return kExitFailure;
  }
  for (const vorel::GatewaySystem& system : client.Listed()) {
    out << vorel::Ansi::ToUtf8(system.serial) << '\t' << vorel::Ansi::ToUtf8(system.name) << '\t'
        << vorel::Ansi::ToUtf8(system.inUse) << '\t' << vorel::Ansi::ToUtf8(system.address) << '\n';
  }
  return kExitOk;
}

}  // namespace vorelctl
