// The frames on the controller's serial bus: a 6-byte header and payload between
// STX and ETX with the five special bytes escaped, the complement checksum, the
// header-less boot-loader frames, and the receive state machine that takes bytes
// as they arrive and hands out whole frames.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vorel {

namespace frame {
inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;
inline constexpr uint8_t kDle = 0x10;
inline constexpr uint8_t kNak = 0x15;
inline constexpr uint8_t kSyn = 0x16;
inline constexpr uint8_t kEscapeXor = 0x20;
// The 8-bit sum of a whole message, checksum included.
inline constexpr uint8_t kSumOfMessage = 0xFF;
// The longest message (unescaped, header included) either side keeps.
inline constexpr size_t kMaxMessage = 1000;

// Header bytes.
inline constexpr size_t kCommand = 0;
inline constexpr size_t kLength = 1;
inline constexpr size_t kSequence = 2;
inline constexpr size_t kDestination = 3;
inline constexpr size_t kSource = 4;
inline constexpr size_t kChecksum = 5;
inline constexpr size_t kHeaderSize = 6;

// Bus addresses.
inline constexpr uint8_t kAllTriggerUnits = 0;
inline constexpr uint8_t kController = 1;
inline constexpr uint8_t kPc = 2;
inline constexpr uint8_t kFirstTriggerUnit = 3;  // machine 1
inline constexpr uint8_t kLastTriggerUnit = 12;  // machine 10
}  // namespace frame

// The bytes the line reserves: STX, ETX, DLE, NAK and SYN.
constexpr bool IsSpecialByte(uint8_t byte) {
  return byte == frame::kStx || byte == frame::kEtx || byte == frame::kDle || byte == frame::kNak ||
         byte == frame::kSyn;
}

// The complement (XOR 0xFF) of the 8-bit sum of the bytes.
uint8_t ComplementOfSum(std::span<const uint8_t> bytes);

// Writes the length into byte 1 and the checksum into byte 5 of a message of at
// least the header's size, so that the 8-bit sum of all its bytes is 0xFF.
void SealMessage(std::span<uint8_t> message);

// STX, each byte of the sealed message escaped, ETX: appended to `out`.
void AppendFrame(std::vector<uint8_t>& out, std::span<const uint8_t> message);

// A boot-loader frame: STX, the data escaped, the complement of the data's sum
// escaped by the same rule, ETX; no header.
void AppendBootFrame(std::vector<uint8_t>& out, std::span<const uint8_t> data);

// What a complete frame is worth. A frame is a message only when it holds at least
// a header, its length byte tells the bytes that arrived and its sum is 0xFF;
// anything else counts as a checksum error and is never read.
enum class FrameCheck { kMessage, kChecksumError };
FrameCheck CheckFrame(std::span<const uint8_t> frame);

// The receiving side of the line, driven by the bytes as they arrive.
class FrameReceiver {
 public:
  class Sink {
   public:
    virtual ~Sink() = default;
    // A frame of two or more unescaped bytes ended by ETX, not yet checked.
    virtual void FrameReceived(std::span<const uint8_t> frame) = 0;
    // A byte outside any frame: a boot loader's single-byte answer.
    virtual void ByteOutsideFrame(uint8_t byte) {}
  };

  enum class State { kIdle, kInFrame, kEscaped };

  void Receive(std::span<const uint8_t> bytes, Sink& sink);
  State CurrentState() const { return state_; }
  void Reset() { state_ = State::kIdle; }

 private:
  void Store(uint8_t byte);

  State state_ = State::kIdle;
  std::array<uint8_t, frame::kMaxMessage> buffer_{};
  size_t index_ = 0;
};

}  // namespace vorel
