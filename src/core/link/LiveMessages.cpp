// Decoding the controller's status report.
#include "core/link/LiveMessages.h"

#include <algorithm>

#include "core/base/Bytes.h"

namespace vorel {

using namespace wire;

std::optional<StatusReport> DecodeStatusReport(std::span<const uint8_t> message) {
  if (message.size() <= kLengthByte || message[0] != message::kStatusReport) return std::nullopt;
  StatusReport report;
  report.sentLength = message[kLengthByte];
  if (message.size() < kReportPumps + kSetupBytes) return std::nullopt;
  std::copy_n(message.begin() + kReportPumps, kSetupBytes, report.setup.begin());
  if (report.sentLength != kShortReportLength) {
    if (message.size() < kLongReportLength) return std::nullopt;
    std::copy_n(message.begin(), kLongReportLength, report.bytes.begin());
    return report;
  }
  if (message.size() < kShortReportLength) return std::nullopt;
  auto& wide = report.bytes;
  wide[0] = message::kStatusReport;
  wide[kReportPumps] = message[kReportPumps];
  wide[kReportByte7] = message[kReportByte7];
  const uint16_t outputs = bytes::LoadLe16(message, kReportOutputs);
  const uint8_t valves = message[kReportOutputs + 1] & kValveBits;
  bytes::StoreLe16(wide, kReportOutputs, outputs & kMachineOutputBits);
  wide[kReportOutputs + 1] |= valves;
  for (size_t m = 0; m < kReportMachines; ++m) {
    const uint8_t* from = &message[kMachineRecords + kShortRecordSize * m];
    uint8_t* to = &wide[kMachineRecords + kLongRecordSize * m];
    to[kRecordLine] = from[kRecordLine];
    to[kRecordSlot] = from[kRecordSlot] & kShortSlotBits;
    to[kRecordFlags] = from[kRecordFlags] & kShortFlagBits;
  }
  return report;
}

}  // namespace vorel
