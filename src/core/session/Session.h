// One run of the tool: the one configuration, the one controller image, the
// 100 ms tick in its one order, the connection to the controller and every piece
// of work on it, and the workflows that act on the whole system (New, Load, Save,
// Read, Write, log resets, firmware). The windows and vorelctl call these same
// operations; they hear about their effects through SessionObserver.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/app/AccessLevels.h"
#include "core/base/Result.h"
#include "core/config/CopyMachine.h"
#include "core/config/SystemConfiguration.h"
#include "core/firmware/BootProgrammer.h"
#include "core/image/ImagePacking.h"
#include "core/link/LinkEngine.h"
#include "core/link/LiveMessages.h"
#include "core/link/LocalLink.h"
#include "core/link/RemoteLink.h"
#include "core/link/RequestHelper.h"
#include "core/link/SerialPort.h"
#include "core/supervision/CalibrationTest.h"
#include "core/supervision/LaundryTrace.h"
#include "core/supervision/SystemSetup.h"
#include "core/systemfile/SystemFile.h"
#include "core/transfer/ImageTransfer.h"

namespace vorel {

// What the windows hear of the session. Every handler has an empty default.
class SessionObserver {
 public:
  virtual ~SessionObserver() = default;
  // The configuration went back to a new system: every editor shows it cleared.
  virtual void ConfigurationCleared() {}
  // An editor's change, or what a trigger unit told of itself, reached the
  // configuration (EditConfiguration, CopyMachines).
  virtual void ConfigurationEdited() {}
  // A load or an image filled the configuration: every editor shows it anew.
  virtual void ConfigurationReplaced() {}
  // The image was packed, taken or invalidated: the status bar follows it.
  virtual void ImageChanged() {}
  // The controller's status report, decoded once for every window.
  virtual void StatusReportReceived(const StatusReport& report) {}
  // A trigger unit's frame to the controller, overheard: machine index 0..9.
  virtual void TriggerUnitFrameReceived(int machineIndex, std::span<const uint8_t> frame) {}
  // LinkReady or a remote flag changed: the windows enable or disable what needs
  // the controller, the caption follows the remote system.
  virtual void LinkStateChanged() {}
  // The controller's state as the gateway relays it.
  virtual void GatewayStatusReceived(const GatewayStatus& status) {}
  // The controller or the gateway confirmed a machine reset.
  virtual void MachineResetDone() {}
  // The controller confirmed a log reset.
  virtual void ConsumptionLogReset() {}
  virtual void AlarmLogCleared() {}
  // The gateway listed its systems.
  virtual void GatewaySystemsListed(const std::vector<GatewaySystem>& systems) {}
  // The image transfer moved on: the read/write window follows it.
  virtual void TransferChanged() {}
  // A read or write over the gateway begins: the machine windows close.
  virtual void MachineWindowsClosing() {}
  // The firmware programming run moved on.
  virtual void FirmwareChanged() {}
  // A frame with a bad checksum arrived (a bus conflict).
  virtual void ChecksumErrorCounted() {}
  // The pump calibration test's tick ran; `pumpStopped` on the tick its pump went off.
  virtual void CalibrationTicked(bool pumpStopped) {}
  // The connection ended under a running calibration test: its outputs are off.
  virtual void CalibrationStopped(const std::string& why) {}
};

// What the windows add to the session's tick: the counters once a second, whether
// somebody watches the controller (the gateway's status poll), the machine windows
// that are shown. Every hook has an empty default.
class TickHooks {
 public:
  virtual ~TickHooks() = default;
  virtual void UpdateCounters() {}
  virtual bool Supervising() { return false; }
  virtual void VisibleMachineTicks() {}
};

// A registration with the session that ends when this handle goes: a window or an
// adapter keeps it as a member and never has to be taken off by hand.
class Attachment {
 public:
  Attachment() = default;
  explicit Attachment(std::function<void()> detach) : detach_(std::move(detach)) {}
  Attachment(Attachment&& other) noexcept : detach_(std::exchange(other.detach_, nullptr)) {}
  Attachment& operator=(Attachment&& other) noexcept {
    if (this != &other) {
      Reset();
      detach_ = std::exchange(other.detach_, nullptr);
    }
    return *this;
  }
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;
  ~Attachment() { Reset(); }
  void Reset() {
    if (auto detach = std::exchange(detach_, nullptr)) detach();
  }

