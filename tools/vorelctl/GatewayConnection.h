// A headless connection to the gateway server for the verbs that work remotely:
// HOST[:PORT] and the user from the command line, the password from
// VOREL_GATEWAY_PASSWORD or typed without echo, the login, and (with a serial) the
// choice of that system, all on the session's remote link.
#pragma once

#include <QCoreApplication>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "Options.h"
#include "core/session/Session.h"
#include "io/GatewaySocketAdapter.h"

namespace vorelctl {

struct GatewayTarget {
  std::string host;
  uint16_t port = vorel::gateway::kPort;
  std::string user;
  std::string password;
  std::string system;  // the serial to choose; empty: none
};

// The target from --gateway, --user (and --system when `needsSystem`); a usage
// error otherwise. The password is never taken from the command line.
std::optional<std::string> ReadGatewayTarget(const ParsedArguments& parsed, bool needsSystem,
                                             GatewayTarget& target);

// Answers the remote link's prompts from the command line: the login once, the
// chosen system from the list, no retry after a rejection.
class GatewayClient final : private vorel::RemotePrompts, private vorel::SessionObserver {
 public:
  GatewayClient(vorel::Session& session, GatewayTarget target);
  ~GatewayClient() override;

  // Connects, and runs the event loop until `done` says so after a step of the
  // 100 ms tick or an event (true: stop), the gateway refuses, the connection
  // fails or `timeoutTicks` pass. Returns the failure's text, nothing when `done`
  // ended it.
  std::optional<std::string> Run(QCoreApplication& application, int timeoutTicks,
                                 const std::function<bool()>& done,
                                 const std::function<void()>& tick = {});

  const std::vector<vorel::GatewaySystem>& Listed() const { return listed_; }
  bool ListComplete() const { return listComplete_; }

 private:
  std::optional<vorel::GatewayLogin> AskLogin() override;
  std::optional<vorel::GatewaySystem> AskSystem(
      const std::vector<vorel::GatewaySystem>& systems) override;
  bool AskRetryLogin() override;
  void GatewaySystemsListed(const std::vector<vorel::GatewaySystem>& systems) override;
  void LinkStateChanged() override;

  vorel::Session& session_;
  GatewayTarget target_;
  vorel::GatewaySocketAdapter socket_;
  std::vector<vorel::GatewaySystem> listed_;
  bool listComplete_ = false;
  std::optional<std::string> failure_;
  bool loginAsked_ = false;
};

}  // namespace vorelctl
