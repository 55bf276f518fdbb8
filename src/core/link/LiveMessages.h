// The live messages on the bus and from the gateway, as the tool receives them:
// the controller's status report, the trigger units' frames and the gateway's
// machine records. Their byte layouts are named here, once; each message is
// decoded once, where it arrives, into a read-only value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "core/link/Messages.h"

namespace vorel {

namespace wire {
// Message codes.
inline constexpr uint8_t kTriggerFrameCode = 0x0A;
inline constexpr uint8_t kTriggerIdentFrameCode = 0x0B;

// Status report: code, length, then the controller's state. Controllers send it
// with 3-byte machine records (44 bytes) or with 5-byte ones (64 bytes).
inline constexpr size_t kLengthByte = 1;
inline constexpr uint8_t kShortReportLength = 44;
inline constexpr uint8_t kLongReportLength = 64;
inline constexpr size_t kReportPumps = 6;
inline constexpr size_t kReportByte7 = 7;
inline constexpr size_t kReportOutputs = 8;  // 16-bit: machine outputs 0-9, valves 10-11
inline constexpr size_t kSetupBytes = 4;     // bytes 6..9, the system setup's
inline constexpr size_t kMachineRecords = 14;
inline constexpr size_t kReportMachines = 10;
inline constexpr size_t kShortRecordSize = 3;
inline constexpr size_t kLongRecordSize = 5;
inline constexpr uint16_t kMachineOutputBits = 0x03FF;
inline constexpr uint8_t kValveBits = 0x0C;  // bits 2 and 3 of the outputs' high byte
inline constexpr uint8_t kShortSlotBits = 0x7F;

// Machine record bytes, in a status report and in a gateway record.
inline constexpr size_t kRecordLine = 0;
inline constexpr size_t kRecordSlot = 1;
inline constexpr size_t kRecordFlags = 2;
inline constexpr size_t kRecordInputs = 3;  // long records and gateway records
inline constexpr size_t kRecordLoad = 4;    // long records
inline constexpr uint8_t kSlotMask = 0x1F;
inline constexpr uint8_t kInputsMask = 0x3F;
inline constexpr uint8_t kFlagTriggerOnline = 0x01;
inline constexpr uint8_t kFlagKeyboardConnected = 0x02;  // gateway record
inline constexpr uint8_t kFlagKeyboardLocked = 0x04;
inline constexpr uint8_t kFlagSerialConnection = 0x08;  // gateway record
inline constexpr uint8_t kShortFlagBits = kFlagTriggerOnline | kFlagKeyboardLocked;
inline constexpr size_t kGatewayRecordSize = 10;

// Trigger unit frame bytes, counted from the frame start.
inline constexpr size_t kFrameInputs = 6;
inline constexpr uint8_t kFrameNoWeight = 0x20;  // bit 5 of the inputs byte
inline constexpr size_t kFrameWeight = 8;
inline constexpr size_t kFrameUnit = 9;  // bits 0-3 kind, bit 4 "S", bit 5 "K"
inline constexpr size_t kFrameVersion = 10;
inline constexpr size_t kFrameProgramNumber = 11;
inline constexpr uint8_t kUnitKindMask = 0x0F;
inline constexpr uint8_t kUnitSerialFlag = 0x10;
inline constexpr uint8_t kUnitKeyboardFlag = 0x20;
}  // namespace wire

// A controller status report in the 64-byte layout, whichever layout it came in.
struct StatusReport {
  // The length the controller sent: 44 (widened here) or 64.
  uint8_t sentLength = wire::kLongReportLength;
  // The report in the 64-byte layout; in a widened report the length byte reads 0.
  std::array<uint8_t, wire::kLongReportLength> bytes{};
  // Bytes 6..9 as sent (pumps, byte 7, the outputs with the alarm output's bit 12):
  // the same in both forms, read by the system setup before any widening.
  std::array<uint8_t, wire::kSetupBytes> setup{};
  uint8_t SetupPumps() const { return setup[0]; }
  uint16_t SetupOutputs() const {
    return static_cast<uint16_t>(setup[wire::kReportOutputs - wire::kReportPumps] |
                                 setup[wire::kReportOutputs - wire::kReportPumps + 1] << 8);
  }

  bool CameLong() const { return sentLength == wire::kLongReportLength; }
  // The 5-byte record of machine index 0..9.
  std::span<const uint8_t, wire::kLongRecordSize> MachineRecord(size_t machineIndex) const {
    return std::span<const uint8_t, wire::kLongRecordSize>(
        bytes.data() + wire::kMachineRecords + wire::kLongRecordSize * machineIndex,
        wire::kLongRecordSize);
  }
};

// A status report from its message bytes (code first). A 44-byte report is widened
// into the 64-byte layout: pumps and byte 7 as sent, the outputs' machine and valve
// bits, and each record's line, slot (bits 0-6) and flags (trigger online, keyboard
// locked). Nothing for another code or a message shorter than its layout.
std::optional<StatusReport> DecodeStatusReport(std::span<const uint8_t> message);

}  // namespace vorel
