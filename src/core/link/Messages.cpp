// Payloads the link builds.
#include "core/link/Messages.h"

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

}  // namespace vorel
