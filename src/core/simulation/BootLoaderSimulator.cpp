// The simulated boot loader: boot frames in, single-byte answers out.
#include "core/simulation/BootLoaderSimulator.h"

#include <algorithm>
#include <cstdio>

#include "core/base/Bytes.h"

namespace vorel::sim {

namespace {
constexpr size_t kPageSizeData = 2;  // also the end of the blocks: 00 00
constexpr size_t kBlockData = 2 + boot::kBlockSize;
constexpr size_t kFinishData = 6;
constexpr uint8_t kSumOfBootFrame = 0xFF;  // data and check byte together
constexpr uint8_t kCorruptionXor = 0x01;

std::string HexAddress(uint16_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", address);
  return text;
}
}  // namespace

BootLoaderSimulator::BootLoaderSimulator(uint16_t pageSize, BootFaults faults)
    : pageSize_(pageSize), faults_(faults) {
  flash_.fill(0xFF);  // erased
}

std::vector<uint8_t> BootLoaderSimulator::Enter() {
  if (!entered_) {
    entered_ = true;
    Answer(boot::kReady, "ready");
  }
  std::vector<uint8_t> answers;
  answers.swap(answers_);
  return answers;
}

std::vector<uint8_t> BootLoaderSimulator::Receive(std::span<const uint8_t> bytes) {
  receiver_.Receive(bytes, *this);
  std::vector<uint8_t> answers;
  answers.swap(answers_);
  return answers;
}

std::vector<uint8_t> BootLoaderSimulator::Turn() {
  if (entered_ && !finished_ && ++idleTurns_ >= kAnnounceTurns) {
    idleTurns_ = 0;
    pageSizeAgreed_ = false;
    Answer(boot::kReady, "ready");
  }
  std::vector<uint8_t> answers;
  answers.swap(answers_);
  return answers;
}

std::vector<std::string> BootLoaderSimulator::TakeSteps() {
  std::vector<std::string> steps;
  steps.swap(steps_);
  return steps;
}

void BootLoaderSimulator::Answer(uint8_t byte, std::string step) {
  if (faults_.silent) return;
  answers_.push_back(byte);
  steps_.push_back(std::move(step));
}

void BootLoaderSimulator::FrameReceived(std::span<const uint8_t> frame) {
  if (!entered_ || finished_) return;
  uint8_t sum = 0;
  for (uint8_t byte : frame) sum = static_cast<uint8_t>(sum + byte);
  if (sum != kSumOfBootFrame) return;  // damaged on the line: no answer
  idleTurns_ = 0;
  const std::span<const uint8_t> data = frame.first(frame.size() - 1);

  if (data.size() == kPageSizeData) {
    const uint16_t value = bytes::LoadLe16(data, 0);
    if (value == pageSize_) {
      pageSizeAgreed_ = true;
      Answer(boot::kAck, "page size " + std::to_string(value));
    } else if (value == 0 && pageSizeAgreed_) {
      Answer(boot::kAck, "end of blocks");
    }
    return;  // a page size that is not ours is not acknowledged
  }
  if (!pageSizeAgreed_) return;

  if (data.size() == kBlockData) {
    const uint16_t address = bytes::LoadLe16(data, 0);
    if (address + boot::kBlockSize > flash_.size()) return;
    std::copy(data.begin() + 2, data.end(), flash_.begin() + address);
    if (faults_.corruptAt && *faults_.corruptAt >= address &&
        *faults_.corruptAt < address + boot::kBlockSize) {
      flash_[*faults_.corruptAt] ^= kCorruptionXor;
    }
    Answer(boot::kAck, "block " + HexAddress(address));
  } else if (data.size() == kFinishData) {
    const uint16_t codeStart = bytes::LoadLe16(data, 0);
    const uint16_t codeEnd = bytes::LoadLe16(data, 2);
    const uint16_t sent = bytes::LoadLe16(data, 4);
    uint16_t sum = 0;
    for (size_t address = codeStart; address < codeEnd; ++address) {
      sum = static_cast<uint16_t>(sum + flash_[address]);
    }
    // A code start past the code end cannot be checked: it fails.
    const bool matched = codeStart <= codeEnd && static_cast<uint16_t>(sum ^ 0xFFFF) == sent;
    lastFinishMatched_ = matched;
    finished_ = true;
    Answer(matched ? boot::kDone : boot::kChecksumError,
           matched ? "finish ok" : "finish checksum error");
  }
}

}  // namespace vorel::sim
