// The session's workflows.
#include "core/session/Session.h"

#include <algorithm>

#include "core/logs/AlarmLog.h"
#include "core/logs/ConsumptionLog.h"
#include "core/systemfile/SystemFile.h"

namespace vorel {

Session::Session(AccessFlags access) : access_(access) {
  link_.AddListener(this);
}

Session::~Session() {
  alive_.reset();  // attachments that outlive the session find nothing to take off
  link_.RemoveListener(this);
}

Attachment Session::Guarded(std::function<void()> detach) {
  return Attachment([alive = std::weak_ptr<const bool>(alive_), detach = std::move(detach)] {
    if (alive.lock()) detach();
  });
}

namespace {
constexpr const char* kFirmwareStopped =
    "Connection lost: programming stopped before the end, program the firmware again.";
constexpr const char* kCalibrationStopped =
    "Test stopped: the connection to the controller ended, its outputs are off.";
}  // namespace

bool Session::Write(std::span<const uint8_t> bytes) {
  return serial_ && serial_->IsOpen() && serial_->Write(bytes);
}

Attachment Session::Observe(SessionObserver& observer) {
  AddObserver(&observer);
  return Guarded([this, &observer] { RemoveObserver(&observer); });
}

Attachment Session::AttachSerialPort(SerialPort& port) {
  serial_ = &port;
  port.SetEngine(&link_);
  portWasOpen_ = port.IsOpen();
  return Guarded([this, &port] {
    port.SetEngine(nullptr);
    if (serial_ == &port) serial_ = nullptr;
  });
}

Attachment Session::AttachGatewaySocket(GatewaySocket& socket) {
  gateway_.socket = &socket;
  socket.SetRemote(&remote_);
  return Guarded([this, &socket] {
    socket.SetRemote(nullptr);
    if (gateway_.socket == &socket) gateway_.socket = nullptr;
  });
}

Attachment Session::ListenToLink(LinkListener& listener) {
  link_.AddListener(&listener);
  return Guarded([this, &listener] { link_.RemoveListener(&listener); });
}

bool Session::QueueRequest(uint8_t type, uint8_t destination, std::span<const uint8_t> payload) {
  return link_.QueueRequest(type, destination, payload);
}

Attachment Session::AttachRemotePrompts(RemotePrompts& prompts) {
  gateway_.prompts = &prompts;
  return Guarded([this, &prompts] {
    if (gateway_.prompts == &prompts) gateway_.prompts = nullptr;
  });
}

Attachment Session::AttachTransferPrompts(TransferPrompts& prompts) {
  transferPrompts_ = &prompts;
  return Guarded([this, &prompts] {
    if (transferPrompts_ == &prompts) transferPrompts_ = nullptr;
  });
}

Attachment Session::AttachReadBackup(ReadBackup& backup) {
  backup_ = &backup;
  return Guarded([this, &backup] {
    if (backup_ == &backup) backup_ = nullptr;
  });
}

void Session::Tick(TickHooks* hooks) {
  TickHooks none;
  TickHooks& windows = hooks ? *hooks : none;
  ++ticks_;
  if (++counterTick_ >= kTicksPerSecond) {
    counterTick_ = 0;
    windows.UpdateCounters();
  }
  // The local link: a port that closed by itself (an adapter pulled) ends the
  // connection like Close; the start-up delay opens the stored port.
  const bool portOpen = PortOpen();
  if (localMode_ && portWasOpen_ && !portOpen) EndConnection(Ending::kClosed);
  portWasOpen_ = portOpen;
  const LinkStatus shown = local_.Status();
  if (local_.Tick(localMode_, portOpen)) OpenPort(portName_);
  if (local_.Status() != shown) Notify(&SessionObserver::LinkStateChanged);
  if (!localMode_) remote_.Tick(windows.Supervising());
  TransferTick();
  if (firmwareVisible_) FirmwareTick();
  if (calibration_.Running()) {
    const bool pumpStopped = calibration_.Tick();
    Notify(&SessionObserver::CalibrationTicked, pumpStopped);
  }
  ManualControlTick();
  LaundryState connected;
  connected.value[laundry::kConnected] = LinkReady() ? 1 : 0;
  connected.known.set(laundry::kConnected);
  trace_.Record(TraceMs(), connected);
  windows.VisibleMachineTicks();
}

void Session::StartTrace(const LocalDateTime& now) {
  trace_.Clear();
  trace_.SetStartedAt(now);
  traceStartTick_ = ticks_;
}

bool Session::OpenPort(const std::string& listText) {
  portName_ = listText;
  EndConnection(Ending::kClosed);
  const bool may = local_.PrepareOpen(listText);
  if (serial_) {
    if (!may) {
      if (listText == LocalLink::kNoPort) serial_->Close();
    } else {
      serial_->Open(listText);
    }
  }
  portWasOpen_ = PortOpen();
  if (portWasOpen_) openedPort_ = listText;
  Notify(&SessionObserver::LinkStateChanged);
  return may && portWasOpen_;
}

void Session::ClosePort() {
  if (serial_) serial_->Close();
  portWasOpen_ = false;
  local_.Closed();
  EndConnection(Ending::kClosed);
  link_.Tick(false);  // no port, no link: at once, not at the next tick
  Notify(&SessionObserver::LinkStateChanged);
}

void Session::EndConnection(Ending how) {
  ++connection_;
  link_.DropRequests();
  transfer_.ConnectionLost();
  logRequests_.Cancel();
  if (infoState_ == InfoRead::kReading) {
    infoRequests_.Cancel();
    infoState_ = InfoRead::kFailed;
  }
  reset_.Forget();
  EndManualControl(kCalibrationStopped);
  if (how == Ending::kClosed && programmer_.Step() != 0) {
    programmer_.Abandon(kFirmwareStopped);
    FirmwareStateToLink();
    Notify(&SessionObserver::FirmwareChanged);
  }
}

void Session::EndManualControl(const char* why) {
  // Whatever was switched by hand goes back to the controller's own program; the
  // next connection starts from there, never from what the last one left on.
  if (calibration_.Running()) {
    calibration_.Abort();
    Notify(&SessionObserver::CalibrationStopped, std::string(why));
  }
  if (manual_.State() == ManualControlState{} && manual_.Buttons() == ManualButtons{}) return;
  manual_.Reset();
  Notify(&SessionObserver::LinkStateChanged);
}

void Session::ManualControlTick() {
  if (!LinkReady()) EndManualControl(kCalibrationStopped);
}

bool Session::StartInfoRead() {
  if (!localMode_ || !link_.LinkReady() || transfer_.Busy() || infoState_ == InfoRead::kReading)
    return false;
  infoImage_ = ControllerImage{};
  infoNext_ = 0;
  infoState_ = InfoRead::kReading;
  NextInfoBlock();
  return true;
}

void Session::NextInfoBlock() {
  if (infoNext_ >= image::kMachineBlocks) {
    infoState_ = InfoRead::kDone;
    return;
  }
  const auto address = static_cast<uint16_t>(infoNext_);
  const auto count = static_cast<uint8_t>(
      std::min<size_t>(message::kMemoryBlockMax, image::kMachineBlocks - infoNext_));
  infoRequests_.Start(
      {message::kMemoryReadRequest, frame::kController, EncodeMemoryReadRequest(address, count),
       message::kMemoryReadReply, address, count},
      [this, address](std::optional<std::vector<uint8_t>> reply) {
        const auto read = reply ? DecodeMemoryReply(*reply) : std::nullopt;
        if (!read || address + read->data.size() > infoImage_.bytes.size()) {
          infoState_ = InfoRead::kFailed;
          return;
        }
        std::copy(read->data.begin(), read->data.end(), infoImage_.bytes.begin() + address);
        infoNext_ += read->count;
        NextInfoBlock();
      });
}

void Session::MessageReceived(std::span<const uint8_t> message) {
  if (message.empty()) return;
  if (message[0] == message::kConsumptionLogReset) {
    ClearConsumptionLog(image_.image);
    Notify(&SessionObserver::ConsumptionLogReset);
    return;
  }
  if (message[0] == message::kAlarmLogCleared) {
    ClearAlarmHistory(image_.image);
    Notify(&SessionObserver::AlarmLogCleared);
    return;
  }
  if (message[0] != message::kStatusReport) return;
  // Decoded once; every window reads the same report.
  const std::optional<StatusReport> report = DecodeStatusReport(message);
  if (!report) return;
  manual_.ApplyStatusReport(*report);
  trace_.Record(TraceMs(), LaundryStateOf(*report));
  Notify(&SessionObserver::StatusReportReceived, *report);
}

void Session::TriggerUnitFrame(int machineIndex, std::span<const uint8_t> message) {
  Notify(&SessionObserver::TriggerUnitFrameReceived, machineIndex, message);
}

bool Session::TakeMachineReset(std::optional<uint8_t>& command) {
  return reset_.Take(command);
}

void Session::LinkReadyChanged(bool ready) {
  // A controller gone quiet ends every piece of work on its connection; a change of
  // the link forgets a reset that waited for it.
  if (!ready) EndConnection(Ending::kQuiet);
  reset_.Forget();
  Notify(&SessionObserver::LinkStateChanged);
}

void Session::SelectMode(bool local) {
  EndConnection(Ending::kClosed);
  localMode_ = local;
  local_.ModeChanged();
  remote_.Reset();
  reset_.Forget();
  if (local) {
    OpenPort(portName_);
  } else if (serial_) {
    serial_->Close();
    portWasOpen_ = false;
  }
  Notify(&SessionObserver::LinkStateChanged);
}

void Session::RemoteChanged() {
  // The gateway no longer carrying the chosen system ends the work on it.
  if (!localMode_ && !remote_.LoggedIn()) EndConnection(Ending::kClosed);
  reset_.Forget();
  Notify(&SessionObserver::LinkStateChanged);
}

std::optional<RemoteSystemName> Session::ConnectedSystem() const {
  if (localMode_ || !remote_.LoggedIn()) return std::nullopt;
  return RemoteSystemName{remote_.SelectedName(), remote_.SelectedSerial()};
}

bool Session::MachineResetAllowed() const {
  if (localMode_) return link_.LinkReady();
  return remote_.SystemOnline() && remote_.FullAccess();
}

void Session::PressMachineReset(std::optional<int> listIndex) {
  if (!MachineResetAllowed()) return;
  if (!localMode_) {
    // Nothing chosen sends nothing over the gateway.
    if (!listIndex || *listIndex < 0 || *listIndex > MachineReset::kAll) return;
    remote_.Send(*listIndex == MachineReset::kAll ? GatewayResetAllMachinesMessage()
                                                  : GatewayResetMachineMessage(*listIndex));
  }
  reset_.Press(listIndex);
}

void Session::SetFirmwareWindowVisible(bool visible) {
  firmwareVisible_ = visible;
  if (!visible) programmer_.Abandon();
  FirmwareStateToLink();
}

bool Session::StartFirmware(const FirmwareImage& image, const FirmwareTarget& target) {
  if (!localMode_) return false;
  if (target.pageSize == kControllerTarget.pageSize) {
    // The controller hears it with its next poll, from an empty slot.
    const uint8_t payload[] = {0x01, 0x00};
    link_.ClearPending();
    link_.QueueRequest(message::kEnterBootLoader, frame::kController, payload);
  } else {
    // All trigger units at once, outside the sequence.
    uint8_t enter[frame::kHeaderSize] = {message::kEnterBootLoader, 0,          0,
                                         frame::kAllTriggerUnits,   frame::kPc, 0};
    link_.ClearPending();
    link_.SendMessage(enter);
  }
  programmer_.Start(image, target);
  FirmwareStateToLink();
  Notify(&SessionObserver::FirmwareChanged);
  return true;
}

void Session::AbandonFirmware() {
  programmer_.Abandon();
  FirmwareStateToLink();
  Notify(&SessionObserver::FirmwareChanged);
}

void Session::FirmwareTick() {
  const std::string before = programmer_.StateText();
  programmer_.Tick();
  FirmwareStateToLink();
  if (programmer_.StateText() != before) Notify(&SessionObserver::FirmwareChanged);
}

void Session::BootLoaderByte(uint8_t byte) {
  programmer_.Byte(byte);
  FirmwareStateToLink();
  Notify(&SessionObserver::FirmwareChanged);
}

bool Session::CheckLoginCode(const std::string& loginCode, std::function<void(bool)> then) {
  // Without a link there is no code to ask for and nothing could be sent: the
  // request that follows tells the technician the system is not connected.
  if (!LinkReady() && !transfer_.Busy()) {
    then(true);
    return true;
  }
  transfer_.SetLogin(loginCode, access_.master);
  return transfer_.CheckLoginCode(std::move(then));
}

bool Session::LogResetAllowed() const {
  if (localMode_) return true;
  return remote_.SystemOnline() && remote_.FullAccess();
}

Session::LogReset Session::SendConsumptionLogReset() {
  // A request into a link nobody answers would wait for ever without a word.
  if (localMode_ && !link_.LinkReady()) return LogReset::kNotConnected;
  if (localMode_) {
    logRequests_.Cancel();
    logRequests_.Start({message::kResetConsumptionLog,
                        frame::kController,
                        {},
                        message::kConsumptionLogReset,
                        std::nullopt,
                        std::nullopt},
                       [](auto) {});
    return LogReset::kSent;
  }
  if (remote_.LoggedIn() && remote_.Send(GatewayResetConsumptionLogMessage()))
    return LogReset::kSent;
  return LogReset::kNotConnected;
}

Session::LogReset Session::SendAlarmLogClear() {
  if (localMode_ && !link_.LinkReady()) return LogReset::kNotConnected;
  if (localMode_) {
    logRequests_.Cancel();
    logRequests_.Start({message::kClearAlarmLog,
                        frame::kController,
                        {},
                        message::kAlarmLogCleared,
                        std::nullopt,
                        std::nullopt},
                       [](auto) {});
    return LogReset::kSent;
  }
  if (remote_.SystemOnline() && remote_.Send(GatewayClearAlarmLogMessage())) return LogReset::kSent;
  return LogReset::kNotConnected;
}

void Session::TransferTick() {
  transfer_.Tick();
  logRequests_.Tick();
  infoRequests_.Tick();
}

bool Session::Read(const std::string& loginCode) {
  transfer_.SetLogin(loginCode, access_.master);
  return transfer_.StartRead();
}

bool Session::Write(const std::string& loginCode, const WriteRequest& request) {
  transfer_.SetLogin(loginCode, access_.master);
  writeRequest_ = request;
  return transfer_.StartWrite();
}

bool Session::WriteSerial(const WriteRequest& request) {
  transfer_.SetLogin({}, access_.master);
  writeRequest_ = request;
  return transfer_.StartWriteSerial();
}

Session::TransferButtons Session::Buttons() const {
  if (!LinkReady()) return {};
  if (transfer_.Busy()) return {false, false, true};
  return {true, localMode_ || (remote_.SystemOnline() && remote_.AccessCode() == "A"), false};
}

bool Session::PrepareWrite(bool writeSerial) {
  if (transferPrompts_ && !transferPrompts_->AskUnsavedEdits()) return false;
  PackImage(writeRequest_.now, access_.master ? writeRequest_.masterCode : std::nullopt);
  // Texts the controller's text area cannot hold would be lost without a word.
  if (!image_.droppedTexts.empty() &&
      (!transferPrompts_ || !transferPrompts_->AskWriteDroppingTexts(image_.droppedTexts))) {
    return false;
  }
  if (writeSerial) {
    image_.image.SetU32(image::kSerialNumber, writeRequest_.serialNumber);
    Notify(&SessionObserver::ImageChanged);
  }
  return true;
}

TransferEnd Session::TakeReadImage(std::span<const uint8_t> bytes, bool gateway) {
  // Over the gateway the login code is compared after the read: a controller with
  // another code unpacks as an empty system (its code stays in the image).
  if (gateway && !access_.master) {
    if (!LoginCodeOpens(bytes.subspan(image::kSystemLoginCode, image::kSystemLoginCodeSize),
                        transfer_.LoginCode())) {
      std::copy(bytes.begin(), bytes.end(), image_.image.bytes.begin());
      ResetImage(image_, /*wholeImage=*/true);
      const ControllerImage emptied = image_.image;
      TakeImage(emptied.bytes);
      TransferError("Wrong System login code");
      return TransferEnd::kWrongLoginCode;
    }
  }
  const UnpackResult result = TakeImage(bytes);
  if (!result.taken) {
    if (transferPrompts_) transferPrompts_->ShowTransferError(result.taken.reason, /*abort=*/true);
    return TransferEnd::kBadFormat;
  }
  lastRead_ = image_.image;
  std::copy(bytes.begin(), bytes.end(), lastRead_->bytes.begin());
  changed_ = false;
  lastBackup_ = {};
  if (backup_) {
    lastBackup_ = backup_->Keep(lastRead_->U32(image::kSerialNumber), bytes, SystemFileBytes());
  }
  return TransferEnd::kReadCompleted;
}

void Session::TransferError(const std::string& text) {
  if (transferPrompts_) transferPrompts_->ShowTransferError(text, /*abort=*/false);
}

void Session::GatewayMessage(std::span<const uint8_t> message) {
  if (IsGatewayType(message, gateway::kImageBlock) ||
      IsGatewayType(message, gateway::kImageChecksum)) {
    transfer_.GatewayMessage(message);
    return;
  }
  if (IsGatewayType(message, gateway::kStatusReport)) {
    const std::optional<GatewayStatus> status = DecodeGatewayStatus(message);
    if (!status) return;
    manual_.ApplyGatewayStatus(status->pumps, status->outputs);
    trace_.Record(TraceMs(), LaundryStateOf(*status));
    Notify(&SessionObserver::GatewayStatusReceived, *status);
  } else if (IsGatewayType(message, gateway::kMachineResetDone) ||
             IsGatewayType(message, gateway::kAllMachinesResetDone)) {
    reset_.Confirmed();
    Notify(&SessionObserver::MachineResetDone);
  } else if (IsGatewayType(message, gateway::kConsumptionLogReset)) {
    ClearConsumptionLog(image_.image);
    Notify(&SessionObserver::ConsumptionLogReset);
  } else if (IsGatewayType(message, gateway::kAlarmLogCleared)) {
    ClearAlarmHistory(image_.image);
    Notify(&SessionObserver::AlarmLogCleared);
  }
}

void Session::AddObserver(SessionObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void Session::RemoveObserver(SessionObserver* observer) {
  std::erase(observers_, observer);
}

void Session::ClearConfiguration() {
  ClearSystemSettings(config_);
  for (MachineSettings& machine : config_.MachineData) ClearMachine(machine);
}

void Session::EditConfiguration(const ConfigurationChange& change) {
  change(config_);
  changed_ = true;
  Notify(&SessionObserver::ConfigurationEdited);
}

void Session::AdjustConfiguration(const ConfigurationChange& change) {
  change(config_);
  Notify(&SessionObserver::ConfigurationEdited);
}

CopyOutcome Session::CopyMachines(int fromIndex, int toPosition) {
  CopyOutcome outcome = vorel::CopyMachines(config_, fromIndex, toPosition);
  if (!outcome.targetIndexes.empty()) {
    changed_ = true;
    Notify(&SessionObserver::ConfigurationEdited);
  }
  return outcome;
}

void Session::PackNameAndFilter() {
  PackSystemName(image_.image, config_.MainSetup.SystemName);
  PackDefaultInputFilter(image_.image, config_.PCsettings.DefaultInputFilter);
  Notify(&SessionObserver::ImageChanged);
}

void Session::ClearAll() {
  ClearConfiguration();
  image_.ImageValid = false;
  Notify(&SessionObserver::ConfigurationCleared);
  Notify(&SessionObserver::ImageChanged);
}

void Session::NewSystem(const LocalDateTime& now) {
  untouched_ = true;
  ClearConfiguration();
  Notify(&SessionObserver::ConfigurationCleared);
  PackImage(now);
  changed_ = false;
  partlyLoadedFrom_.clear();
}

Outcome Session::LoadSystem(std::optional<std::string_view> fileBytes, const LocalDateTime& now,
                            std::string_view source) {
  untouched_ = false;
  config_ = SystemConfiguration{};
  ResetImage(image_, /*wholeImage=*/true);
  image_.ImageValid = false;
  Notify(&SessionObserver::ConfigurationCleared);
  // No bytes: the file could not be read, and the caller says why.
  Outcome result = Outcome::Failed({});
  loadChanges_.clear();
  if (fileBytes) result = LoadSystemFile(*fileBytes, config_, image_.image, &loadChanges_);
  PackImage(now);
  for (const auto& [element, text] : image_.droppedTexts)
    loadChanges_.push_back({element, text, "(not stored: the text area is full)"});
  Notify(&SessionObserver::ConfigurationReplaced);
  // Only a file that was read in part holds what a save could lose.
  const bool partly = fileBytes && !result;
  changed_ = partly;
  partlyLoadedFrom_ = partly ? std::string(source) : std::string();
  return result;
}

Session::FileLoad Session::LoadFile(std::string_view fileBytes, const LocalDateTime& now,
                                    std::string_view source) {
  const FileKind kind = ClassifyFile(fileBytes);
  switch (kind) {
    case FileKind::kImage: {
      const auto* data = reinterpret_cast<const uint8_t*>(fileBytes.data());
      loadChanges_.clear();
      const UnpackResult taken = TakeImage(std::span(data, fileBytes.size()));
      return {kind, taken.taken};
    }
    case FileKind::kSystemFile:
      return {kind, LoadSystem(fileBytes, now, source)};
    case FileKind::kUnknown:
      break;
  }
  return {kind, Outcome::Failed(kUnknownFileText)};
}

std::string Session::SystemFileBytes() const {
  return SaveSystemFile(config_, image_.image);
}

Outcome Session::SaveSystem(const FileWriter& write, const LocalDateTime& now) {
  Outcome written = write(SystemFileBytes());
  PackImage(now);
  Notify(&SessionObserver::ConfigurationReplaced);
  if (!written) return written;
  changed_ = false;
  partlyLoadedFrom_.clear();
  return Outcome::Done();
}

void Session::PackImage(const LocalDateTime& now, std::optional<std::string_view> masterLoginCode) {
  vorel::PackImage(config_, image_, now, masterLoginCode);
  Notify(&SessionObserver::ImageChanged);
}

UnpackResult Session::TakeImage(std::span<const uint8_t> imageBytes) {
  if (imageBytes.size() != image_.image.bytes.size()) {
    UnpackResult refused;
    refused.taken = Outcome::Failed("an image has " + std::to_string(image_.image.bytes.size()) +
                                    " bytes, not " + std::to_string(imageBytes.size()));
    return refused;
  }
  ClearAll();
  untouched_ = false;
  std::copy(imageBytes.begin(), imageBytes.end(), image_.image.bytes.begin());
  const UnpackResult result = UnpackImage(config_, image_);
  if (result.taken) Notify(&SessionObserver::ConfigurationReplaced);
  Notify(&SessionObserver::ImageChanged);
  return result;
}

}  // namespace vorel
