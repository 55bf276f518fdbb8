// Gateway frames and messages.
#include "core/link/Gateway.h"

#include <algorithm>

#include "core/base/Bytes.h"
#include "core/link/Frame.h"

namespace vorel {

using namespace gateway;

namespace {

std::vector<uint8_t> Typed(const std::array<uint8_t, 2>& type) {
  return std::vector<uint8_t>(type.begin(), type.end());
}

void AppendText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

// The text at `offset` up to its zero, which must come within `limit` characters;
// `offset` then points past the zero.
std::optional<std::string> TerminatedText(std::span<const uint8_t> message, size_t& offset,
                                          size_t limit) {
  for (size_t i = offset; i < message.size() && i <= offset + limit; ++i) {
    if (message[i] == 0) {
      std::string text(message.begin() + static_cast<std::ptrdiff_t>(offset),
                       message.begin() + static_cast<std::ptrdiff_t>(i));
      offset = i + 1;
      return text;
    }
  }
  return std::nullopt;
}

}  // namespace

bool IsGatewayType(std::span<const uint8_t> message, const std::array<uint8_t, 2>& type) {
  return message.size() >= kTypeSize && message[0] == type[0] && message[1] == type[1];
}

void AppendGatewayFrame(std::vector<uint8_t>& out, std::span<const uint8_t> message) {
  // The gateway frame is built as a boot-loader frame is: no header, a trailing
  // complement checksum, the same escaping.
  AppendBootFrame(out, message);
}

void GatewayReceiver::Store(uint8_t byte) {
  if (index_ < 0) return;
  if (static_cast<size_t>(index_) < buffer_.size()) {
    buffer_[index_++] = byte;
  } else {
    overflow_ = true;
  }
}

size_t GatewayReceiver::Step(uint8_t byte) {
  if (escaped_) {
    escaped_ = false;
    Store(byte ^ frame::kEscapeXor);
    return 0;
  }
  switch (byte) {
    case frame::kStx:
      index_ = 0;
      overflow_ = false;
      return 0;
    case frame::kEtx: {
      size_t length = 0;
      if (index_ > 2 && !overflow_) {
        uint8_t sum = 0;
        for (int i = 0; i < index_; ++i) sum = static_cast<uint8_t>(sum + buffer_[i]);
        if (sum == frame::kSumOfMessage) length = static_cast<size_t>(index_) - 1;
      }
      index_ = kWaiting;
      return length;
    }
    case frame::kDle:
      escaped_ = true;
      return 0;
    default:
      Store(byte);
      return 0;
  }
}

std::vector<uint8_t> GatewayLoginMessage(std::string_view user, std::string_view password) {
  std::vector<uint8_t> message = Typed(kLogin);
  AppendText(message, user);
  AppendText(message, password);
  return message;
}

std::vector<uint8_t> GatewaySelectSystemMessage(std::string_view serial) {
  std::vector<uint8_t> message = Typed(kSelectSystem);
  AppendText(message, serial);
  return message;
}

std::vector<uint8_t> GatewayImageReadMessage() {
  return Typed(kImageRead);
}

std::vector<uint8_t> GatewayImageWriteMessage(uint16_t address, std::span<const uint8_t> data) {
  if (data.size() > kImageWriteMax) data = data.first(kImageWriteMax);
  constexpr size_t kData = kTypeSize + 3;
  std::vector<uint8_t> message(kData + data.size());
  message[0] = kImageWrite[0];
  message[1] = kImageWrite[1];
  bytes::StoreLe16(message, kTypeSize, address);
  message[kTypeSize + 2] = static_cast<uint8_t>(data.size());
  std::copy(data.begin(), data.end(), message.begin() + kData);
  return message;
}

std::vector<uint8_t> GatewayImageChecksumRequestMessage() {
  return {kImageChecksumRequest[0], kImageChecksumRequest[1], 0, 0};
}

std::vector<uint8_t> GatewayStatusPollMessage() {
  return {kStatusPoll[0], kStatusPoll[1], kStatusPollValue, 0};
}

std::vector<uint8_t> GatewayResetMachineMessage(int machineIndex) {
  return {kResetMachine[0], kResetMachine[1], static_cast<uint8_t>(machineIndex), 0};
}

std::vector<uint8_t> GatewayResetAllMachinesMessage() {
  return {kResetAllMachines[0], kResetAllMachines[1], 0, 0};
}

std::vector<uint8_t> GatewayResetConsumptionLogMessage() {
  return {kResetConsumptionLog[0], kResetConsumptionLog[1], 0, 0};
}

std::vector<uint8_t> GatewayClearAlarmLogMessage() {
  return {kClearAlarmLog[0], kClearAlarmLog[1], 0, 0};
}

std::optional<GatewaySystemEntry> DecodeGatewaySystemEntry(std::span<const uint8_t> message) {
  if (!IsGatewayType(message, kSystemEntry)) return std::nullopt;
  size_t offset = kTypeSize;
  GatewaySystemEntry entry;
  std::string* texts[] = {&entry.system.serial, &entry.system.name, &entry.system.inUse,
                          &entry.system.address};
  for (size_t i = 0; i < kEntryLimits.size(); ++i) {
    std::optional<std::string> text = TerminatedText(message, offset, kEntryLimits[i]);
    if (!text) return std::nullopt;
    *texts[i] = std::move(*text);
    // An empty serial ends the list, whatever follows it.
    if (i == 0 && texts[0]->empty()) {
      entry.endOfList = true;
      return entry;
    }
  }
  return entry;
}

std::optional<GatewaySelectResult> DecodeGatewaySelectResult(std::span<const uint8_t> message) {
  if (!IsGatewayType(message, kSelectResult) || message.size() <= kSelectResultCode)
    return std::nullopt;
  GatewaySelectResult result;
  result.result = message[kSelectResultCode];
  if (result.result != kSelectAccepted) return result;
  size_t offset = kSelectResultCode + 1;
  std::optional<std::string> serial = TerminatedText(message, offset, kSelectedSerialLimit);
  std::optional<std::string> access =
      serial ? TerminatedText(message, offset, kAccessCodeLimit) : std::nullopt;
  if (serial && access) {
    result.complete = true;
    result.serial = std::move(*serial);
    result.accessCode = std::move(*access);
  }
  return result;
}

std::string DecodeGatewaySystemAddress(std::span<const uint8_t> message) {
  std::string text;
  for (size_t i = kTypeSize; i < message.size() && message[i] != 0; ++i)
    text.push_back(static_cast<char>(message[i]));
  return text;
}

std::optional<GatewayImageBlock> DecodeGatewayImageBlock(std::span<const uint8_t> message) {
  if (!IsGatewayType(message, kImageBlock) || message.size() < kBlockData) return std::nullopt;
  GatewayImageBlock block;
  block.address = bytes::LoadLe16(message, kBlockAddress);
  block.count = bytes::LoadLe16(message, kBlockCount);
  if (block.count > message.size() - kBlockData) return std::nullopt;
  block.data = message.subspan(kBlockData, block.count);
  return block;
}

std::optional<uint16_t> DecodeGatewayImageChecksum(std::span<const uint8_t> message) {
  if (!IsGatewayType(message, kImageChecksum) || message.size() < kChecksumValue + 2)
    return std::nullopt;
  return bytes::LoadLe16(message, kChecksumValue);
}

std::optional<GatewayStatus> DecodeGatewayStatus(std::span<const uint8_t> message) {
  if (!IsGatewayType(message, kStatusReport) || message.size() < kStatusReportSize)
    return std::nullopt;
  GatewayStatus status;
  status.pumps = message[kStatusPumps];
  status.outputs = bytes::LoadLe16(message, kStatusOutputs);
  for (size_t i = 0; i < kStatusMachines; ++i) {
    const auto record = message.subspan(kStatusRecords + kStatusRecordSize * i, kStatusRecordSize);
    std::copy(record.begin(), record.end(), status.records[i].begin());
  }
  return status;
}

}  // namespace vorel
