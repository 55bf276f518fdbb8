// The gateway connection's states and rules.
#include "core/link/RemoteLink.h"

#include <utility>

#include "core/base/Numbers.h"

namespace vorel {

LinkStatusLook LookOf(RemoteState state) {
  switch (state) {
    case RemoteState::kConnecting:
      return {"Connecting", 0};
    case RemoteState::kReady:
      return {"Ready", kStatusGreen};
    case RemoteState::kFailed:
      return {"Failed", kStatusYellow};
    case RemoteState::kNotFound:
      return {"Not found", kStatusYellow};
    case RemoteState::kInUse:
      return {"In use", kStatusYellow};
    case RemoteState::kDisconnected:
      return {"Disconnected", 0};
  }
  return {"", 0};
}

RemoteLink::RemoteLink(GatewaySocket& socket, RemotePrompts& prompts, RemoteEvents& events)
    : socket_(socket), prompts_(prompts), events_(events) {}

void RemoteLink::Show(RemoteState state) {
  view_.state = state;
  view_.stateVisible = true;
}

void RemoteLink::ClearSystemList() {
  systems_.clear();
  firstPreselected_ = false;
}

void RemoteLink::CloseSocket() {
  if (socketActive_) socket_.Close();
  socketActive_ = false;
  loginSocket_ = false;
  receiver_.Reset();
  ForgetQuestions();
}

void RemoteLink::ForgetQuestions() {
  ++socketGeneration_;
  question_ = Question::kNone;
  if (asking_ && !questionClosed_) {
    questionClosed_ = true;
    prompts_.CloseQuestion();
  }
}

void RemoteLink::ConnectClick(const std::string& host, uint16_t port) {
  view_.stateVisible = false;
  if (socketActive_) {
    Disconnect();
    return;
  }
  view_.connectShowsDisconnect = true;
  ForgetQuestions();
  socketActive_ = true;
  receiver_.Reset();
  socket_.Open(host, port);
  ClearSystemList();
  view_.accessVisible = false;
  loggedIn_ = false;
  Changed();
}

void RemoteLink::Disconnect() {
  const bool wasConnected = socketActive_ && socket_.IsConnected();
  CloseSocket();
  view_.connectShowsDisconnect = false;
  ClearSystemList();
  view_.accessVisible = false;
  loggedIn_ = false;
  Changed();
  // Closing a connected socket is a disconnect like any other.
  if (wasConnected) Disconnected();
}

void RemoteLink::Connected() {
  Show(RemoteState::kConnecting);
  question_ = Question::kLogin;  // asked from the next tick
  Changed();
}

void RemoteLink::AskPendingQuestion() {
  if (asking_ || question_ == Question::kNone) return;
  const Question question = std::exchange(question_, Question::kNone);
  const uint32_t generation = socketGeneration_;
  asking_ = true;
  questionClosed_ = false;
  switch (question) {
    case Question::kLogin: {
      const std::optional<GatewayLogin> login = prompts_.AskLogin();
      asking_ = false;
      if (generation != socketGeneration_) return;  // the socket went meanwhile
      if (!login) {
        Disconnect();
        view_.stateVisible = false;
        Changed();
        return;
      }
      loginSocket_ = true;
      Send(GatewayLoginMessage(login->user, login->password));
      return;
    }
    case Question::kSystem: {
      const std::optional<GatewaySystem> chosen = prompts_.AskSystem(systems_);
      asking_ = false;
      if (generation != socketGeneration_) return;
      if (chosen) {
        Choose(*chosen);
      } else {
        view_.stateVisible = true;
      }
      Changed();
      return;
    }
    case Question::kRetry: {
      const bool retry = prompts_.AskRetryLogin();
      asking_ = false;
      if (generation != socketGeneration_) return;
      if (retry) {
        Connected();
      } else {
        Disconnect();
      }
      return;
    }
    case Question::kNone:
      break;
  }
  asking_ = false;
}

void RemoteLink::Disconnected() {
  socketActive_ = false;
  loginSocket_ = false;
  ForgetQuestions();
  events_.ConnectionLost();  // runs Reset
  Show(RemoteState::kDisconnected);
  loggedIn_ = false;
  view_.accessVisible = false;
  Changed();
}

void RemoteLink::SocketError() {
  socketActive_ = false;
  loginSocket_ = false;
  ForgetQuestions();
  events_.ConnectionLost();
  Show(RemoteState::kDisconnected);
  Changed();
}

void RemoteLink::Reset() {
  view_ = RemoteView{};
  linkReady_ = false;
  loggedIn_ = false;
  fullAccess_ = false;
  systemOnline_ = false;
  accessCode_.clear();
  CloseSocket();
  pollCountdown_ = 0;
  rxBytes_ = 0;
  txBytes_ = 0;
}

bool RemoteLink::Send(std::span<const uint8_t> message) {
  if (!loginSocket_ || !socket_.IsConnected()) return false;
  std::vector<uint8_t> frame;
  AppendGatewayFrame(frame, message);
  if (!socket_.Write(frame)) return false;
  txBytes_ += static_cast<uint32_t>(frame.size());
  return true;
}

void RemoteLink::Receive(std::span<const uint8_t> bytes) {
  // What arrives after the connection went is not the chosen system's any more.
  if (!socketActive_) return;
  rxBytes_ += static_cast<uint32_t>(bytes.size());
  receiver_.Receive(bytes, [this](std::span<const uint8_t> message) {
    // A message may end the connection (Cancel after a rejected login); it is
    // handled from a copy, as the receive buffer starts again.
    const std::vector<uint8_t> copy(message.begin(), message.end());
    Message(copy);
  });
}

void RemoteLink::Message(std::span<const uint8_t> message) {
  if (IsGatewayType(message, gateway::kSystemEntry)) {
    SystemEntry(message);
  } else if (IsGatewayType(message, gateway::kSelectResult)) {
    SelectResult(message);
  } else if (IsGatewayType(message, gateway::kSystemAddress)) {
    view_.address = DecodeGatewaySystemAddress(message);
    view_.addressVisible = true;
    systemOnline_ = view_.address != gateway::kOffline;
    Changed();
  } else if (IsGatewayType(message, gateway::kLoginRejected)) {
    LoginRejected();
  } else {
    events_.GatewayMessage(message);
  }
}

void RemoteLink::SystemEntry(std::span<const uint8_t> message) {
  const std::optional<GatewaySystemEntry> entry = DecodeGatewaySystemEntry(message);
  if (!entry) return;
  if (!entry->endOfList) {
    if (systems_.empty()) firstPreselected_ = entry->system.inUse == gateway::kFree;
    systems_.push_back(entry->system);
    return;
  }
  events_.SystemListComplete(systems_);
  const bool loneFree = systems_.size() == 1 && firstPreselected_;
  if (loneFree && prompts_.ChoosesLoneFreeSystem()) {
    Choose(systems_.front());
  } else if (systems_.size() > 1 || (!systems_.empty() && !prompts_.ChoosesLoneFreeSystem())) {
    question_ = Question::kSystem;  // asked from the next tick
  } else {
    view_.stateVisible = true;
  }
  Changed();
}

void RemoteLink::Choose(const GatewaySystem& system) {
  Send(GatewaySelectSystemMessage(system.serial));
  selectedSerial_ = system.serial;
  selectedName_ = system.name;
  view_.nameEnabled = true;
  view_.nameText = system.serial + " / " + system.name;
  view_.nameVisible = true;
}

void RemoteLink::SelectResult(std::span<const uint8_t> message) {
  const std::optional<GatewaySelectResult> result = DecodeGatewaySelectResult(message);
  if (!result) return;
  switch (result->result) {
    case gateway::kSelectAccepted:
      view_.state = RemoteState::kFailed;
      if (result->complete && StrToIntDef(result->serial, -1) == StrToIntDef(selectedSerial_, -1)) {
        linkReady_ = true;
        loggedIn_ = true;
        accessCode_ = result->accessCode;
        view_.state = RemoteState::kReady;
        fullAccess_ = false;
        const char first = accessCode_.empty() ? '\0' : accessCode_[0];
        if (first == 'A') {
          view_.accessText = "Full access";
          fullAccess_ = true;
        } else if (first == 'B') {
          view_.accessText = "Read only";
        } else {
          view_.accessText = "Access: ?";
        }
        view_.accessVisible = true;
      }
      break;
    case gateway::kSelectNotFound:
      view_.state = RemoteState::kNotFound;
      break;
    case gateway::kSelectInUse:
      view_.state = RemoteState::kInUse;
      break;
    default:
      break;
  }
  view_.stateVisible = true;
  Changed();
}

void RemoteLink::LoginRejected() {
  question_ = Question::kRetry;  // asked from the next tick
}

void RemoteLink::Tick(bool supervising) {
  AskPendingQuestion();
  if (pollCountdown_ > 0) {
    --pollCountdown_;
    return;
  }
  pollCountdown_ = kPollTicks;
  if (systemOnline_ && supervising && socket_.IsConnected()) Send(GatewayStatusPollMessage());
}

}  // namespace vorel
