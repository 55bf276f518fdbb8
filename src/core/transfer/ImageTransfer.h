// Moving the controller's memory image between the tool and the controller: the
// whole image read, the configuration part written, a new serial number written,
// the controller's login code checked first, and a write read back to verify it.
// Over the serial link every block is a request the controller answers (sent again
// when the answer is lost); over the gateway a read is one request and a stream of
// blocks, and a write is paced blocks confirmed by a checksum. Driven by replies and
// 100 ms ticks; the image only changes when a read is complete.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/image/ControllerImage.h"
#include "core/link/Gateway.h"
#include "core/link/RequestHelper.h"

namespace vorel {

namespace transfer {
inline constexpr size_t kImageSize = image::kSize;
inline constexpr size_t kSerialBlock = message::kMemoryBlockMax;  // 128
inline constexpr size_t kGatewayBlock = gateway::kImageWriteMax;  // 200
inline constexpr size_t kWriteStart = image::kHeaderSize;         // the header is never written
inline constexpr int kSerialReadTicks = 200;                      // 20 s for the whole read
inline constexpr int kGatewayReadTicks = 50;                      // 5 s
inline constexpr int kConfirmLimit = 600;                         // ticks for the checksum
inline constexpr int kLoginCheckTicks = 20;                       // 2 s
inline constexpr int kGatewayWriteGapTicks = 5;                   // 500 ms between blocks
inline constexpr uint8_t kWriteCompleteCommand = 0x00;
// The closing command: queued, sent with a poll and acknowledged by the next frame.
inline constexpr int kClosingTicks = RequestHelper::kSlotTicks;
}  // namespace transfer

enum class TransferState : uint8_t {
  kIdle = 0,
  kSerialRead = 1,
  kSerialWrite = 2,
  kGatewayRead = 3,
  kGatewayWrite = 4,
  kLoginCheck = 5,
  kLoginAccepted = 6,
  kLoginRejected = 7,
  kSerialClosing = 8,  // every block written; the closing command on its way
};

enum class ProgressLook { kNormal, kGreen, kRed };

// What the read/write window shows.
struct TransferView {
  bool stateInfoVisible = false;
  std::string stateInfo;  // "Stopped", "Timeout!"
  std::string progress;
  ProgressLook look = ProgressLook::kNormal;
  int bar = 0;
  std::array<std::string, 3> panels;  // date of the read image, used text, action
};

// How the last operation ended, for vorelctl and the tests.
enum class TransferEnd {
  kNone,
  kRunning,
  kReadCompleted,
  kWriteCompleted,  // serial: every block confirmed; gateway: checksum right
  kVerified,
  kVerifyFailed,
  kChecksumBad,
  kNoConfirm,
  kTimeout,
  kFailedAt,
  kStopped,
  kNoLoginAnswer,
  kWrongLoginCode,
  kBadFormat,
  kCancelled,
  kRefused,
  kConnectionLost,
};

// What the transfer needs from the session around it.
class TransferHost {
 public:
  virtual ~TransferHost() = default;
  virtual bool SerialPath() const = 0;
  virtual bool SendGateway(std::span<const uint8_t> message) = 0;
  virtual ImageState& HostImage() = 0;
  // After the login check: the questions before a write, then the packing (with the
  // new serial number for Write serial). False ends the operation.
  virtual bool PrepareWrite(bool writeSerial) = 0;
  // A gateway read or write begins: the machine windows close.
  virtual void GatewayTransferStarting() {}
  // A complete read of the whole image: `bytes` are the 32768 bytes read.
  virtual TransferEnd TakeReadImage(std::span<const uint8_t> bytes, bool gateway) = 0;
  // An error box: "Wrong System login code", ...
  virtual void TransferError(const std::string& text) = 0;
  // The view changed.
  virtual void TransferChanged() = 0;
};

class ImageTransfer {
 public:
  ImageTransfer(LinkEngine& link, TransferHost& host);

  // The login code the technician typed and the master flag: the check before a
  // serial read or write, the compare after a gateway read.
  void SetLogin(std::string loginCode, bool master) {
    loginCode_ = std::move(loginCode);
    master_ = master;
  }

