// The remote side of the communication window without its widgets: the TCP
// connection to the gateway, the login, the choice of a dispenser system, the
// state the labels show, the status poll while a supervising window is open, and
// the hand-over of every other gateway message to the windows.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/link/Gateway.h"
#include "core/link/LinkEngine.h"
#include "core/link/LocalLink.h"

namespace vorel {

// The TCP socket to the gateway. Opening is asynchronous: the socket later reports
// Connected, Disconnected or an error to the remote link. Closing reports nothing.
// Writes are buffered by the socket, in order, and never wait.
class RemoteLink;

class GatewaySocket : public ByteSink {
 public:
  // Where the socket's events go (Connected, Receive, ...): the session's remote
  // link while the socket is attached, none afterwards.
  virtual void SetRemote(RemoteLink* remote) {}
  virtual void Open(const std::string& host, uint16_t port) = 0;
  virtual void Close() = 0;
  virtual bool IsConnected() const = 0;
};

// The login user and password, only on their way to the gateway.
struct GatewayLogin {
  std::string user;
  std::string password;
};

// The remote login window, shown modally. The remote link asks from its tick,
// never inside the socket's events.
class RemotePrompts {
 public:
  virtual ~RemotePrompts() = default;
  // A list of one free system is chosen without asking (the window); false: every
  // list is offered to AskSystem (vorelctl chooses exactly what it was told).
  virtual bool ChoosesLoneFreeSystem() const { return true; }
  // The connection went while a question was open: the question closes unanswered.
  virtual void CloseQuestion() {}
  // Login mode: nothing when the technician cancelled.
  virtual std::optional<GatewayLogin> AskLogin() = 0;
  // List mode: the confirmed system, nothing when cancelled.
  virtual std::optional<GatewaySystem> AskSystem(const std::vector<GatewaySystem>& systems) = 0;
  // "Invalid user name or password": true for Retry, false for Cancel.
  virtual bool AskRetryLogin() = 0;
};

// What the remote link tells the session. Every handler has an empty default.
class RemoteEvents {
 public:
  virtual ~RemoteEvents() = default;
  // A gateway message for the windows (status, image blocks, confirmations).
  virtual void GatewayMessage(std::span<const uint8_t> message) {}
  // The socket went away: the mode selection runs again.
  virtual void ConnectionLost() {}
  // Flags or labels changed: the windows refresh what they allow, the caption.
  virtual void RemoteChanged() {}
  // The gateway's list ended (before a system is chosen from it).
  virtual void SystemListComplete(const std::vector<GatewaySystem>& systems) {}
};

enum class RemoteState { kConnecting, kReady, kFailed, kNotFound, kInUse, kDisconnected };
LinkStatusLook LookOf(RemoteState state);

// What the remote group's labels show.
struct RemoteView {
  bool stateVisible = false;
  RemoteState state = RemoteState::kDisconnected;
  bool accessVisible = false;
  std::string accessText;
  bool addressVisible = false;
  std::string address;
  bool nameEnabled = false;  // "Name:"
  bool nameVisible = false;
  std::string nameText;  // serial " / " name
  bool connectShowsDisconnect = false;
};

class RemoteLink {
 public:
  static constexpr int kPollTicks = 10;  // a poll at most every 11 ticks

  RemoteLink(GatewaySocket& socket, RemotePrompts& prompts, RemoteEvents& events);

  // RemoteConnectBtn: connects to `host`, or disconnects when a connection is up.
  void ConnectClick(const std::string& host, uint16_t port = gateway::kPort);
  // The socket's events.
  void Connected();
  void Disconnected();
  void SocketError();
  void Receive(std::span<const uint8_t> bytes);
  // Every 100 ms in remote mode: a question the socket's events left for it (login,
  // system, retry), and the status poll while the system setup window or a machine
  // window is visible.
  void Tick(bool supervising);
  // A question waits for the next tick or is open.
  bool Asking() const { return question_ != Question::kNone || asking_; }
  // The mode selection: every remote flag and label back, the socket closed.
  void Reset();

  // SendGatewayMessage: false without a logged-in socket. The socket buffers the
  // frame; nothing waits.
  bool Send(std::span<const uint8_t> message);

  bool LinkReady() const { return linkReady_; }
  bool LoggedIn() const { return loggedIn_; }
  bool SystemOnline() const { return systemOnline_; }
  bool FullAccess() const { return fullAccess_; }
  const std::string& AccessCode() const { return accessCode_; }
  const std::string& SelectedSerial() const { return selectedSerial_; }
  const std::string& SelectedName() const { return selectedName_; }
  const std::vector<GatewaySystem>& Systems() const { return systems_; }
  const RemoteView& View() const { return view_; }
  bool SocketActive() const { return socketActive_; }
  uint32_t RxBytes() const { return rxBytes_; }
  uint32_t TxBytes() const { return txBytes_; }

 private:
  void Message(std::span<const uint8_t> message);
  void SystemEntry(std::span<const uint8_t> message);
  void SelectResult(std::span<const uint8_t> message);
  void Choose(const GatewaySystem& system);
  void LoginRejected();
  void Disconnect();
  void CloseSocket();
  void ClearSystemList();
  void Show(RemoteState state);
  void Changed() { events_.RemoteChanged(); }
  void AskPendingQuestion();
  // The socket went or was closed: an open question closes, a waiting one is dropped.
  void ForgetQuestions();

  enum class Question { kNone, kLogin, kSystem, kRetry };

  GatewaySocket& socket_;
  RemotePrompts& prompts_;
  RemoteEvents& events_;
  GatewayReceiver receiver_;
  bool socketActive_ = false;  // opening or connected
  bool loginSocket_ = false;   // the connected socket, remembered once a login went out
  bool linkReady_ = false;
  bool loggedIn_ = false;
  bool systemOnline_ = false;
  bool fullAccess_ = false;
  std::string accessCode_;
  std::string selectedSerial_;
  std::string selectedName_;
  std::vector<GatewaySystem> systems_;
  bool firstPreselected_ = false;
  int pollCountdown_ = 0;
  Question question_ = Question::kNone;
  bool asking_ = false;
  bool questionClosed_ = false;
  uint32_t socketGeneration_ = 0;  // counts sockets: an answer for a gone one is dropped
  uint32_t rxBytes_ = 0;
  uint32_t txBytes_ = 0;
  RemoteView view_;
};

}  // namespace vorel
