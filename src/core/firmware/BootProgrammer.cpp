// The boot loader's programming run, step by step.
#include "core/firmware/BootProgrammer.h"

#include <algorithm>
#include <utility>

#include "core/base/Bytes.h"

namespace vorel {

using namespace boot;

namespace {
constexpr size_t kAddressSize = 2;
}  // namespace

void BootProgrammer::Start(const FirmwareImage& image, const FirmwareTarget& target) {
  image_ = image;
  target_ = target;
  state_ = "Started, waiting...";
  step_ = 1;
  programming_ = false;
  begun_ = false;
  progress_ = 0;
  timeout_ = kStartTicks;
}

void BootProgrammer::SendBlock(uint16_t address) {
  std::vector<uint8_t> block(kAddressSize + firmware::kBlockSize, firmware::kErased);
  bytes::StoreLe16(block, 0, address);
  const auto from = image_.bytes.begin() + address;
  std::copy(from, from + static_cast<std::ptrdiff_t>(firmware::kBlockSize),
            block.begin() + kAddressSize);
  send_(block);
  timeout_ = kBlockTicks;
}

void BootProgrammer::Byte(uint8_t byte) {
  switch (step_) {
    case 1:
      if (byte != kReady) return;
      programming_ = true;
      begun_ = true;
      state_ = "Programming...";
      {
        uint8_t pageSize[2];
        bytes::StoreLe16(pageSize, 0, target_.pageSize);
        send_(pageSize);
      }
      // The first page goes last; a 256-byte page's second block is its own step.
      blockAddress_ = target_.pageSize == firmware::kBlockSize ? 0 : firmware::kBlockSize;
      step_ = 2;
      return;
    case 2:
      if (byte != kAck) return;
      blockAddress_ += firmware::kBlockSize;
      progress_ = blockAddress_;
      if (blockAddress_ < image_.roundedEnd) {
        SendBlock(static_cast<uint16_t>(blockAddress_));
      } else {
        const uint8_t endOfBlocks[2] = {0, 0};
        send_(endOfBlocks);
        step_ = 3;
      }
      return;
    case 3:
      if (byte != kAck) return;
      blockAddress_ = 0;
      SendBlock(0);
      step_ = target_.pageSize == firmware::kBlockSize ? 5 : 4;
      return;
    case 4:
      if (byte != kAck) return;
      blockAddress_ = firmware::kBlockSize;
      SendBlock(static_cast<uint16_t>(firmware::kBlockSize));
      step_ = 5;
      return;
    case 5: {
      if (byte != kAck) return;
      uint8_t finish[6];
      bytes::StoreLe16(finish, 0, static_cast<uint16_t>(image_.codeStart));
      bytes::StoreLe16(finish, 2, static_cast<uint16_t>(image_.codeEnd));
      bytes::StoreLe16(finish, 4, static_cast<uint16_t>(image_.codeSum ^ 0xFFFF));
      send_(finish);
      timeout_ = kStartTicks;
      step_ = 6;
      return;
    }
    case 6:
      if (byte == kDone) {
        state_ = "Completed, OK.";
        begun_ = false;
      } else if (byte == kChecksumError) {
        state_ = "Checksum error";
      } else {
        return;
      }
      programming_ = false;
      step_ = 0;
      progress_ = image_.roundedEnd;
      return;
    default:
      return;
  }
}

void BootProgrammer::Tick() {
  if (timeout_ <= 0) return;
  if (--timeout_ > 0 || step_ == 0) return;
  step_ = 0;
  programming_ = false;
  state_ = "Timeout error!";
}

void BootProgrammer::Abandon(std::string why) {
  programming_ = false;
  step_ = 0;
  if (!why.empty()) state_ = std::move(why);
}

std::string IncompleteFirmwareText(const FirmwareTarget& target) {
  if (target.pageSize == kControllerTarget.pageSize)
    return "The controller now holds incomplete firmware and does not run. Its boot loader "
           "waits for a new start: keep the controller powered and connected, and start the "
           "update again.";
  return "The trigger units now hold incomplete firmware and do not run. Their boot loaders "
         "wait for a new start: keep them powered and connected, and start the update again.";
}

}  // namespace vorel
