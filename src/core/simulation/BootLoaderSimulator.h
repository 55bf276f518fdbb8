// The boot loader of the TL4200 controller or of a trigger unit, without the line:
// it takes the PC's header-less boot frames, keeps the blocks in its flash, checks
// the code sum at the end and answers with single bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/firmware/BootProgrammer.h"
#include "core/link/Frame.h"

namespace vorel::sim {

namespace boot {
// The loader answers with the bytes the programmer waits for.
using vorel::boot::kAck;
using vorel::boot::kChecksumError;
using vorel::boot::kDone;
using vorel::boot::kReady;

inline constexpr uint16_t kControllerPageSize = kControllerTarget.pageSize;
inline constexpr uint16_t kTriggerUnitPageSize = kTriggerTarget.pageSize;
inline constexpr size_t kBlockSize = firmware::kBlockSize;
inline constexpr size_t kFlashSize = 0x10000;
}  // namespace boot

// What the boot loader gets wrong on purpose.
struct BootFaults {
  // The flash byte at this address is stored wrong when a block brings it, so the
  // final code sum fails.
  std::optional<uint16_t> corruptAt;
  // The boot loader never answers.
  bool silent = false;
  // The controller starts in its own boot loader, as one does after an update that
  // failed midway.
  bool waiting = false;
};

class BootLoaderSimulator : private FrameReceiver::Sink {
 public:
  BootLoaderSimulator(uint16_t pageSize, BootFaults faults = {});

  // The boot loader starts: its BootReady, once.
  std::vector<uint8_t> Enter();
  // Bytes the PC wrote; the single bytes the boot loader answers.
  std::vector<uint8_t> Receive(std::span<const uint8_t> bytes);
  // One turn of the line. A boot loader that hears nothing for about a second (no
  // start yet, or a PC that stopped midway) waits for a new start and says so with
  // BootReady, again every second.
  std::vector<uint8_t> Turn();
  static constexpr int kAnnounceTurns = 50;  // a second at the usual cadence

  uint16_t PageSize() const { return pageSize_; }
  // The run ended with BootDone or BootChecksumError.
  bool Finished() const { return finished_; }
  // Whether the code sum of the last finish matched; empty before any finish.
  std::optional<bool> LastFinishMatched() const { return lastFinishMatched_; }
  const std::array<uint8_t, boot::kFlashSize>& Flash() const { return flash_; }
  // One line per step answered ("page size 256", "block 0x0100", ...), taken once.
  std::vector<std::string> TakeSteps();

 private:
  void FrameReceived(std::span<const uint8_t> frame) override;
  void Answer(uint8_t byte, std::string step);

  uint16_t pageSize_;
  BootFaults faults_;
  FrameReceiver receiver_;
  std::array<uint8_t, boot::kFlashSize> flash_;
  bool entered_ = false;
  bool pageSizeAgreed_ = false;
  bool finished_ = false;
  int idleTurns_ = 0;
  std::optional<bool> lastFinishMatched_;
  std::vector<uint8_t> answers_;
  std::vector<std::string> steps_;
};

}  // namespace vorel::sim
