// The gateway connection of vorelctl.
#include "GatewayConnection.h"

#include <algorithm>
#include <cstdlib>

#include "core/base/Ansi.h"
#include "core/base/Numbers.h"
#include "core/link/GatewayAddress.h"
#include "io/Terminal.h"

namespace vorelctl {

namespace {
constexpr const char* kPasswordVariable = "VOREL_GATEWAY_PASSWORD";
}  // namespace

vorel::Outcome GatewayUsage(const ParsedArguments& parsed, bool needsSystem) {
  using vorel::Outcome;
  const auto gateway = parsed.Option("--gateway");
  if (!gateway || gateway->empty()) return Outcome::Failed("--gateway HOST[:PORT] is needed");
  if (!vorel::ParseGatewayAddress(*gateway))
    return Outcome::Failed(std::string("--gateway takes ") + vorel::kGatewayAddressForms);
  if (!parsed.Option("--user")) return Outcome::Failed("--user NAME is needed with --gateway");
  if (!needsSystem) return Outcome::Done();
  const auto system = parsed.Option("--system");
  if (!system) return Outcome::Failed("--system SERIAL is needed with --gateway");
  const auto serial = vorel::ParseInt32(*system);
  if (!serial || *serial < 0)
    return Outcome::Failed("--system takes the system's serial number, as listed by systems");
  return Outcome::Done();
}

vorel::Outcome CheckRoute(const ParsedArguments& parsed) {
  const bool port = parsed.Option("--port").has_value();
  const bool gateway = parsed.Option("--gateway").has_value();
  if (port == gateway)
    return vorel::Outcome::Failed("give either --port DEVICE or --gateway HOST[:PORT]");
  if (port && (parsed.Option("--user") || parsed.Option("--system")))
    return vorel::Outcome::Failed("--user and --system go with --gateway");
  if (gateway) return GatewayUsage(parsed, true);
  return vorel::Outcome::Done();
}

vorel::Outcome ReadGatewayTarget(const ParsedArguments& parsed, bool needsSystem,
                                 GatewayTarget& target) {
  if (vorel::Outcome usage = GatewayUsage(parsed, needsSystem); !usage) return usage;
  const vorel::GatewayAddress address = *vorel::ParseGatewayAddress(*parsed.Option("--gateway"));
  target.host = address.host;
  target.port = address.port;
  target.user = std::string(*parsed.Option("--user"));
  if (needsSystem) target.system = std::string(*parsed.Option("--system"));
  if (const char* password = std::getenv(kPasswordVariable)) {
    target.password = password;
  } else if (auto typed = vorel::ReadSecretLine("Gateway password for " + target.user + ": ")) {
    target.password = std::move(*typed);
  } else {
    return vorel::Outcome::Failed(std::string("no password: set ") + kPasswordVariable +
                                  " or run on a terminal");
  }
  return vorel::Outcome::Done();
}

GatewayClient::GatewayClient(vorel::Session& session, GatewayTarget target, bool forWrite)
    : session_(session), target_(std::move(target)), forWrite_(forWrite) {
  promptsAttachment_ = session_.AttachRemotePrompts(*this);
  observing_ = session_.Observe(*this);
}

GatewayClient::~GatewayClient() {
  // What was typed or taken from the environment goes no further.
  target_.password.assign(target_.password.size(), '\0');
}

std::optional<vorel::GatewayLogin> GatewayClient::AskLogin() {
  if (loginAsked_) return std::nullopt;
  loginAsked_ = true;
  return vorel::GatewayLogin{target_.user, target_.password};
}

std::optional<vorel::GatewaySystem> GatewayClient::AskSystem(
    const std::vector<vorel::GatewaySystem>& systems) {
  // Listing chooses nothing; a serial chooses exactly that system.
  if (target_.system.empty() || failure_) return std::nullopt;
  for (const vorel::GatewaySystem& system : systems) {
    if (system.serial != target_.system) continue;
    if (system.inUse != vorel::gateway::kFree) {
      failure_ =
          "System " + target_.system + " is in use (" + vorel::Ansi::ToUtf8(system.inUse) + ")";
      return std::nullopt;
    }
    return system;
  }
  failure_ = "the gateway does not list system " + target_.system;
  return std::nullopt;
}

bool GatewayClient::AskRetryLogin() {
  failure_ = "Login rejected";
  return false;
}

void GatewayClient::GatewaySystemsListed(const std::vector<vorel::GatewaySystem>& systems) {
  listed_ = systems;
  listComplete_ = true;
}

void GatewayClient::LinkStateChanged() {
  const vorel::RemoteLink& remote = session_.Remote();
  if (failure_) return;
  if (forWrite_ && remote.LoggedIn() && !remote.FullAccess()) {
    failure_ = "Read-only access: this login may not write";
    return;
  }
  if (!remote.View().stateVisible) return;
  switch (remote.View().state) {
    case vorel::RemoteState::kNotFound:
      failure_ = "System not found";
      break;
    case vorel::RemoteState::kInUse:
      failure_ = "System in use";
      break;
    case vorel::RemoteState::kFailed:
      failure_ = "System selection failed";
      break;
    case vorel::RemoteState::kDisconnected:
      failure_ = "Disconnected";
      break;
    default:
      break;
  }
}

vorel::Outcome GatewayClient::Connect(vorel::HeadlessRunner& runner) {
  // The socket's own reason ("Connection refused") says more than "Disconnected".
  runner.Socket().SetErrorReporter([this](const QString& text) {
    if (!failure_ || *failure_ == "Disconnected") failure_ = text.toStdString();
  });
  session_.SelectMode(false);
  session_.GatewayConnectClick(target_.host, target_.port);
  const auto done = [this] {
    if (failure_) return true;
    return target_.system.empty() ? listComplete_ : session_.Remote().LoggedIn();
  };
  const auto outcome = runner.Run(done, kLoginTicks);
  interrupted_ = outcome == vorel::HeadlessRunner::Outcome::kInterrupted;
  if (failure_) return vorel::Outcome::Failed(*failure_);
  if (interrupted_) return vorel::Outcome::Failed("Stopped");
  if (done()) return vorel::Outcome::Done();
  return vorel::Outcome::Failed("No answer from the gateway");
}

}  // namespace vorelctl
