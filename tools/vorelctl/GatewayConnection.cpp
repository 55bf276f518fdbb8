// The gateway connection of vorelctl.
#include "GatewayConnection.h"

#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "core/base/Numbers.h"
#include "io/Terminal.h"

namespace vorelctl {

namespace {
constexpr int kTickMs = 100;
constexpr const char* kPasswordVariable = "VOREL_GATEWAY_PASSWORD";
}  // namespace

std::optional<std::string> ReadGatewayTarget(const ParsedArguments& parsed, bool needsSystem,
                                             GatewayTarget& target) {
  const auto gateway = parsed.Option("--gateway");
  const auto user = parsed.Option("--user");
  if (!gateway || gateway->empty()) return "--gateway HOST[:PORT] is needed";
  if (!user) return "--user NAME is needed with --gateway";
  target.host = std::string(*gateway);
  if (const size_t colon = target.host.rfind(':'); colon != std::string::npos) {
    const auto port = vorel::ParseInt32(target.host.substr(colon + 1));
    if (!port || *port < 1 || *port > 65535) return "--gateway takes HOST or HOST:PORT";
    target.port = static_cast<uint16_t>(*port);
    target.host.resize(colon);
  }
  target.user = std::string(*user);
  if (needsSystem) {
    const auto system = parsed.Option("--system");
    if (!system || !vorel::ParseInt32(*system) || *vorel::ParseInt32(*system) < 0)
      return "--system SERIAL is needed with --gateway";
    target.system = std::string(*system);
  }
  if (const char* password = std::getenv(kPasswordVariable)) {
    target.password = password;
  } else if (auto typed = vorel::ReadSecretLine("Gateway password for " + target.user + ": ")) {
    target.password = std::move(*typed);
  } else {
    return std::string("no password: set ") + kPasswordVariable + " or run on a terminal";
  }
  return std::nullopt;
}

GatewayClient::GatewayClient(vorel::Session& session, GatewayTarget target)
    : session_(session), target_(std::move(target)) {
  socket_.SetRemote(&session_.Remote());
  socket_.SetErrorReporter([this](const QString& text) { failure_ = text.toStdString(); });
  session_.SetGatewaySocket(&socket_);
  session_.SetRemotePrompts(this);
  session_.AddObserver(this);
  session_.SelectMode(false);
}

GatewayClient::~GatewayClient() {
  session_.RemoveObserver(this);
  session_.SelectMode(false);  // closes the socket
  session_.SetRemotePrompts(nullptr);
  session_.SetGatewaySocket(nullptr);
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
  for (const vorel::GatewaySystem& system : systems) {
    if (!target_.system.empty() && system.serial == target_.system) return system;
  }
  return std::nullopt;
}

bool GatewayClient::AskRetryLogin() {
  failure_ = "Login rejected";
  return false;
}

void GatewayClient::GatewaySystemsListed(const std::vector<vorel::GatewaySystem>& systems) {
  listed_ = systems;
  listComplete_ = true;
  if (target_.system.empty()) return;
  const bool known = std::any_of(systems.begin(), systems.end(), [this](const auto& system) {
    return system.serial == target_.system;
  });
  if (!known) failure_ = "the gateway does not list system " + target_.system;
}

void GatewayClient::LinkStateChanged() {
  const vorel::RemoteLink& remote = session_.Remote();
  if (failure_ || !remote.View().stateVisible) return;
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

std::optional<std::string> GatewayClient::Run(QCoreApplication& application, int timeoutTicks,
                                              const std::function<bool()>& done,
                                              const std::function<void()>& tick) {
  session_.Remote().ConnectClick(target_.host, target_.port);
  int ticksLeft = timeoutTicks;
  bool finished = false;
  const auto check = [&] {
    if (finished) return;
    if (failure_ || done() || --ticksLeft <= 0) {
      finished = true;
      application.quit();
    }
  };
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    session_.Remote().Tick(false);
    if (tick) tick();
    check();
  });
  timer.start(kTickMs);
  application.exec();
  if (failure_) return failure_;
  if (done()) return std::nullopt;
  return std::string("No answer from the gateway");
}

}  // namespace vorelctl