 private:
  std::function<void()> detach_;
};

// The questions and error boxes of a read or a write, answered by the read/write
// window or by vorelctl.
class TransferPrompts {
 public:
  virtual ~TransferPrompts() = default;
  // "Unsaved program data, update before save?": false for Cancel.
  virtual bool AskUnsavedEdits() = 0;
  // The packed image could not hold these texts (system file element, text): write
  // anyway?
  virtual bool AskWriteDroppingTexts(
      const std::vector<std::pair<std::string, std::string>>& texts) = 0;
  // An error box; `abort`: the single Abort button of a refused image.
  virtual void ShowTransferError(const std::string& text, bool abort) = 0;
};

// Keeps every completed read: the image as read and its system file, one pair per
// read, never overwritten. Returns the image's path, or why the pair could not be
// kept (UTF-8, as the file system names them).
class ReadBackup {
 public:
  virtual ~ReadBackup() = default;
  using Kept = Loaded<std::string>;
  virtual Kept Keep(uint32_t serialNumber, std::span<const uint8_t> image,
                    std::string_view systemFile) = 0;
};

class Session : private LinkListener,
                private PollAnswers,
                private ByteSink,
                private RemoteEvents,
                private TransferHost {
 public:
  static constexpr int kTicksPerSecond = 10;

  explicit Session(AccessFlags access = {});
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // What the editors and the status bar show. Every change goes through the
  // operations below, so that it is counted and the observers hear of it.
  const SystemConfiguration& Configuration() const { return config_; }
  const ImageState& Image() const { return image_; }
  const AccessFlags& Access() const { return access_; }

  void AddObserver(SessionObserver* observer);
  void RemoveObserver(SessionObserver* observer);
  // The same, for as long as the handle lives.
  [[nodiscard]] Attachment Observe(SessionObserver& observer);

  // The configuration changed since the last New, Load or Save.
  bool Changed() const { return changed_; }
  // The editors hold the new, empty system of start-up or "New System...": nothing
  // was loaded, read or edited since. Writing it would wipe a controller's programs.
  bool HoldsUntouchedNewSystem() const { return untouched_ && !changed_; }

  // An editor's change: applied to the configuration, counted as changed (exit, New
  // and Load ask first), and heard by the observers as ConfigurationEdited.
  using ConfigurationChange = std::function<void(SystemConfiguration&)>;
  void EditConfiguration(const ConfigurationChange& change);
  // A change the technician did not make: what a trigger unit told of itself (its
  // kind and version), or what a rule of the controller implies (alarm group 0
  // receives every alarm sent to groups 1 and 2). Applied and heard, but not
  // counted as an edit to save.
  void AdjustConfiguration(const ConfigurationChange& change);
  // "Copy machine": the source machine onto one machine or all (CopyMachines);
  // counted as changed when any machine was copied onto.
  CopyOutcome CopyMachines(int fromIndex, int toPosition);
  // The system setup window's name and default input filter into the image, where
  // the controller reads them (the status bar hears ImageChanged).
  void PackNameAndFilter();

  // Start-up and the clear before a load: a new system (machines keep their
  // `AllowNoProgram`, as clearing a machine does) and no valid image.
  void ClearAll();

  // "New System...": a new system, packed at `now`; nothing counts as changed.
  void NewSystem(const LocalDateTime& now);

  // "Load System...". A load starts from a new system in every field, as at
  // start-up (`AllowNoProgram` false, no logs, format 1.1): nothing of the
  // configuration open before leaks into the loaded one. Only the controller's
  // login code of the last read stays in the image, as it guards the next write.
  // Then the file's elements in document order (the first error ends the load;
  // what was read before it stays), the image packed at `now`, and the editors
  // refreshed. `fileBytes` empty: the file could not be read (the caller knows
  // why); the configuration is then the new system.
  //
  // A load that ends at an error keeps what was read before it; the configuration
  // then counts as changed (exit, New and Load ask first), and `source` (the file's
  // name) is remembered so that saving over that very file can ask first.
  //
  // The workflows' reasons are Windows-1252 text: file element names and values are
  // that code page.
  Outcome LoadSystem(std::optional<std::string_view> fileBytes, const LocalDateTime& now,
                     std::string_view source = {});
  // After a load: every value that does not reach the controller as the file wrote
  // it, the texts that did not fit the controller's text area included.
  const std::vector<ValueChange>& LoadChanges() const { return loadChanges_; }

  // The last load of `source` ended at an error: replacing that file loses the part
  // that was not read.
  bool PartlyLoadedFrom(std::string_view source) const {
    return !partlyLoadedFrom_.empty() && partlyLoadedFrom_ == source;
  }

  // "Save System...": the system file's bytes go to `write`, which says whether the
  // file was written or why not. The image is packed at `now` afterwards either way;
  // a written file leaves nothing counted as changed.
  using FileWriter = std::function<Outcome(std::string_view bytes)>;
  Outcome SaveSystem(const FileWriter& write, const LocalDateTime& now);

  // The system file's bytes of the configuration as it stands.
  std::string SystemFileBytes() const;

  // Packs the image from the configuration; in master mode with `masterLoginCode`.
  void PackImage(const LocalDateTime& now,
                 std::optional<std::string_view> masterLoginCode = std::nullopt);

  // A file given to Load System, the command line or vorelctl: a 32768-byte memory
  // image is taken as a completed read takes it (TakeImage), a system file is loaded
  // (LoadSystem), anything else is refused before anything is cleared (`kind`
  // kUnknown, reason kUnknownFileText).
  struct FileLoad {
    FileKind kind = FileKind::kUnknown;
    Outcome result;
  };
  FileLoad LoadFile(std::string_view fileBytes, const LocalDateTime& now,
                    std::string_view source = {});

  // A whole controller image as a completed read takes it: cleared, then unpacked.
  // A refused image leaves the configuration cleared ("Bad data format or
  // version: %d.%d"). Bytes other than 32768 are refused before anything changes.
  UnpackResult TakeImage(std::span<const uint8_t> imageBytes);

  // One 100 ms tick, the one place that orders them: the windows' counters every
  // tenth tick, the local link (start-up delay, link-alive time), the gateway's
  // status poll, the transfer's and the requests' time-outs, the firmware run, the
  // pump calibration test, manual control, then the windows' machine displays.
  // The GUI's timer, vorelctl's runner and the tests all call it; the tests step it.
  void Tick(TickHooks* hooks = nullptr);

  // The controller link: the engine, the local side's rules, the serial port and
  // the mode. The port is the program's (a real one, or the demonstration's).
  const LinkEngine& Link() const { return link_; }
  const LocalLink& Local() const { return local_; }
  // Who else hears the link's messages (the system setup window's Ethernet
  // monitor), for as long as the handle lives.
  [[nodiscard]] Attachment ListenToLink(LinkListener& listener);
  // Bytes from the controller's serial line, as the attached port delivers them.
  void ReceiveSerial(std::span<const uint8_t> bytes) { link_.Receive(bytes); }
  // The communication window's test buttons: a request queued for the next poll,
  // the sequence number moved on, the checksum error count back to zero.
  bool QueueRequest(uint8_t type, uint8_t destination, std::span<const uint8_t> payload);
  void AdvanceSequence() { link_.AdvanceSequence(); }
  void ClearChecksumErrors() { link_.ClearChecksumErrors(); }
  // The start-up delay ends at once (vorelctl and the tests, which wait for nothing).
  void SkipStartupDelay() { local_.SkipStartupDelay(); }
  [[nodiscard]] Attachment AttachSerialPort(SerialPort& port);
  bool PortOpen() const { return serial_ && serial_->IsOpen(); }
  // The list text of the port this program holds open; empty when none is.
  std::string OpenedPort() const { return PortOpen() ? openedPort_ : std::string(); }
  std::string PortError() const { return serial_ ? serial_->LastError() : std::string(); }
  // The port list's text, used when the start-up delay ends and a mode is chosen.
  void SetPortName(std::string listText) { portName_ = std::move(listText); }
  const std::string& PortName() const { return portName_; }
  // "Open", a port picked from the list: the link starts again on that port (work
  // on the last connection ends). True when the port is open afterwards.
  bool OpenPort(const std::string& listText);
  // "Close": the port closes and every piece of work on it ends.
  void ClosePort();
  bool LocalMode() const { return localMode_; }
  // Choosing local or remote: work on the last connection ends, the link starts
  // again in that mode, every remote flag goes back and the gateway socket closes;
  // local opens the port named last, remote closes it.
  void SelectMode(bool local);
  // The controller answers (local) or the gateway accepted the login and system.
  bool LinkReady() const { return localMode_ ? link_.LinkReady() : remote_.LinkReady(); }
  // Counts every connection: work started on one never goes on on another.
  uint32_t Connection() const { return connection_; }

  // The gateway side: its socket and the remote login window (none: the socket
  // never opens, every prompt is cancelled).
  const RemoteLink& Remote() const { return remote_; }
  // "Connect" on the communication window (or vorelctl's): connects to `host`, or
  // disconnects while the button says so.
  void GatewayConnectClick(const std::string& host, uint16_t port = gateway::kPort) {
    remote_.ConnectClick(host, port);
  }
  [[nodiscard]] Attachment AttachGatewaySocket(GatewaySocket& socket);
  [[nodiscard]] Attachment AttachRemotePrompts(RemotePrompts& prompts);
  // The caption's remote system, while logged in.
  std::optional<RemoteSystemName> ConnectedSystem() const;

  // The image transfer: Read, Write and Write serial of the read/write window and
  // vorelctl. `loginCode`: the code the technician typed, checked against the
  // controller's. A write packs at `now` (in master mode with `masterCode`); Write
  // serial puts `serialNumber` into the header. False while a transfer runs.
  struct WriteRequest {
    LocalDateTime now;
    std::optional<std::string> masterCode;
    uint32_t serialNumber = 0;
  };
  bool Read(const std::string& loginCode);
  bool Write(const std::string& loginCode, const WriteRequest& request);
  bool WriteSerial(const WriteRequest& request);
  // What the read/write window enables: nothing without a link; only Stop while a
  // transfer runs; when idle Read, and Write over the serial link or over the
  // gateway to an online system with access code "A".
  struct TransferButtons {
    bool read = false;
    bool write = false;
    bool stop = false;
    friend bool operator==(const TransferButtons&, const TransferButtons&) = default;
  };
  TransferButtons Buttons() const;
  // The last write read back and compared.
  bool Verify() { return transfer_.StartVerify(); }
  // "Stop", or a window closing under a transfer.
  void StopTransfer() { transfer_.Stop(); }
  const ImageTransfer& Transfer() const { return transfer_; }
  [[nodiscard]] Attachment AttachTransferPrompts(TransferPrompts& prompts);
  [[nodiscard]] Attachment AttachReadBackup(ReadBackup& backup);

  // Who the controller on the serial link is: its header and system area read with
  // memory reads (each asked again when its answer is lost). False without a ready
  // serial link or while other work runs; the connection ending fails it.
  bool StartInfoRead();
  enum class InfoRead { kIdle, kReading, kDone, kFailed };
  InfoRead InfoReadState() const { return infoState_; }
  // What was read: the header and the system area, zero beyond.
  const ControllerImage& InfoImage() const { return infoImage_; }
  // Where the last read was kept, or why it was not; neither when no read was kept
  // (none completed, or no backup folder).
  const ReadBackup::Kept& LastBackup() const { return lastBackup_; }
  // The image of the last completed read, while one was read this run.
  const std::optional<ControllerImage>& LastReadImage() const { return lastRead_; }

  // The log windows' resets. The login code check first (as before a write; `then`
  // hears whether it passed, from a later tick), then the window's question, then
  // the request: over the serial link it goes with the next poll and is asked again
  // when the confirmation is lost; over the gateway it goes at once. The confirmation
  // zeroes the log in the image and reaches the observers.
  bool CheckLoginCode(const std::string& loginCode, std::function<void(bool passed)> then);
  enum class LogReset { kSent, kNotConnected };
  LogReset SendConsumptionLogReset();
  LogReset SendAlarmLogClear();
  // "Reset log" and "Clear alarm log" are enabled: the serial link in use, or the
  // gateway reporting the system online with full access.
  bool LogResetAllowed() const;

  // Firmware update through a boot loader, over the serial link only. The window
  // being shown changes how the link treats bytes outside frames and retransmission;
  // StartFirmware sends the target's EnterBootLoader and begins the run. False over
  // the gateway.
  void SetFirmwareWindowVisible(bool visible);
  bool StartFirmware(const FirmwareImage& image, const FirmwareTarget& target);
  void AbandonFirmware();
  const BootProgrammer& Programmer() const { return programmer_; }

  // A machine reset may be sent: over the serial link while it is ready, over the
  // gateway while the system is online with full access.
  bool MachineResetAllowed() const;
  // "Reset machine" with list index 0..9, 10 for all, none when nothing is chosen:
  // over the serial link it waits for the next poll, over the gateway it goes at once.
  void PressMachineReset(std::optional<int> listIndex);

  // What the poll answer sends: the manual control of the system setup window, a
  // machine reset waiting for the next poll, the Ethernet monitor.
  const vorel::ManualControl& Manual() const { return manual_; }
  // A button of the manual control pressed (`down`) or released, and its control
  // check box; a press switches only over a ready serial link.
  void PressPump(int pump, bool down) { manual_.PressPump(pump, down, SerialLinkReady()); }
  void PressMachine(int machine, bool down) {
    manual_.PressMachine(machine, down, SerialLinkReady());
  }
  void PressOutput(ManualOutput output, bool down) {
    manual_.PressOutput(output, down, SerialLinkReady());
  }
  void SetPumpControl(int pump, bool controlled) { manual_.SetPumpControl(pump, controlled); }
  void SetMachineControl(int machine, bool controlled) {
    manual_.SetMachineControl(machine, controlled);
  }
  void SetOutputControl(ManualOutput output, bool controlled) {
    manual_.SetOutputControl(output, controlled);
  }
  void ResetManualControl() { manual_.Reset(); }
  // The serial link in use and the controller answering.
  bool SerialLinkReady() const { return localMode_ && link_.LinkReady(); }

  // The pump calibration test, on the same manual control: opened for pump 1..7 of
  // machine index 0..9, started for 15..60 s (false when refused), closed with
  // every output it switched off.
  const CalibrationTest& Calibration() const { return calibration_; }
  void OpenCalibration(int pump, int machineIndex) { calibration_.Open(pump, machineIndex); }
  bool StartCalibration(int testSeconds) { return calibration_.Start(testSeconds); }
  void CloseCalibration() { calibration_.Close(); }

  // The machine reset chosen on this connection: its "OK" shown, hidden, forgotten.
  const MachineReset& PendingReset() const { return reset_; }
  void HideMachineResetDone() { reset_.HideDone(); }
  void ForgetMachineReset() { reset_.Forget(); }
  void SetEthernetMonitor(bool on) { monitorOn_ = on; }

  // The trace of the whole laundry: every status report's changes while connected,
  // and when the controller was connected, timed by the session's ticks.
  const LaundryTrace& Trace() const { return trace_; }
  // A new trace from now on (`now`: the wall clock, kept for the trace file).
  void StartTrace(const LocalDateTime& now);
  // The trace's time now, in milliseconds since it began.
  uint32_t TraceMs() const {
    return static_cast<uint32_t>((ticks_ - traceStartTick_) * (1000 / kTicksPerSecond));
  }

 private:
  void MessageReceived(std::span<const uint8_t> message) override;
  void TriggerUnitFrame(int machineIndex, std::span<const uint8_t> message) override;
  void LinkReadyChanged(bool ready) override;
  void ChecksumError() override { Notify(&SessionObserver::ChecksumErrorCounted); }
  // How a connection ended: the controller went quiet (a firmware run goes on, as
  // the boot loader speaks outside frames), or it was closed, switched or lost.
  enum class Ending { kQuiet, kClosed };
  void EndConnection(Ending how);
  // An attachment whose `detach` runs only while this session lives.
  Attachment Guarded(std::function<void()> detach);
  void EndManualControl(const char* why);
  void TransferTick();
  void FirmwareTick();
  void ManualControlTick();
  void NextInfoBlock();
  void BootLoaderByte(uint8_t byte) override;
  void FirmwareStateToLink() {
    link_.SetFirmwareWindow(firmwareVisible_, programmer_.Programming());
  }
  bool Write(std::span<const uint8_t> bytes) override;
  bool TakeMachineReset(std::optional<uint8_t>& command) override;
  bool EthernetMonitorOn() override { return monitorOn_; }
  ManualControlState ManualControl() override { return manual_.State(); }
  // The remote link's events.
  void GatewayMessage(std::span<const uint8_t> message) override;
  void ConnectionLost() override { SelectMode(localMode_); }
  void RemoteChanged() override;
  void SystemListComplete(const std::vector<GatewaySystem>& systems) override {
    Notify(&SessionObserver::GatewaySystemsListed, systems);
  }
  // The transfer's host.
  bool SerialPath() const override { return localMode_; }
  ImageState& HostImage() override { return image_; }
  bool SendGateway(std::span<const uint8_t> message) override { return remote_.Send(message); }
  bool PrepareWrite(bool writeSerial) override;
  TransferEnd TakeReadImage(std::span<const uint8_t> bytes, bool gateway) override;
  void TransferError(const std::string& text) override;
  void TransferChanged() override { Notify(&SessionObserver::TransferChanged); }
  void GatewayTransferStarting() override { Notify(&SessionObserver::MachineWindowsClosing); }

  // The gateway socket and the prompts, passed on to what the program gave.
  class GatewaySide final : public GatewaySocket, public RemotePrompts {
   public:
    GatewaySocket* socket = nullptr;
    RemotePrompts* prompts = nullptr;
    bool Write(std::span<const uint8_t> bytes) override { return socket && socket->Write(bytes); }
    void Open(const std::string& host, uint16_t port) override {
      if (socket) socket->Open(host, port);
    }
    void Close() override {
      if (socket) socket->Close();
    }
    bool IsConnected() const override { return socket && socket->IsConnected(); }
    std::optional<GatewayLogin> AskLogin() override {
      return prompts ? prompts->AskLogin() : std::nullopt;
    }
    std::optional<GatewaySystem> AskSystem(const std::vector<GatewaySystem>& systems) override {
      return prompts ? prompts->AskSystem(systems) : std::nullopt;
    }
    bool AskRetryLogin() override { return prompts && prompts->AskRetryLogin(); }
    bool ChoosesLoneFreeSystem() const override {
      return !prompts || prompts->ChoosesLoneFreeSystem();
    }
    void CloseQuestion() override {
      if (prompts) prompts->CloseQuestion();
    }
  };

  // Every observer hears the event; a handler may remove its own observer, so a
  // copy of the list is walked.
  template <typename... Event, typename... Args>
  void Notify(void (SessionObserver::*event)(Event...), Args&&... args) {
    const std::vector<SessionObserver*> observers = observers_;
    for (SessionObserver* observer : observers) (observer->*event)(args...);
  }
  // The system settings and every machine back to a new system (machines keep
  // AllowNoProgram).
  void ClearConfiguration();

  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
  AccessFlags access_;
  SystemConfiguration config_;
  ImageState image_;
  bool changed_ = false;
  bool untouched_ = true;
  std::string partlyLoadedFrom_;
  std::vector<ValueChange> loadChanges_;
  int counterTick_ = 0;
  std::vector<SessionObserver*> observers_;
  SerialPort* serial_ = nullptr;
  std::string portName_;
  std::string openedPort_;
  bool portWasOpen_ = false;
  uint32_t connection_ = 0;
  LinkEngine link_{*this, *this};
  LocalLink local_{link_};
  bool localMode_ = false;
  GatewaySide gateway_;
  RemoteLink remote_{gateway_, gateway_, *this};
  ImageTransfer transfer_{link_, *this};
  RequestHelper logRequests_{link_};
  RequestHelper infoRequests_{link_};
  InfoRead infoState_ = InfoRead::kIdle;
  ControllerImage infoImage_;
  size_t infoNext_ = 0;
  BootProgrammer programmer_{[this](std::span<const uint8_t> data) { link_.SendBootFrame(data); }};
  bool firmwareVisible_ = false;
  TransferPrompts* transferPrompts_ = nullptr;
  ReadBackup* backup_ = nullptr;
  ReadBackup::Kept lastBackup_;
  std::optional<ControllerImage> lastRead_;
  WriteRequest writeRequest_;
  vorel::ManualControl manual_;
  CalibrationTest calibration_{manual_};
  MachineReset reset_;
  bool monitorOn_ = false;
  LaundryTrace trace_;
  uint64_t ticks_ = 0;
  uint64_t traceStartTick_ = 0;
};

}  // namespace vorel
