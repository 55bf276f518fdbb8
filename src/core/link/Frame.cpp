// Frame codec and receive state machine.
#include "core/link/Frame.h"

namespace vorel {

using namespace frame;

namespace {

void AppendEscaped(std::vector<uint8_t>& out, uint8_t byte) {
  if (IsSpecialByte(byte)) {
    out.push_back(kDle);
    out.push_back(byte ^ kEscapeXor);
  } else {
    out.push_back(byte);
  }
}

uint8_t SumOf(std::span<const uint8_t> bytes) {
  uint8_t sum = 0;
  for (uint8_t byte : bytes) sum = static_cast<uint8_t>(sum + byte);
  return sum;
}

}  // namespace

uint8_t ComplementOfSum(std::span<const uint8_t> bytes) {
  return static_cast<uint8_t>(SumOf(bytes) ^ 0xFF);
}

void SealMessage(std::span<uint8_t> message) {
  if (message.size() < kHeaderSize) return;
  message[kLength] = static_cast<uint8_t>(message.size());
  message[kChecksum] = 0;
  message[kChecksum] = ComplementOfSum(message);
}

void AppendFrame(std::vector<uint8_t>& out, std::span<const uint8_t> message) {
  out.reserve(out.size() + 2 * message.size() + 2);
  out.push_back(kStx);
  for (uint8_t byte : message) AppendEscaped(out, byte);
  out.push_back(kEtx);
}

void AppendBootFrame(std::vector<uint8_t>& out, std::span<const uint8_t> data) {
  out.reserve(out.size() + 2 * data.size() + 4);
  out.push_back(kStx);
  for (uint8_t byte : data) AppendEscaped(out, byte);
  AppendEscaped(out, ComplementOfSum(data));
  out.push_back(kEtx);
}

FrameCheck CheckFrame(std::span<const uint8_t> frame) {
  if (frame.size() < kHeaderSize || frame[kLength] != frame.size() ||
      SumOf(frame) != kSumOfMessage) {
    return FrameCheck::kChecksumError;
  }
  return FrameCheck::kMessage;
}

void FrameReceiver::Store(uint8_t byte) {
  // A frame past the longest message is dropped whole.
  if (index_ >= buffer_.size()) {
    state_ = State::kIdle;
    return;
  }
  buffer_[index_++] = byte;
  state_ = State::kInFrame;
}

void FrameReceiver::Receive(std::span<const uint8_t> bytes, Sink& sink) {
  for (uint8_t byte : bytes) {
    switch (state_) {
      case State::kIdle:
        if (byte == kStx) {
          index_ = 0;
          state_ = State::kInFrame;
        } else {
          sink.ByteOutsideFrame(byte);
        }
        break;
      case State::kInFrame:
        if (byte == kStx) {
          index_ = 0;  // a new frame starts; the partial one is dropped
        } else if (byte == kDle) {
          state_ = State::kEscaped;
        } else if (byte == kEtx) {
          state_ = State::kIdle;
          if (index_ > 1) sink.FrameReceived(std::span<const uint8_t>(buffer_.data(), index_));
        } else {
          Store(byte);
        }
        break;
      case State::kEscaped:
        // The byte after DLE is always data, even STX or ETX.
        Store(byte ^ kEscapeXor);
        break;
    }
  }
}

}  // namespace vorel
