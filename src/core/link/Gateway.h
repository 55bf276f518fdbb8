// The gateway's side of the remote link: the frame that carries a gateway message
// over TCP (STX, the escaped message, its escaped complement checksum, ETX; no
// header), the receiving parser, and every gateway message the tool sends or reads.
// A gateway message starts with its two type bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorel {

namespace gateway {
inline constexpr uint16_t kPort = 14015;
// The receive buffer: bytes of a frame beyond it are not stored.
inline constexpr size_t kReceiveBuffer = 2000;

// Type bytes, PC to gateway.
inline constexpr std::array<uint8_t, 2> kLogin = {'A', 0x40};
inline constexpr std::array<uint8_t, 2> kSelectSystem = {'A', 'B'};
inline constexpr std::array<uint8_t, 2> kImageRead = {'A', 'C'};
inline constexpr std::array<uint8_t, 2> kImageWrite = {0x00, 'Q'};
inline constexpr std::array<uint8_t, 2> kImageChecksumRequest = {0x00, 'S'};
inline constexpr std::array<uint8_t, 2> kStatusPoll = {0x00, 'X'};
inline constexpr std::array<uint8_t, 2> kResetMachine = {0x03, '%'};
inline constexpr std::array<uint8_t, 2> kResetAllMachines = {0x03, '&'};
inline constexpr std::array<uint8_t, 2> kResetConsumptionLog = {0x06, ' '};
inline constexpr std::array<uint8_t, 2> kClearAlarmLog = {0x07, '"'};
// Gateway to PC.
inline constexpr std::array<uint8_t, 2> kSystemEntry = {'B', 'D'};
inline constexpr std::array<uint8_t, 2> kSelectResult = {'B', 'E'};
inline constexpr std::array<uint8_t, 2> kSystemAddress = {'B', 'F'};
inline constexpr std::array<uint8_t, 2> kImageBlock = {'B', 'H'};
inline constexpr std::array<uint8_t, 2> kLoginRejected = {'B', 'I'};
inline constexpr std::array<uint8_t, 2> kConsumptionLogReset = {'C', '!'};
inline constexpr std::array<uint8_t, 2> kAlarmLogCleared = {'C', '#'};
inline constexpr std::array<uint8_t, 2> kMachineResetDone = {'C', '%'};
inline constexpr std::array<uint8_t, 2> kAllMachinesResetDone = {'C', '&'};
inline constexpr std::array<uint8_t, 2> kImageChecksum = {'C', 'S'};
inline constexpr std::array<uint8_t, 2> kStatusReport = {'C', 'X'};

inline constexpr size_t kTypeSize = 2;
// The status poll's value, 30.
inline constexpr uint16_t kStatusPollValue = 0x1E;
// Image write: address (16-bit), count (1..200), the bytes.
inline constexpr size_t kImageWriteMax = 200;
// Image block: address at 2, count at 4 (16-bit each), data from 6.
inline constexpr size_t kBlockAddress = 2;
inline constexpr size_t kBlockCount = 4;
inline constexpr size_t kBlockData = 6;
// Image checksum: the 16-bit sum at 2.
inline constexpr size_t kChecksumValue = 2;
// Status report: pump outputs at 2, the machine and valve word at 4, ten 10-byte
// machine records from 16.
inline constexpr size_t kStatusPumps = 2;
inline constexpr size_t kStatusOutputs = 4;
inline constexpr size_t kStatusRecords = 16;
inline constexpr size_t kStatusRecordSize = 10;
inline constexpr size_t kStatusMachines = 10;
inline constexpr size_t kStatusReportSize = kStatusRecords + kStatusRecordSize * kStatusMachines;
// Text limits of a system entry (serial, name, in-use text, address) and of an
// accepted selection (serial, access code), in characters before the zero.
inline constexpr std::array<size_t, 4> kEntryLimits = {100, 200, 100, 40};
inline constexpr size_t kSelectedSerialLimit = 19;
inline constexpr size_t kAccessCodeLimit = 9;
inline constexpr size_t kSelectResultCode = 2;
inline constexpr uint8_t kSelectAccepted = 0;
inline constexpr uint8_t kSelectNotFound = 1;
inline constexpr uint8_t kSelectInUse = 2;
// What the gateway reports for a system it cannot reach.
inline constexpr std::string_view kOffline = "Offline";
// The in-use text of a free system.
inline constexpr std::string_view kFree = "-";
}  // namespace gateway

