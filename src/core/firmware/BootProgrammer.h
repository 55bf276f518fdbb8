// Programming a boot loader: driven by the single bytes it answers and by 100 ms
// ticks, it sends the page size, the blocks (the first page last), the end of the
// blocks and the finish with the sum, and tells how the run ended.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/firmware/IntelHex.h"

namespace vorel {

namespace boot {
inline constexpr uint8_t kReady = 0x16;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kDone = 0x17;
inline constexpr uint8_t kChecksumError = 0x15;
inline constexpr int kStartTicks = 50;  // 5 s for the loader to answer, and for the finish
inline constexpr int kBlockTicks = 30;  // 3 s per block
}  // namespace boot

class BootProgrammer {
 public:
  // Where the boot frames go (their data; the link frames them).
  using SendFrame = std::function<void(std::span<const uint8_t> data)>;

  explicit BootProgrammer(SendFrame send) : send_(std::move(send)) {}

  // Start: the run begins waiting for BootReady ("Started, waiting..."). The caller
  // has sent the target's EnterBootLoader.
  void Start(const FirmwareImage& image, const FirmwareTarget& target);
  // A byte the unit sent outside any frame.
  void Byte(uint8_t byte);
  // Every 100 ms while the window is visible.
  void Tick();
  // The window closed: the run is abandoned.
  // The run ends where it is; `why`, when given, becomes the state shown.
  void Abandon(std::string why = {});

  int Step() const { return step_; }
  bool Programming() const { return programming_; }
  // The last run ended without "Completed, OK." after the boot loader had taken the
  // page size: the unit holds incomplete firmware and its boot loader waits.
  bool LeftIncomplete() const { return step_ == 0 && begun_; }
  // "Started, waiting...", "Programming...", "Completed, OK.", "Checksum error",
  // "Timeout error!".
  const std::string& StateText() const { return state_; }
  // Progress: the block address reached, 0..rounded end.
  uint32_t Progress() const { return progress_; }

 private:
  void SendBlock(uint16_t address);

  SendFrame send_;
  FirmwareImage image_;
  FirmwareTarget target_{kControllerTarget};
  int step_ = 0;
  bool programming_ = false;
  bool begun_ = false;
  uint32_t blockAddress_ = 0;
  uint32_t progress_ = 0;
  int timeout_ = 0;
  std::string state_;
};

// What a run that left the unit with incomplete firmware means, and what to do.
std::string IncompleteFirmwareText(const FirmwareTarget& target);

}  // namespace vorel
