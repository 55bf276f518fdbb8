// A TL4200 controller as the PC sees it on the bus, without the line: it polls the
// PC with the sequence numbers the PC expects, honours SyncRequest, answers memory
// reads and writes, the log resets, machine resets and the Ethernet monitor request,
// runs the programs of its enabled machines (LaundryRun) and reports them with what
// the PC's manual control switches, speaks for the trigger units of the enabled
// machines, and can lose or damage its frames on purpose. Told to start a
// boot loader (its own, or the trigger units'), it hands the line to that boot loader
// until the run ends, then polls again.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/image/ControllerImage.h"
#include "core/image/ImagePacking.h"
#include "core/link/Frame.h"
#include "core/link/Messages.h"
#include "core/simulation/BootLoaderSimulator.h"
#include "core/simulation/LaundryRun.h"

namespace vorel::sim {

// The controller's own header fields and clock written into a memory image.
struct ControllerIdentity {
  uint32_t serialNumber = 4200;
  uint8_t hardwareVersion = 2;
  uint8_t firmwareMajor = 3;
  uint8_t firmwareMinor = 5;
};
void SetIdentity(ControllerImage& memory, const ControllerIdentity& identity,
                 const LocalDateTime& clock);

struct Faults {
  int percent = 0;  // of the controller's frames: half dropped, half with a damaged byte
  uint32_t seed = 1;
};

// How fast the laundry runs: each turn on the bus stands for `turnMs` of controller
// time (the turns' cadence), `speed` times over; speed 0 keeps the laundry still: the
// enabled machines' trigger units online, no program running.
struct LaundryPace {
  uint32_t turnMs = 20;
  uint32_t speed = 1;
};

class ControllerSimulator : private FrameReceiver::Sink {
 public:
  ControllerSimulator(const ControllerImage& memory, Faults faults, BootFaults bootFaults = {},
                      LaundryPace pace = {});

  // Bytes the PC wrote.
  void Receive(std::span<const uint8_t> bytes);
  // The controller's next turn on the bus: its frame to the PC (a reply, a status
  // report or a poll), now and then a trigger unit's frame. While a boot loader has
  // the line: only its answers not yet taken.
  std::vector<uint8_t> NextTurn();

  // A boot loader has the line: the controller neither polls nor reads frames.
  bool BootLoaderActive() const { return bootActive_; }
  // The boot loader's single-byte answers since the last call (outside any frame).
  // When they end the run, the controller polls again.
  std::vector<uint8_t> BootAnswer();
  // One line per boot step answered ("ready", "block 0x0100", ...), taken once.
  std::vector<std::string> TakeBootSteps();
  // The last boot loader started, if any, for what it holds.
  const BootLoaderSimulator* BootLoader() const { return bootLoader_.get(); }

  // The PC has not answered the last frame to it yet; a controller gives it a moment
  // before it speaks again.
  bool AwaitingAnswer() const { return awaitingAnswer_; }

  const ControllerImage& Memory() const { return memory_; }
  const ManualControlState& ManualControl() const { return manual_; }
  const LaundryRun& Laundry() const { return laundry_; }
  std::optional<uint8_t> LastControlCommand() const { return lastControlCommand_; }
  // How many ControlCommands arrived.
  uint32_t ControlCommands() const { return controlCommands_; }
  uint32_t RequestsServed() const { return requestsServed_; }
  // Memory writes taken, and ManualControls that switched an output on by hand.
  uint32_t MemoryWrites() const { return memoryWrites_; }
  uint32_t OutputsSwitchedOn() const { return outputsSwitchedOn_; }

 private:
  void FrameReceived(std::span<const uint8_t> frame) override;
  void StartBootLoader(uint16_t pageSize);
  void CollectBootAnswers(std::vector<uint8_t> answers);
  void Serve(std::span<const uint8_t> message);
  std::vector<uint8_t> Message(uint8_t command, std::span<const uint8_t> payload) const;
  std::vector<uint8_t> StatusReport() const;
  void AppendWithFaults(std::vector<uint8_t>& out, std::span<const uint8_t> message);

  ControllerImage memory_;
  FrameReceiver receiver_;
  uint8_t sequence_ = 1;  // what the PC expects on the next frame
  std::optional<std::vector<uint8_t>> reply_;
  ManualControlState manual_;
  std::optional<uint8_t> lastControlCommand_;
  uint32_t controlCommands_ = 0;
  uint32_t requestsServed_ = 0;
  uint32_t memoryWrites_ = 0;
  uint32_t outputsSwitchedOn_ = 0;
  uint32_t turn_ = 0;
  bool awaitingAnswer_ = false;
  Faults faults_;
  LaundryPace pace_;
  LaundryRun laundry_;
  BootFaults bootFaults_;
  std::mt19937 random_;
  std::unique_ptr<BootLoaderSimulator> bootLoader_;
  bool bootActive_ = false;
  std::vector<uint8_t> bootAnswers_;
  std::vector<std::string> bootSteps_;
};

}  // namespace vorel::sim
