// Requests with their answers, repeated when an answer is lost.
#include "core/link/RequestHelper.h"

namespace vorel {

RequestHelper::RequestHelper(LinkEngine& link) : link_(link) {
  link_.AddListener(this);
}

RequestHelper::~RequestHelper() {
  link_.RemoveListener(this);
}

bool RequestHelper::Start(ControllerRequest request, Done done) {
  if (active_) return false;
  active_ = std::move(request);
  done_ = std::move(done);
  sends_ = 0;
  queued_ = false;
  slotTicks_ = 0;
  TrySend();
  return true;
}

void RequestHelper::Cancel() {
  if (active_) link_.Withdraw(number_);
  active_.reset();
}

void RequestHelper::GiveUp() {
  active_.reset();
  Done done = std::move(done_);
  done(std::nullopt);
}

void RequestHelper::TrySend() {
  // The pending slot may hold another part's request; try again next tick.
  queued_ = link_.QueueRequest(active_->command, active_->destination, active_->payload);
  if (!queued_) return;
  number_ = link_.LastQueued();
  if (++sends_ > 1) ++repeats_;
  ticksLeft_ = kReplyTicks;
}

void RequestHelper::Tick() {
  if (!active_) return;
  if (!queued_) {
    // A slot that never empties is a controller that never polls.
    if (++slotTicks_ > kSlotTicks) {
      GiveUp();
      return;
    }
    TrySend();
    return;
  }
  if (--ticksLeft_ > 0) return;
  if (sends_ > kRepeats) {
    GiveUp();
    return;
  }
  TrySend();
}

bool RequestHelper::Matches(std::span<const uint8_t> message) const {
  if (message.empty() || message[frame::kCommand] != active_->replyCommand) return false;
  if (!active_->address && !active_->count) return true;
  const std::optional<MemoryReply> reply = DecodeMemoryReply(message);
  return reply && (!active_->address || reply->address == *active_->address) &&
         (!active_->count || reply->count == *active_->count);
}

void RequestHelper::MessageReceived(std::span<const uint8_t> message) {
  if (!active_ || !Matches(message)) return;
  active_.reset();
  Done done = std::move(done_);
  done(std::vector<uint8_t>(message.begin(), message.end()));
}

}  // namespace vorel