  // Read, Write and Write serial as the window's buttons start them. False when the
  // transfer is busy. Write and Write serial pack through the host.
  bool StartRead();
  bool StartWrite();
  bool StartWriteSerial();
  // The last written range read back and compared; over the gateway the whole image
  // is read and the range compared.
  bool StartVerify();
  // The login check alone, before a log reset: `then` runs with true when it passed.
  bool CheckLoginCode(std::function<void(bool passed)> then);
  void Stop();
  // The connection the operation runs on ended (closed, another mode or port, the
  // controller or gateway gone quiet): it stops at once and says how far it came.
  void ConnectionLost();

  void Tick();
  // 'B' 'H' and 'C' 'S' from the gateway.
  void GatewayMessage(std::span<const uint8_t> message);

  const std::string& LoginCode() const { return loginCode_; }
  TransferState State() const { return state_; }
  bool Busy() const {
    return state_ != TransferState::kIdle || next_ != Next::kNone || asking_ || readDone_;
  }
  // A write began this run: Verify has a range to read back.
  bool HasWrittenRange() const { return !written_.empty(); }
  const TransferView& View() const { return view_; }
  TransferEnd LastEnd() const { return end_; }
  // Why the last operation stopped early, with how far it came ("" otherwise).
  const std::string& EndReason() const { return endReason_; }
  // How the last operation ended, in the window's words: "Write completed", "Verify
  // failed at offset 1234", "Timeout!", "Confirm received - bad checksum!", how far a
  // stopped or lost one came, "Transfer faild at: %d"; "" where a box says it.
  std::string EndText() const;
  // Bytes moved of the operation's range, and the range's size.
  size_t BytesDone() const { return cursor_ - moveStart_; }
  size_t BytesTotal() const { return moveEnd_ - moveStart_; }
  // Where a verify found the first difference.
  size_t VerifyFailedAt() const { return verifyFailedAt_; }
  size_t RangeStart() const { return rangeStart_; }
  size_t RangeEnd() const { return rangeEnd_; }
  size_t Cursor() const { return cursor_; }
  // Serial memory requests sent (repeats included) and gateway blocks sent since the
  // operation began.
  int SerialRequests() const { return serialRequests_; }
  // Serial requests sent again for a lost answer since the operation began.
  int SerialRepeats() const { return int(helper_.Repeats() - repeatsBefore_); }
  int GatewayBlocks() const { return gatewayBlocks_; }

 private:
  enum class Next { kNone, kRead, kWrite, kWriteSerial, kLoginOnly };

  bool Begin(Next next);
  void Continue();
  void TickOnce();
  void BeginRead(bool verify);
  void BeginWrite(size_t start);
  void FailLogin(TransferEnd end, const char* text);
  void SerialReadBlock();
  void SerialWriteBlock();
  void GatewayWriteBlock();
  void LoginCheckReply(std::optional<std::vector<uint8_t>> reply);
  void ReadFinished();
  void Finish(TransferEnd end, const std::string& action = {});
  void ShowProgress();
  void QueueClosingCommand();
  bool Writing() const {
    return state_ == TransferState::kSerialWrite || state_ == TransferState::kGatewayWrite ||
           state_ == TransferState::kSerialClosing;
  }
  void StopEarly(TransferEnd end, std::string reason);
  void Changed() { host_.TransferChanged(); }

  LinkEngine& link_;
  RequestHelper helper_;
  TransferHost& host_;
  std::string loginCode_;
  bool master_ = false;
  TransferState state_ = TransferState::kIdle;
  Next next_ = Next::kNone;
  std::function<void(bool)> loginThen_;
  bool verifying_ = false;
  // The range written (or read), and the range the cursor runs through now.
  size_t rangeStart_ = 0;
  size_t rangeEnd_ = 0;
  size_t moveStart_ = 0;
  size_t moveEnd_ = 0;
  size_t cursor_ = 0;
  bool readDone_ = false;
  bool asking_ = false;
  bool lostWhileAsking_ = false;
  bool ticking_ = false;
  std::string pendingError_;
  std::vector<uint8_t> written_;
  int readCountdown_ = 0;
  int loginCountdown_ = 0;
  int confirmCount_ = -1;
  int gapCountdown_ = 0;
  uint32_t closingRequest_ = 0;  // the link's number of the closing command, 0: not queued
  int closingCountdown_ = 0;
  std::string endReason_;
  std::vector<uint8_t> staging_;
  size_t verifyFailedAt_ = 0;
  int serialRequests_ = 0;
  uint64_t repeatsBefore_ = 0;
  int gatewayBlocks_ = 0;
  TransferEnd end_ = TransferEnd::kNone;
  TransferView view_;
};

}  // namespace vorel
