// The PC's side of the controller's serial bus, without the port: received bytes
// go in, frames to write come out through a byte sink, and 100 ms ticks drive the
// link-alive time. It keeps the sequence numbers, resynchronises and retransmits,
// holds the one pending request that other parts queue, answers the controller's
// polls and hands every received message to its listeners.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/link/Frame.h"
#include "core/link/Messages.h"

namespace vorel {

// Where frames go: the serial port, or a test's buffer. False when the port failed.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
};

// What the poll answer reads from the system setup window.
class PollAnswers {
 public:
  virtual ~PollAnswers() = default;
  // A machine reset waiting for the next poll: taking it clears the mark and returns
  // true (that poll gets no answer); `command` is the ControlCommand byte to queue,
  // none when no machine was chosen.
  virtual bool TakeMachineReset(std::optional<uint8_t>& command) { return false; }
  virtual bool EthernetMonitorOn() { return false; }
  virtual ManualControlState ManualControl() { return {}; }
};

// What the link tells the windows. Every handler has an empty default.
class LinkListener {
 public:
  virtual ~LinkListener() = default;
  // An in-sequence message to the PC, header included.
  virtual void MessageReceived(std::span<const uint8_t> message) {}
  // A trigger unit's frame to the controller, overheard: machine index 0..9.
  virtual void TriggerUnitFrame(int machineIndex, std::span<const uint8_t> message) {}
  virtual void LinkReadyChanged(bool ready) {}
  virtual void ChecksumError() {}
  // A byte outside any frame, while a boot loader is listened to.
  virtual void BootLoaderByte(uint8_t byte) {}
};

class LinkEngine : private FrameReceiver::Sink {
 public:
  static constexpr int kLinkAliveTicks = 20;  // 2 s without a frame to the PC

  struct Counters {
    uint32_t rxBytes = 0;
    uint32_t txBytes = 0;
    uint32_t syncs = 0;
    uint32_t retransmits = 0;  // message bytes sent again
    uint32_t checksumErrors = 0;
  };

  LinkEngine(ByteSink& out, PollAnswers& answers);

  void AddListener(LinkListener* listener);
  void RemoveListener(LinkListener* listener);

  // Bytes as they arrived from the line.
  void Receive(std::span<const uint8_t> bytes);
  // Every 100 ms: the link-alive time runs while the port is open; a closed port
  // is no link at once.
  void Tick(bool portOpen);
  // After the port opened or the mode changed: counters but the checksum errors,
  // sequence, retransmission and the link state start again, and nothing queued or
  // kept for retransmission outlives the connection it was meant for.
  void Restart();
  // The connection ended: the pending request and the retransmit copy are dropped,
  // so nothing meant for this controller reaches the next one.
  void DropRequests();

  // Fills the pending slot with a request that goes out as the answer to the next
  // in-sequence frame to the PC. False, changing nothing, while the slot is full.
  bool QueueRequest(uint8_t command, uint8_t destination, std::span<const uint8_t> payload);
  bool PendingFull() const { return !pending_.empty(); }
  // The controller's boot loader is started from an empty slot.
  void ClearPending() { pending_.clear(); }
  // Every queued request has a number, counting from 1: the last one queued, and
  // whether the controller's next in-sequence frame has acknowledged it.
  uint32_t LastQueued() const { return queued_; }
  bool Acknowledged(uint32_t request) const { return acknowledged_ >= request; }
  // Takes that request back (Stop): out of the slot while it waits there, and no
  // longer kept for retransmission once sent, so a resync never sends it again.
  void Withdraw(uint32_t request) {
    if (!pending_.empty() && pendingNumber_ == request) pending_.clear();
    if (!retransmitCopy_.empty() && copyNumber_ == request) {
      retransmitCopy_.clear();
      retransmitDue_ = false;
    }
  }
  // Seals, frames and writes a message at once (its length and checksum are
  // written into it). EnterBootLoader empties the pending slot.
  bool SendMessage(std::span<uint8_t> message);
  bool SendBootFrame(std::span<const uint8_t> data);

  // The firmware window is shown (bytes outside frames go to the listeners, sent
  // requests are not kept for retransmission), and whether it is programming (frames
  // are then ignored).
  void SetFirmwareWindow(bool visible, bool programming);

  bool LinkReady() const { return linkReady_; }
  uint8_t Sequence() const { return sequence_; }
  // The hidden "Seq++" button: 255 goes to 1.
  void AdvanceSequence();
  const Counters& Count() const { return counters_; }
  void ClearChecksumErrors() { counters_.checksumErrors = 0; }
  int LinkAliveCountdown() const { return aliveCountdown_; }

 private:
  void FrameReceived(std::span<const uint8_t> frame) override;
  void ByteOutsideFrame(uint8_t byte) override;
  void FromController(std::span<const uint8_t> message);
  void AnswerPoll();
  bool SendWithNextSequence(std::vector<uint8_t>& message);
  void SetLinkReady(bool ready);

  ByteSink& out_;
  PollAnswers& answers_;
  std::vector<LinkListener*> listeners_;
  FrameReceiver receiver_;
  std::vector<uint8_t> frameOut_;
  std::vector<uint8_t> pending_;
  std::vector<uint8_t> retransmitCopy_;
  bool retransmitDue_ = false;
  uint32_t queued_ = 0;
  uint32_t pendingNumber_ = 0;
  uint32_t copyNumber_ = 0;
  uint32_t acknowledged_ = 0;
  uint8_t sequence_ = 0;
  int aliveCountdown_ = 0;
  bool linkReady_ = false;
  bool firmwareVisible_ = false;
  bool firmwareProgramming_ = false;
  Counters counters_;
};

}  // namespace vorel
