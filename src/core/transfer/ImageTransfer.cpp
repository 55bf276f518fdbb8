// The image transfer's states, blocks and time-outs.
#include "core/transfer/ImageTransfer.h"

#include <algorithm>
#include <cstdio>

#include "core/image/ImagePacking.h"

namespace vorel {

using namespace transfer;

namespace {

constexpr const char* kNoLoginAnswer = "Unable to check Login code.\n\nNo response from System";
constexpr const char* kWrongLoginCode = "Wrong System login code";
constexpr const char* kTimeoutText = "Timeout!";
constexpr const char* kBadChecksumText = "Confirm received - bad checksum!";
constexpr const char* kNoConfirmText = "Timeout, no confirm received!";
constexpr const char* kLostBeforeWrite =
    "Connection lost before the write began: nothing was sent.";
constexpr const char* kLostInLoginCheck =
    "Connection lost while checking the login code: nothing was sent.";
constexpr const char* kLostBeforeClosing =
    "Connection lost before the controller confirmed the end of the write: write again when it "
    "is connected.";
constexpr const char* kPartlyWritten =
    "The controller holds a partly written configuration: write again when it is connected.";
constexpr const char* kSerialOnly =
    "Write serial works over the serial link only; choose Local in the communication window.";

std::string Format(const char* format, long value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// "Connection lost after 5024 of 15648 bytes."
std::string HowFar(const char* what, size_t done, size_t total) {
  char text[96];
  std::snprintf(text, sizeof text, "%s after %zu of %zu bytes", what, done, total);
  return text;
}

uint16_t SumOf(std::span<const uint8_t> bytes) {
  uint16_t sum = 0;
  for (uint8_t byte : bytes) sum = static_cast<uint16_t>(sum + byte);
  return sum;
}

}  // namespace

ImageTransfer::ImageTransfer(LinkEngine& link, TransferHost& host)
    : link_(link), helper_(link), host_(host) {}

bool ImageTransfer::StartRead() {
  return Begin(Next::kRead);
}

bool ImageTransfer::StartWrite() {
  return Begin(Next::kWrite);
}

bool ImageTransfer::StartWriteSerial() {
  if (Busy()) return false;
  // The gateway cannot write the header; saying so beats a window busy until Stop.
  if (!host_.SerialPath()) {
    end_ = TransferEnd::kRefused;
    Changed();
    host_.TransferError(kSerialOnly);
    return false;
  }
  return Begin(Next::kWriteSerial);
}

bool ImageTransfer::CheckLoginCode(std::function<void(bool)> then) {
  if (Busy()) return false;
  loginThen_ = std::move(then);
  return Begin(Next::kLoginOnly);
}

bool ImageTransfer::StartVerify() {
  if (Busy() || written_.empty()) return false;
  view_.stateInfoVisible = false;
  view_.progress.clear();
  view_.look = ProgressLook::kNormal;
  end_ = TransferEnd::kRunning;
  endReason_.clear();
  BeginRead(true);
  return true;
}

bool ImageTransfer::Begin(Next next) {
  if (Busy()) return false;
  view_.stateInfoVisible = false;
  view_.progress.clear();
  view_.look = ProgressLook::kNormal;
  view_.bar = 0;
  end_ = TransferEnd::kRunning;
  endReason_.clear();
  cursor_ = moveStart_ = moveEnd_ = 0;
  serialRequests_ = 0;
  repeatsBefore_ = helper_.Repeats();
  gatewayBlocks_ = 0;
  next_ = next;
  // The controller's code is asked for over the serial link only, never in master
  // mode and never before a new serial number is written.
  if (master_ || !host_.SerialPath() || next == Next::kWriteSerial) {
    state_ = TransferState::kLoginAccepted;
    Changed();
    return true;
  }
  state_ = TransferState::kLoginCheck;
  loginCountdown_ = kLoginCheckTicks;
  ControllerRequest request{
      message::kMemoryReadRequest,
      frame::kController,
      EncodeMemoryReadRequest(image::kSystemLoginCode, image::kSystemLoginCodeSize),
      message::kMemoryReadReply,
      static_cast<uint16_t>(image::kSystemLoginCode),
      static_cast<uint8_t>(image::kSystemLoginCodeSize)};
  helper_.Cancel();
  helper_.Start(std::move(request), [this](auto reply) { LoginCheckReply(std::move(reply)); });
  Changed();
  return true;
}

void ImageTransfer::LoginCheckReply(std::optional<std::vector<uint8_t>> reply) {
  if (state_ != TransferState::kLoginCheck || !reply) return;
  // Only the answer for the code's own ten bytes counts (the helper matched them).
  const std::optional<MemoryReply> code = DecodeMemoryReply(*reply);
  if (!code) return;
  if (!LoginCodeOpens(code->data, loginCode_)) {
    state_ = TransferState::kLoginRejected;
    return;
  }
  auto& bytes = host_.HostImage().image.bytes;
  std::copy(code->data.begin(), code->data.end(), bytes.begin() + image::kSystemLoginCode);
  state_ = TransferState::kLoginAccepted;
}

void ImageTransfer::FailLogin(TransferEnd end, const char* text) {
  helper_.Cancel();
  const bool logReset = next_ == Next::kLoginOnly;
  Finish(end);
  host_.TransferError(text);
  if (logReset && loginThen_) std::exchange(loginThen_, nullptr)(false);
}

void ImageTransfer::Continue() {
  const Next next = std::exchange(next_, Next::kNone);
  state_ = TransferState::kIdle;
  switch (next) {
    case Next::kRead:
      BeginRead(false);
      break;
    case Next::kWrite:
    case Next::kWriteSerial: {
      // The questions keep the transfer busy: nothing else starts meanwhile.
      asking_ = true;
      lostWhileAsking_ = false;
      const bool prepared = host_.PrepareWrite(next == Next::kWriteSerial);
      asking_ = false;
      if (lostWhileAsking_) {
        StopEarly(TransferEnd::kConnectionLost, kLostBeforeWrite);
        return;
      }
      if (!prepared) {
        Finish(TransferEnd::kCancelled);
        return;
      }
      BeginWrite(next == Next::kWriteSerial ? 0 : kWriteStart);
      break;
    }
    case Next::kLoginOnly:
      end_ = TransferEnd::kNone;
      Changed();
      if (loginThen_) std::exchange(loginThen_, nullptr)(true);
      break;
    case Next::kNone:
      break;
  }
}

void ImageTransfer::BeginRead(bool verify) {
  verifying_ = verify;
  readDone_ = false;
  const bool serial = host_.SerialPath();
  if (!verify) {
    rangeStart_ = 0;
    rangeEnd_ = kImageSize;
    view_.panels[0].clear();
    view_.panels[1].clear();
    view_.panels[2] = Format("Reading %d bytes.", static_cast<long>(kImageSize));
  } else {
    view_.panels[2] = Format("Verifying %d bytes.", static_cast<long>(rangeEnd_ - rangeStart_));
  }
  // Over the gateway a read is always the whole image.
  moveStart_ = serial ? rangeStart_ : 0;
  moveEnd_ = serial ? rangeEnd_ : kImageSize;
  cursor_ = moveStart_;
  staging_.assign(kImageSize, 0);
  view_.bar = 0;
  if (serial) {
    state_ = TransferState::kSerialRead;
    readCountdown_ = kSerialReadTicks;
    SerialReadBlock();
  } else {
    host_.GatewayTransferStarting();
    state_ = TransferState::kGatewayRead;
    readCountdown_ = kGatewayReadTicks;
    host_.SendGateway(GatewayImageReadMessage());
  }
  Changed();
}

void ImageTransfer::BeginWrite(size_t start) {
  const ImageState& state = host_.HostImage();
  rangeStart_ = moveStart_ = cursor_ = start;
  rangeEnd_ = moveEnd_ = WriteRangeEnd(state);
  written_.assign(state.image.bytes.begin() + static_cast<std::ptrdiff_t>(rangeStart_),
                  state.image.bytes.begin() + static_cast<std::ptrdiff_t>(rangeEnd_));
  view_.panels[2] = Format("Writing %d bytes.", static_cast<long>(rangeEnd_ - rangeStart_));
  view_.bar = 0;
  if (host_.SerialPath()) {
    state_ = TransferState::kSerialWrite;
    SerialWriteBlock();
  } else {
    confirmCount_ = -1;
    state_ = TransferState::kGatewayWrite;
    host_.GatewayTransferStarting();
    GatewayWriteBlock();
  }
  Changed();
}

void ImageTransfer::SerialReadBlock() {
  const auto address = static_cast<uint16_t>(cursor_);
  const auto count = static_cast<uint8_t>(std::min(moveEnd_ - cursor_, kSerialBlock));
  ++serialRequests_;
  helper_.Start(
      {message::kMemoryReadRequest, frame::kController, EncodeMemoryReadRequest(address, count),
       message::kMemoryReadReply, address, count},
      [this, address](std::optional<std::vector<uint8_t>> reply) {
        if (state_ != TransferState::kSerialRead) return;
        const auto read = reply ? DecodeMemoryReply(*reply) : std::nullopt;
        if (!read) {
          view_.stateInfo = kTimeoutText;
          view_.stateInfoVisible = true;
          Finish(TransferEnd::kTimeout);
          return;
        }
        if (address + read->count <= kImageSize)
          std::copy(read->data.begin(), read->data.end(), staging_.begin() + address);
        cursor_ += read->count;
        ShowProgress();
        if (cursor_ < moveEnd_) {
          SerialReadBlock();
        } else {
          readDone_ = true;  // taken at the next tick, outside the line's event
        }
      });
}

void ImageTransfer::SerialWriteBlock() {
  const auto address = static_cast<uint16_t>(cursor_);
  const size_t count = std::min(rangeEnd_ - cursor_, kSerialBlock);
  const auto data = std::span<const uint8_t>(written_).subspan(cursor_ - rangeStart_, count);
  ++serialRequests_;
  helper_.Start(
      {message::kMemoryWriteRequest, frame::kController, EncodeMemoryWriteRequest(address, data),
       message::kMemoryWriteReply, address, static_cast<uint8_t>(count)},
      [this](std::optional<std::vector<uint8_t>> reply) {
        if (state_ != TransferState::kSerialWrite) return;
        const auto written = reply ? DecodeMemoryReply(*reply) : std::nullopt;
        if (!written) {
          view_.stateInfo = kTimeoutText;
          view_.stateInfoVisible = true;
          Finish(TransferEnd::kTimeout);
          return;
        }
        cursor_ += written->count;
        ShowProgress();
        if (cursor_ < rangeEnd_) {
          SerialWriteBlock();
          return;
        }
        // The write is complete only when the controller has heard so.
        state_ = TransferState::kSerialClosing;
        closingRequest_ = 0;
        closingCountdown_ = kClosingTicks;
        QueueClosingCommand();
      });
}

void ImageTransfer::QueueClosingCommand() {
  const uint8_t command[] = {kWriteCompleteCommand};
  if (link_.QueueRequest(message::kControlCommand, frame::kController, command))
    closingRequest_ = link_.LastQueued();
}

void ImageTransfer::GatewayWriteBlock() {
  if (cursor_ < rangeEnd_) {
    const size_t count = std::min(rangeEnd_ - cursor_, kGatewayBlock);
    host_.SendGateway(GatewayImageWriteMessage(
        static_cast<uint16_t>(cursor_),
        std::span<const uint8_t>(written_).subspan(cursor_ - rangeStart_, count)));
    ++gatewayBlocks_;
    cursor_ += count;
    ShowProgress();
    gapCountdown_ = kGatewayWriteGapTicks;
    return;
  }
  host_.SendGateway(GatewayImageChecksumRequestMessage());
  view_.bar = 0;
  view_.progress = "Waiting for confirm...";
  confirmCount_ = 0;
  Changed();
}

void ImageTransfer::GatewayMessage(std::span<const uint8_t> message) {
  if (IsGatewayType(message, gateway::kImageBlock) && state_ == TransferState::kGatewayRead) {
    // A block that says it carries more than it does is ignored.
    const std::optional<GatewayImageBlock> block = DecodeGatewayImageBlock(message);
    if (!block || readDone_) return;
    if (block->address != cursor_ || block->address + block->count > kImageSize) {
      Finish(TransferEnd::kFailedAt, Format("Transfer faild at: %d", static_cast<long>(cursor_)));
      return;
    }
    std::copy(block->data.begin(), block->data.end(), staging_.begin() + block->address);
    cursor_ += block->count;
    ShowProgress();
    if (cursor_ == kImageSize) readDone_ = true;
    return;
  }
  if (IsGatewayType(message, gateway::kImageChecksum) && state_ == TransferState::kGatewayWrite &&
      confirmCount_ >= 0) {
    const std::optional<uint16_t> sum = DecodeGatewayImageChecksum(message);
    if (!sum) return;
    view_.bar = 0;
    if (*sum == SumOf(written_)) {
      view_.progress = "Confirm received - OK";
      view_.look = ProgressLook::kGreen;
      Finish(TransferEnd::kWriteCompleted);
    } else {
      view_.progress = kBadChecksumText;
      view_.look = ProgressLook::kRed;
      Finish(TransferEnd::kChecksumBad);
    }
  }
}

void ImageTransfer::ReadFinished() {
  readDone_ = false;
  const bool gateway = state_ == TransferState::kGatewayRead;
  if (verifying_) {
    const auto read = std::span<const uint8_t>(staging_).subspan(rangeStart_, written_.size());
    const auto differs = std::mismatch(read.begin(), read.end(), written_.begin());
    view_.bar = 0;
    if (differs.first == read.end()) {
      view_.progress = "Verify OK";
      view_.look = ProgressLook::kGreen;
      Finish(TransferEnd::kVerified, "Verify OK");
    } else {
      verifyFailedAt_ = rangeStart_ + static_cast<size_t>(differs.first - read.begin());
      view_.progress = Format("Verify failed at offset %d", static_cast<long>(verifyFailedAt_));
      view_.look = ProgressLook::kRed;
      Finish(TransferEnd::kVerifyFailed, view_.progress);
    }
    return;
  }
  state_ = TransferState::kIdle;
  asking_ = true;
  const TransferEnd end = host_.TakeReadImage(staging_, gateway);
  asking_ = false;
  // Only an image that was taken is a completed read; a refused one says so.
  view_.panels[2] = end != TransferEnd::kReadCompleted ? "Read not taken"
                    : gateway                          ? "Transfer completed"
                                                       : "Read completed";
  const ImageState& image = host_.HostImage();
  if (image.ImageValid) {
    view_.panels[0] = ControllerDateText(image.image);
    view_.panels[1] = UsedTextLabel(image.usedTextPercent);
  }
  Finish(end);
}

void ImageTransfer::Finish(TransferEnd end, const std::string& action) {
  state_ = TransferState::kIdle;
  next_ = Next::kNone;
  end_ = end;
  if (!action.empty()) view_.panels[2] = action;
  Changed();
}

void ImageTransfer::ShowProgress() {
  const double percent = moveEnd_ > moveStart_ ? static_cast<double>(cursor_ - moveStart_) * 100.0 /
                                                     static_cast<double>(moveEnd_ - moveStart_)
                                               : 100.0;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", percent);
  view_.progress = text;
  view_.bar = static_cast<int>(percent + 0.5);
  Changed();
}

void ImageTransfer::Stop() {
  view_.stateInfo = "Stopped";
  view_.stateInfoVisible = true;
  if (!Busy()) {
    Changed();
    return;
  }
  // A write stopped half way leaves the controller with part of the new
  // configuration: the window says so rather than "Writing ... bytes.".
  std::string reason = HowFar("Stopped", BytesDone(), BytesTotal());
  if (Writing()) reason += ". The controller holds a partly written configuration: write again.";
  if (state_ == TransferState::kSerialClosing) reason = kLostBeforeClosing;
  StopEarly(TransferEnd::kStopped, Writing() ? reason : std::string());
  endReason_ = reason;
}

void ImageTransfer::ConnectionLost() {
  if (!Busy()) return;
  if (asking_) {
    // The questions before a write run their own event loop; the write does not
    // begin once they are answered. A whole read is already in.
    if (state_ == TransferState::kIdle && next_ == Next::kNone && !readDone_)
      lostWhileAsking_ = true;
    return;
  }
  std::string reason;
  switch (state_) {
    case TransferState::kSerialWrite:
    case TransferState::kGatewayWrite:
      reason = HowFar("Connection lost", BytesDone(), BytesTotal()) + ". " + kPartlyWritten;
      break;
    case TransferState::kSerialClosing:
      reason = kLostBeforeClosing;
      break;
    case TransferState::kSerialRead:
    case TransferState::kGatewayRead:
      reason = HowFar("Connection lost", BytesDone(), BytesTotal()) +
               (verifying_ ? " read back: verify again when it is connected."
                           : ": nothing was taken; read again when it is connected.");
      break;
    default:
      reason = kLostInLoginCheck;
      break;
  }
  view_.stateInfo = "Connection lost";
  view_.stateInfoVisible = true;
  StopEarly(TransferEnd::kConnectionLost, reason);
  // The box opens from the next tick, never inside the port's or socket's event.
  pendingError_ = reason;
}

void ImageTransfer::StopEarly(TransferEnd end, std::string reason) {
  helper_.Cancel();
  if (closingRequest_ != 0) link_.Withdraw(closingRequest_);
  closingRequest_ = 0;
  readDone_ = false;
  const bool logReset = next_ == Next::kLoginOnly;
  endReason_ = reason;
  // Stop during the login check ends the operation; it never lets it go on unchecked.
  Finish(end, reason);
  if (logReset && loginThen_) std::exchange(loginThen_, nullptr)(false);
}

void ImageTransfer::Tick() {
  // A question asked from this tick runs its own event loop; a tick arriving from
  // there waits for the next one.
  if (ticking_) return;
  ticking_ = true;
  TickOnce();
  ticking_ = false;
}

void ImageTransfer::TickOnce() {
  helper_.Tick();
  if (!pendingError_.empty()) host_.TransferError(std::exchange(pendingError_, {}));
  if (readDone_) {
    ReadFinished();
    return;
  }
  switch (state_) {
    case TransferState::kLoginCheck:
      if (--loginCountdown_ <= 0) FailLogin(TransferEnd::kNoLoginAnswer, kNoLoginAnswer);
      break;
    case TransferState::kLoginRejected:
      FailLogin(TransferEnd::kWrongLoginCode, kWrongLoginCode);
      break;
    case TransferState::kLoginAccepted:
      Continue();
      break;
    case TransferState::kSerialClosing:
      if (closingRequest_ == 0) {
        QueueClosingCommand();
      } else if (link_.Acknowledged(closingRequest_)) {
        closingRequest_ = 0;
        Finish(TransferEnd::kWriteCompleted, "Write completed");
        break;
      }
      if (--closingCountdown_ <= 0) {
        view_.stateInfo = kTimeoutText;
        view_.stateInfoVisible = true;
        StopEarly(TransferEnd::kTimeout, kLostBeforeClosing);
      }
      break;
    case TransferState::kGatewayWrite:
      if (confirmCount_ < 0) {
        if (--gapCountdown_ <= 0) GatewayWriteBlock();
      } else if (++confirmCount_ > kConfirmLimit) {
        view_.bar = 0;
        view_.progress = kNoConfirmText;
        view_.look = ProgressLook::kRed;
        Finish(TransferEnd::kNoConfirm);
      } else {
        view_.bar = confirmCount_ * 100 / kConfirmLimit;
        Changed();
      }
      break;
    case TransferState::kSerialRead:
    case TransferState::kGatewayRead:
      // The limit covers the whole read (a verify's too); arriving blocks do not
      // renew it.
      if (readCountdown_ > 0) --readCountdown_;
      if (readCountdown_ == 0) {
        helper_.Cancel();
        view_.stateInfo = kTimeoutText;
        view_.stateInfoVisible = true;
        Finish(TransferEnd::kTimeout);
      }
      break;
    default:
      break;
  }
}

std::string ImageTransfer::EndText() const {
  if (!endReason_.empty()) return endReason_;
  switch (end_) {
    case TransferEnd::kTimeout:
      return kTimeoutText;
    case TransferEnd::kChecksumBad:
      return kBadChecksumText;
    case TransferEnd::kNoConfirm:
      return kNoConfirmText;
    case TransferEnd::kFailedAt:
      return view_.panels[2];
    default:
      return {};
  }
}

}  // namespace vorel
