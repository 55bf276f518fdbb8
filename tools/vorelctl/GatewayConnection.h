// A headless connection to the gateway server for the verbs that work remotely:
// HOST[:PORT] and the user from the command line, the password from
// VOREL_GATEWAY_PASSWORD or typed without echo, the login, and (with a serial)
// the choice of exactly that system, all on the session's remote link.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "Options.h"
#include "core/session/Session.h"
#include "io/HeadlessRunner.h"

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
// What is wrong with the gateway options, as a usage error: the address, the user,
// the system's serial number.
vorel::Outcome GatewayUsage(const ParsedArguments& parsed, bool needsSystem);

// --port DEVICE, or --gateway HOST[:PORT] --user NAME --system SERIAL.
vorel::Outcome CheckRoute(const ParsedArguments& parsed);

vorel::Outcome ReadGatewayTarget(const ParsedArguments& parsed, bool needsSystem,
                                 GatewayTarget& target);

// Answers the remote link's questions from the command line: the login once, the
// named system or none (a lone free system is never taken unasked), no retry after
// a rejection. A system in use elsewhere, and for a write a login without full
// access, are refused before anything is sent to the controller.
class GatewayClient final : private vorel::RemotePrompts, private vorel::SessionObserver {
 public:
  // Connection, login and the choice of the system, together.
  static constexpr int kLoginTicks = 150;

  GatewayClient(vorel::Session& session, GatewayTarget target, bool forWrite = false);
  ~GatewayClient() override;

  // Connects and runs `runner` until the gateway has accepted the login and the
  // system (or, without a system, listed its systems), within kLoginTicks.
  vorel::Outcome Connect(vorel::HeadlessRunner& runner);

  const std::vector<vorel::GatewaySystem>& Listed() const { return listed_; }
  // Done so far, or why the gateway connection failed.
  vorel::Outcome State() const {
    return failure_ ? vorel::Outcome::Failed(*failure_) : vorel::Outcome::Done();
  }
  bool Interrupted() const { return interrupted_; }

 private:
  bool ChoosesLoneFreeSystem() const override { return false; }
  std::optional<vorel::GatewayLogin> AskLogin() override;
  std::optional<vorel::GatewaySystem> AskSystem(
      const std::vector<vorel::GatewaySystem>& systems) override;
  bool AskRetryLogin() override;
  void GatewaySystemsListed(const std::vector<vorel::GatewaySystem>& systems) override;
  void LinkStateChanged() override;

  vorel::Session& session_;
  GatewayTarget target_;
  bool forWrite_;
  std::vector<vorel::GatewaySystem> listed_;
  bool listComplete_ = false;
  std::optional<std::string> failure_;
  bool loginAsked_ = false;
  bool interrupted_ = false;
  vorel::Attachment promptsAttachment_;
  vorel::Attachment observing_;
};

}  // namespace vorelctl
