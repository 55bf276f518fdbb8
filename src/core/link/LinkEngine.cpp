// The link's sequence, retransmission and poll rules.
#include "core/link/LinkEngine.h"

#include <algorithm>

namespace vorel {

using namespace frame;

namespace {

std::vector<uint8_t> Header(uint8_t command, uint8_t sequence, uint8_t destination) {
  std::vector<uint8_t> message(kHeaderSize, 0);
  message[kCommand] = command;
  message[kSequence] = sequence;
  message[kDestination] = destination;
  message[kSource] = kPc;
  return message;
}

}  // namespace

LinkEngine::LinkEngine(ByteSink& out, PollAnswers& answers) : out_(out), answers_(answers) {}

void LinkEngine::AddListener(LinkListener* listener) {
  if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
    listeners_.push_back(listener);
}

void LinkEngine::RemoveListener(LinkListener* listener) {
  std::erase(listeners_, listener);
}

void LinkEngine::Receive(std::span<const uint8_t> bytes) {
  counters_.rxBytes += static_cast<uint32_t>(bytes.size());
  receiver_.Receive(bytes, *this);
}

void LinkEngine::ByteOutsideFrame(uint8_t byte) {
  if (!firmwareVisible_) return;
  for (LinkListener* listener : listeners_) listener->BootLoaderByte(byte);
}

void LinkEngine::FrameReceived(std::span<const uint8_t> frame) {
  if (CheckFrame(frame) != FrameCheck::kMessage) {
    ++counters_.checksumErrors;
    for (LinkListener* listener : listeners_) listener->ChecksumError();
    return;
  }
  if (firmwareProgramming_) return;
  const uint8_t destination = frame[kDestination];
  const uint8_t source = frame[kSource];
  if (destination == kPc) {
    FromController(frame);
  } else if (destination == kController && source >= kFirstTriggerUnit &&
             source <= kLastTriggerUnit) {
    for (LinkListener* listener : listeners_)
      listener->TriggerUnitFrame(source - kFirstTriggerUnit, frame);
  }
}

void LinkEngine::SetLinkReady(bool ready) {
  if (linkReady_ == ready) return;
  linkReady_ = ready;
  for (LinkListener* listener : listeners_) listener->LinkReadyChanged(ready);
}

void LinkEngine::FromController(std::span<const uint8_t> message) {
  aliveCountdown_ = kLinkAliveTicks;
  SetLinkReady(true);
  const uint8_t sequence = message[kSequence];
  if (sequence == 0 || sequence != sequence_) {
    // Out of step: start again at 1; the unacknowledged request goes out again
    // with the next in-sequence frame.
    sequence_ = 0;
    std::vector<uint8_t> sync = Header(message::kSyncRequest, 0, kController);
    SendMessage(sync);
    sequence_ = 1;
    ++counters_.syncs;
    if (!retransmitCopy_.empty()) retransmitDue_ = true;
  } else if (retransmitDue_) {
    retransmitDue_ = false;
    if (!retransmitCopy_.empty()) {
      counters_.retransmits += static_cast<uint32_t>(retransmitCopy_.size());
      SendWithNextSequence(retransmitCopy_);
    }
  } else {
    if (!retransmitCopy_.empty()) acknowledged_ = copyNumber_;  // the last request arrived
    retransmitCopy_.clear();
    const std::vector<uint8_t> received(message.begin(), message.end());
    for (LinkListener* listener : listeners_) listener->MessageReceived(received);
    if (!pending_.empty()) {
      std::vector<uint8_t> request;
      request.swap(pending_);
      if (!firmwareVisible_) {
        request[kSequence] = sequence_;
        retransmitCopy_ = request;
        copyNumber_ = pendingNumber_;
      }
      SendWithNextSequence(request);
    } else if (received[kCommand] == message::kPoll) {
      AnswerPoll();
    }
  }
  if (sequence_ == 0) sequence_ = 1;
}

bool LinkEngine::SendWithNextSequence(std::vector<uint8_t>& message) {
  message[kSequence] = sequence_++;
  return SendMessage(message);
}

void LinkEngine::AnswerPoll() {
  std::optional<uint8_t> reset;
  if (answers_.TakeMachineReset(reset)) {
    // This poll gets no answer; the command goes out with the next frame.
    if (reset) {
      const uint8_t payload[] = {*reset};
      QueueRequest(message::kControlCommand, kController, payload);
    }
    return;
  }
  if (answers_.EthernetMonitorOn()) {
    std::vector<uint8_t> request = Header(message::kEthernetMonitorRequest, 0, kController);
    SendWithNextSequence(request);
    return;
  }
  std::vector<uint8_t> manual = Header(message::kManualControl, 0, kController);
  const auto payload = EncodeManualControl(answers_.ManualControl());
  manual.insert(manual.end(), payload.begin(), payload.end());
  SendWithNextSequence(manual);
}

void LinkEngine::Tick(bool portOpen) {
  if (!portOpen) {
    aliveCountdown_ = 0;
    SetLinkReady(false);
    return;
  }
  if (aliveCountdown_ > 0 && --aliveCountdown_ == 0) SetLinkReady(false);
}

void LinkEngine::Restart() {
  counters_.rxBytes = 0;
  counters_.txBytes = 0;
  counters_.syncs = 0;
  counters_.retransmits = 0;
  sequence_ = 0;
  receiver_.Reset();
  DropRequests();
  aliveCountdown_ = 0;
  SetLinkReady(false);
}

void LinkEngine::DropRequests() {
  pending_.clear();
  retransmitCopy_.clear();
  retransmitDue_ = false;
}

bool LinkEngine::QueueRequest(uint8_t command, uint8_t destination,
                              std::span<const uint8_t> payload) {
  if (!pending_.empty() || kHeaderSize + payload.size() > kMaxMessage) return false;
  pending_ = Header(command, 0, destination);
  pending_.insert(pending_.end(), payload.begin(), payload.end());
  pendingNumber_ = ++queued_;
  return true;
}

bool LinkEngine::SendMessage(std::span<uint8_t> message) {
  if (message.size() < kHeaderSize || message.size() > kMaxMessage) return false;
  SealMessage(message);
  frameOut_.clear();
  AppendFrame(frameOut_, message);
  counters_.txBytes += static_cast<uint32_t>(frameOut_.size());
  const bool written = out_.Write(frameOut_);
  if (message[kCommand] == message::kEnterBootLoader) pending_.clear();
  return written;
}

bool LinkEngine::SendBootFrame(std::span<const uint8_t> data) {
  frameOut_.clear();
  AppendBootFrame(frameOut_, data);
  counters_.txBytes += static_cast<uint32_t>(frameOut_.size());
  return out_.Write(frameOut_);
}

void LinkEngine::SetFirmwareWindow(bool visible, bool programming) {
  firmwareVisible_ = visible;
  firmwareProgramming_ = visible && programming;
}

void LinkEngine::AdvanceSequence() {
  ++sequence_;
  if (sequence_ == 0) sequence_ = 1;
}

}  // namespace vorel
