// Asking the controller something and waiting for its answer. The link itself
// never notices a lost reply, so a request without an answer for 1 s is sent again,
// up to three times, before the asker hears "no answer". Reads, writes and resets
// are harmless to repeat.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/link/LinkEngine.h"

namespace vorel {

struct ControllerRequest {
  uint8_t command = 0;
  uint8_t destination = frame::kController;
  std::vector<uint8_t> payload;
  uint8_t replyCommand = 0;
  // A memory reply must answer this address and count.
  std::optional<uint16_t> address;
  std::optional<uint8_t> count;
};

class RequestHelper : private LinkListener {
 public:
  static constexpr int kReplyTicks = 10;  // 1 s
  static constexpr int kRepeats = 3;
  // How long a request may wait for the pending slot before it counts as unanswered.
  static constexpr int kSlotTicks = kReplyTicks * (kRepeats + 1);

  // The reply message, or nothing when the controller never answered.
  using Done = std::function<void(std::optional<std::vector<uint8_t>> reply)>;

  explicit RequestHelper(LinkEngine& link);
  ~RequestHelper() override;
  RequestHelper(const RequestHelper&) = delete;
  RequestHelper& operator=(const RequestHelper&) = delete;

  // False while another request waits for its answer.
  bool Start(ControllerRequest request, Done done);
  // Every 100 ms.
  void Tick();
  bool Busy() const { return active_.has_value(); }
  // Ends the wait without an answer (Stop, closing the window, the connection gone):
  // a request still waiting in the pending slot is taken back.
  void Cancel();
  // How often the last request went out.
  int Sends() const { return sends_; }
  // Requests sent again for a lost answer, since this helper was made.
  uint64_t Repeats() const { return repeats_; }

 private:
  void MessageReceived(std::span<const uint8_t> message) override;
  bool Matches(std::span<const uint8_t> message) const;
  void TrySend();
  void GiveUp();

  LinkEngine& link_;
  std::optional<ControllerRequest> active_;
  Done done_;
  bool queued_ = false;
  uint32_t number_ = 0;  // the link's number of the request last queued
  int ticksLeft_ = 0;
  int slotTicks_ = 0;
  int sends_ = 0;
  uint64_t repeats_ = 0;
};

}  // namespace vorel