// The message's type is `type`.
bool IsGatewayType(std::span<const uint8_t> message, const std::array<uint8_t, 2>& type);

// STX, the message and its complement checksum escaped, ETX: appended to `out`.
void AppendGatewayFrame(std::vector<uint8_t>& out, std::span<const uint8_t> message);

// The receiving side of the gateway socket. Bytes before an STX are discarded; an
// escaped byte is always data; at ETX a frame of more than two stored bytes whose
// sum is 0xFF is a message (its last byte, the checksum, removed); anything else is
// dropped. A frame longer than the buffer is dropped whole: the part that fitted is
// never taken for the message, even when its sum happens to hold.
class GatewayReceiver {
 public:
  // Calls `message(span)` for every whole message, type bytes first.
  template <typename OnMessage>
  void Receive(std::span<const uint8_t> bytes, OnMessage&& message) {
    for (uint8_t byte : bytes) {
      if (const size_t length = Step(byte))
        message(std::span<const uint8_t>(buffer_.data(), length));
    }
  }
  // Waiting for the next STX.
  void Reset() {
    index_ = kWaiting;
    escaped_ = false;
    overflow_ = false;
  }

 private:
  static constexpr int kWaiting = -1;
  // The length of the message `byte` completed, 0 when none.
  size_t Step(uint8_t byte);
  void Store(uint8_t byte);

  std::array<uint8_t, gateway::kReceiveBuffer> buffer_{};
  int index_ = kWaiting;
  bool escaped_ = false;
  bool overflow_ = false;
};

// Messages the tool sends, type bytes first.
std::vector<uint8_t> GatewayLoginMessage(std::string_view user, std::string_view password);
std::vector<uint8_t> GatewaySelectSystemMessage(std::string_view serial);
std::vector<uint8_t> GatewayImageReadMessage();
// Up to 200 bytes at `address`.
std::vector<uint8_t> GatewayImageWriteMessage(uint16_t address, std::span<const uint8_t> data);
std::vector<uint8_t> GatewayImageChecksumRequestMessage();
std::vector<uint8_t> GatewayStatusPollMessage();
// Machine index 0..9; all machines are a message of their own.
std::vector<uint8_t> GatewayResetMachineMessage(int machineIndex);
std::vector<uint8_t> GatewayResetAllMachinesMessage();
std::vector<uint8_t> GatewayResetConsumptionLogMessage();
std::vector<uint8_t> GatewayClearAlarmLogMessage();

// A system the gateway knows.
struct GatewaySystem {
  std::string serial;
  std::string name;
  std::string inUse;    // "-" when free
  std::string address;  // an IP address or "Offline"

  friend bool operator==(const GatewaySystem&, const GatewaySystem&) = default;
};

// A system list entry: a system, or the end of the list (an empty serial, whatever
// follows it). Nothing when a text is not zero-terminated within its limit.
struct GatewaySystemEntry {
  bool endOfList = false;
  GatewaySystem system;
};
std::optional<GatewaySystemEntry> DecodeGatewaySystemEntry(std::span<const uint8_t> message);

// The gateway's answer to a selection. An accepted one carries the serial it chose
// and the access code; `complete` is false when those texts were not
// zero-terminated within their limits.
struct GatewaySelectResult {
  uint8_t result = 0;
  bool complete = false;
  std::string serial;
  std::string accessCode;
};
std::optional<GatewaySelectResult> DecodeGatewaySelectResult(std::span<const uint8_t> message);

// The selected system's address ("Offline" when unreachable): the text up to its
// zero or the message's end.
std::string DecodeGatewaySystemAddress(std::span<const uint8_t> message);

// A block of the controller's image. Nothing when the count is larger than the
// bytes that came with it.
struct GatewayImageBlock {
  uint16_t address = 0;
  uint16_t count = 0;
  std::span<const uint8_t> data;  // inside the message
};
std::optional<GatewayImageBlock> DecodeGatewayImageBlock(std::span<const uint8_t> message);

// The 16-bit sum the gateway confirms a write with.
std::optional<uint16_t> DecodeGatewayImageChecksum(std::span<const uint8_t> message);

// The controller's state as the gateway relays it.
struct GatewayStatus {
  uint8_t pumps = 0;
  uint16_t outputs = 0;
  std::array<std::array<uint8_t, gateway::kStatusRecordSize>, gateway::kStatusMachines> records{};
};
// Nothing for a message shorter than its ten records.
std::optional<GatewayStatus> DecodeGatewayStatus(std::span<const uint8_t> message);

}  // namespace vorel
