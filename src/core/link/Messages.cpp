// Payloads the link builds.
#include "core/link/Messages.h"

#include <algorithm>

#include "core/base/Bytes.h"

namespace vorel {

std::array<uint8_t, message::kManualControlPayload> EncodeManualControl(
    const ManualControlState& state) {
  std::array<uint8_t, message::kManualControlPayload> payload{};
  payload[0] = state.pumpOn;
  payload[1] = state.pumpControl;
  bytes::StoreLe16(payload, 2, state.onWord);
  bytes::StoreLe16(payload, 4, state.controlWord);
  return payload;
}

std::vector<uint8_t> EncodeMemoryReadRequest(uint16_t address, uint8_t count) {
  std::vector<uint8_t> payload = {count, 0, 0};
  bytes::StoreLe16(payload, 1, address);
  return payload;
}

std::vector<uint8_t> EncodeMemoryWriteRequest(uint16_t address, std::span<const uint8_t> data) {
  std::vector<uint8_t> payload(3 + data.size());
  payload[0] = static_cast<uint8_t>(data.size());
  bytes::StoreLe16(payload, 1, address);
  std::copy(data.begin(), data.end(), payload.begin() + 3);
  return payload;
}

std::optional<MemoryRequest> DecodeMemoryRequest(std::span<const uint8_t> payload, bool write) {
  constexpr size_t kRequestHeader = 3;  // count, address
  if (payload.size() < kRequestHeader) return std::nullopt;
  MemoryRequest request{payload[0], bytes::LoadLe16(payload, 1), {}};
  if (request.count == 0 || request.count > message::kMemoryBlockMax) return std::nullopt;
  if (write) {
    if (payload.size() < kRequestHeader + request.count) return std::nullopt;
    request.data = payload.subspan(kRequestHeader, request.count);
  }
  return request;
}

std::optional<ManualControlState> DecodeManualControl(std::span<const uint8_t> payload) {
  if (payload.size() < message::kManualControlPayload) return std::nullopt;
  return ManualControlState{payload[0], payload[1], bytes::LoadLe16(payload, 2),
                            bytes::LoadLe16(payload, 4)};
}

std::optional<MemoryReply> DecodeMemoryReply(std::span<const uint8_t> message) {
  using namespace message;
  if (message.size() < kMemoryData) return std::nullopt;
  MemoryReply reply;
  reply.command = message[frame::kCommand];
  if (reply.command != kMemoryReadReply && reply.command != kMemoryWriteReply) return std::nullopt;
  reply.count = message[kMemoryCount];
  reply.address = bytes::LoadLe16(message, kMemoryAddress);
  if (reply.count == 0 || reply.count > kMemoryBlockMax) return std::nullopt;
  if (reply.command == kMemoryReadReply) {
    if (message.size() < kMemoryData + reply.count) return std::nullopt;
    reply.data = message.subspan(kMemoryData, reply.count);
  }
  return reply;
}

std::optional<EthernetMonitorReport> DecodeEthernetMonitorReport(std::span<const uint8_t> message) {
  using namespace message;
  if (message.size() < kMonitorReportSize || message[frame::kCommand] != kEthernetMonitorReport ||
      (message[kMonitorFlags] & kMonitorPresent) == 0) {
    return std::nullopt;
  }
  EthernetMonitorReport report;
  report.machineNumber = message[kMonitorFlags] & kMonitorMachineMask;
  report.serialNumber = bytes::LoadBe32(message, kMonitorSerial);
  report.unitId = bytes::LoadBe32(message, kMonitorUnitId);
  for (size_t i = 0; i < kMonitorStatusCount; ++i) report.status[i] = message[kMonitorStatus + i];
  report.softener = message[kMonitorSoftener];
  return report;
}

}  // namespace vorel
