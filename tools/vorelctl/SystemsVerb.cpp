// vorelctl systems: the dispenser systems a gateway server offers, one a line.
#include "GatewayConnection.h"
#include "Headless.h"
#include "Verbs.h"
#include "core/base/Ansi.h"

namespace vorelctl {

namespace {
constexpr int kTimeoutTicks = 100;  // 10 s for the connection, the login and the list
}  // namespace

int Systems(Arguments args, std::ostream& out, std::ostream& err) {
  ParsedArguments parsed;
  if (auto wrong = ParseArguments(args, {"--gateway", "--user"}, parsed))
    return UsageError(err, *wrong);
  if (auto surplus = SurplusArgument(parsed, 0)) return UsageError(err, *surplus);
  GatewayTarget target;
  if (auto wrong = ReadGatewayTarget(parsed, false, target)) {
    if (!parsed.Option("--gateway") || !parsed.Option("--user")) return UsageError(err, *wrong);
    err << "vorelctl: " << *wrong << '\n';
    return kExitFailure;
  }

  HeadlessApplication headless;
  QCoreApplication& application = headless.App();
  vorel::Session session;
  GatewayClient client(session, std::move(target));
  if (auto failure =
          client.Run(application, kTimeoutTicks, [&] { return client.ListComplete(); })) {
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
