// The serial messages between the tool and the controller: their codes and the
// payloads the link itself builds. Byte positions count from the first header byte;
// the payload starts at byte 6.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/link/Frame.h"

namespace vorel {

namespace message {
inline constexpr uint8_t kPoll = 0x30;
inline constexpr uint8_t kSyncRequest = 0x31;
inline constexpr uint8_t kManualControl = 0x32;
inline constexpr uint8_t kStatusReport = 0x33;
inline constexpr uint8_t kMemoryReadRequest = 0x34;
inline constexpr uint8_t kMemoryReadReply = 0x35;
inline constexpr uint8_t kMemoryWriteRequest = 0x36;
inline constexpr uint8_t kMemoryWriteReply = 0x37;
inline constexpr uint8_t kControlCommand = 0x38;
inline constexpr uint8_t kResetConsumptionLog = 0x39;
inline constexpr uint8_t kConsumptionLogReset = 0x3A;
inline constexpr uint8_t kClearAlarmLog = 0x3B;
inline constexpr uint8_t kAlarmLogCleared = 0x3C;
inline constexpr uint8_t kEthernetMonitorRequest = 0x3E;
inline constexpr uint8_t kEthernetMonitorReport = 0x3F;
inline constexpr uint8_t kEnterBootLoader = 0x72;

// ControlCommand: bits 0..3 the machine index (10: all machines), bit 4 reset.
inline constexpr uint8_t kResetFlag = 0x10;
inline constexpr uint8_t kResetArgumentMask = 0x0F;
inline constexpr uint8_t kAllMachines = 10;

inline constexpr size_t kManualControlPayload = 6;
// Memory requests move 1..128 bytes at a 16-bit address.
inline constexpr size_t kMemoryBlockMax = 128;
inline constexpr size_t kMemoryCount = 6;
inline constexpr size_t kMemoryAddress = 7;
inline constexpr size_t kMemoryData = 9;
// EthernetMonitorReport.
inline constexpr size_t kMonitorFlags = 6;
inline constexpr uint8_t kMonitorPresent = 0x10;
inline constexpr uint8_t kMonitorMachineMask = 0x0F;
inline constexpr size_t kMonitorSerial = 7;   // 32-bit big-endian
inline constexpr size_t kMonitorUnitId = 11;  // 32-bit big-endian
inline constexpr size_t kMonitorStatus = 15;
inline constexpr size_t kMonitorStatusCount = 4;
inline constexpr size_t kMonitorSoftener = 19;
inline constexpr size_t kMonitorReportSize = 20;
}  // namespace message

// The manual override the PC answers polls with (the system setup window's state).
struct ManualControlState {
  uint8_t pumpOn = 0;        // bit i: pump i+1 switched on
  uint8_t pumpControl = 0;   // bit i: pump i+1 under PC control
  uint16_t onWord = 0;       // bits 0..9 machines, 10 flush water, 11 flush drain
  uint16_t controlWord = 0;  // the same under PC control; 12 alarm on, 13 alarm under control

  friend bool operator==(const ManualControlState&, const ManualControlState&) = default;
};

std::array<uint8_t, message::kManualControlPayload> EncodeManualControl(
    const ManualControlState& state);

// MemoryReadRequest and MemoryWriteRequest payloads: count, address, (data).
std::vector<uint8_t> EncodeMemoryReadRequest(uint16_t address, uint8_t count);
std::vector<uint8_t> EncodeMemoryWriteRequest(uint16_t address, std::span<const uint8_t> data);

// The same payloads as the controller reads them: count, address and, for a write,
// the data. Nothing for a count that is not 1..128 or a payload shorter than it says.
struct MemoryRequest {
  uint8_t count = 0;
  uint16_t address = 0;
  std::span<const uint8_t> data;  // a write's bytes, inside the payload
};
std::optional<MemoryRequest> DecodeMemoryRequest(std::span<const uint8_t> payload, bool write);

// A ManualControl payload as the controller reads it; nothing when it is short.
std::optional<ManualControlState> DecodeManualControl(std::span<const uint8_t> payload);

// A MemoryReadReply or MemoryWriteReply: the count and address it answers and, for a
// read, the data. Nothing when the message is shorter than its count says, the count
// is not 1..128 or the code is another.
struct MemoryReply {
  uint8_t command = 0;
  uint8_t count = 0;
  uint16_t address = 0;
  std::span<const uint8_t> data;  // a read's bytes, inside the message
};
std::optional<MemoryReply> DecodeMemoryReply(std::span<const uint8_t> message);

struct EthernetMonitorReport {
  int machineNumber = 0;  // 0 unknown
  uint32_t serialNumber = 0;
  uint32_t unitId = 0;
  std::array<uint8_t, message::kMonitorStatusCount> status{};
  uint8_t softener = 0;
};
// Nothing unless a report is present (bit 4 of byte 6) in a message long enough.
std::optional<EthernetMonitorReport> DecodeEthernetMonitorReport(std::span<const uint8_t> message);

// The ControlCommand byte that resets machine index 0..9, or all machines for 10.
constexpr uint8_t MachineResetCommand(int index) {
  return static_cast<uint8_t>((index & message::kResetArgumentMask) | message::kResetFlag);
}

}  // namespace vorel
