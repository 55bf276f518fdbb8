// A gateway for the tests: the session's socket and remote login window in one,
// logging the session in to one online system and keeping every message it sends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/link/Gateway.h"
#include "core/link/RemoteLink.h"
#include "core/session/Session.h"

namespace vorel::test {

struct ScriptedGateway : GatewaySocket, RemotePrompts {
  std::vector<std::vector<uint8_t>> sent;
  GatewayReceiver receiver;
  Session* session = nullptr;
  RemoteLink* remote = nullptr;  // the session's, while this socket is attached
  Attachment socket;
  Attachment prompts;

  // Logged in to system 7, online, with that access code ('A' full, 'B' read only);
  // its name in Windows-1252 bytes.
  void LogIn(Session& into, char access, const std::string& name = "L") {
    session = &into;
    socket = into.AttachGatewaySocket(*this);
    prompts = into.AttachRemotePrompts(*this);
    into.SelectMode(false);
    into.GatewayConnectClick("gateway");
    remote->Connected();
    into.Tick();  // the login is asked for from the tick after the connection
    std::vector<uint8_t> entry = {'B', 'D', '7', 0};
    entry.insert(entry.end(), name.begin(), name.end());
    entry.insert(entry.end(), {0, '-', 0, 'x', 0});
    Feed(entry);
    Feed({'B', 'D', 0});
    Feed({'B', 'E', 0, '7', 0, static_cast<uint8_t>(access), 0});
    Feed({'B', 'F', '1', 0});
    sent.clear();
  }
  // A message from the gateway, framed as it arrives.
  void Feed(const std::vector<uint8_t>& message) {
    std::vector<uint8_t> frame;
    AppendGatewayFrame(frame, message);
    remote->Receive(frame);
  }

  void SetRemote(RemoteLink* link) override { remote = link; }
  void Open(const std::string&, uint16_t) override {}
  void Close() override {}
  bool IsConnected() const override { return true; }
  bool Write(std::span<const uint8_t> bytes) override {
    receiver.Receive(bytes,
                     [&](std::span<const uint8_t> m) { sent.emplace_back(m.begin(), m.end()); });
    return true;
  }
  std::optional<GatewayLogin> AskLogin() override { return GatewayLogin{"tech", "secret"}; }
  std::optional<GatewaySystem> AskSystem(const std::vector<GatewaySystem>&) override {
    return std::nullopt;
  }
  bool AskRetryLogin() override { return false; }
};

}  // namespace vorel::test
