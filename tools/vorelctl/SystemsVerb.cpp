// vorelctl systems: the dispenser systems a gateway server offers, one a line.
#include "GatewayConnection.h"
#include "Verbs.h"
#include "core/base/Ansi.h"

namespace vorelctl {

int Systems(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(args, {"--gateway", "--user"}, parsed))
    return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 0)) return UsageError(err, *surplus);
  if (auto wrong = GatewayUsage(parsed, false)) return UsageError(err, *wrong);
  GatewayTarget target;
  if (auto wrong = ReadGatewayTarget(parsed, false, target)) {
    err << "vorelctl: " << *wrong << '\n';
    return kExitFailure;
  }

  vorel::HeadlessRunner runner;
  GatewayClient client(runner.CurrentSession(), std::move(target));
  if (auto failure = client.Connect(runner)) {
    if (client.Interrupted()) return vorel::HeadlessRunner::kInterruptedExit;
    err << "vorelctl: " << *failure << '\n';
    return kExitFailure;
  }
  for (const vorel::GatewaySystem& system : client.Listed()) {
    out << vorel::Ansi::ToUtf8(system.serial) << '\t' << vorel::Ansi::ToUtf8(system.name) << '\t'
        << vorel::Ansi::ToUtf8(system.inUse) << '\t' << vorel::Ansi::ToUtf8(system.address) << '\n';
  }
  return kExitOk;
}

}  // namespace vorelctl
