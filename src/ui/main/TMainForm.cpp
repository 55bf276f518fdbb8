// The main window: menus, status bar, settings, timer, whole-system commands.
#include "ui/main/TMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "core/app/WindowPlacement.h"
#include "core/config/CopyMachine.h"
#include "core/systemfile/SystemFile.h"
#include "io/AnsiQt.h"
#include "io/FileAccess.h"
#include "io/ReadBackupFolder.h"
#include "ui/common/ScreenFit.h"
#include "ui/firmware/TFirmwareUpdateForm.h"
#include "ui/image/TBackupsForm.h"
#include "ui/image/TEEPROMForm.h"
#include "ui/link/TCommunicationForm.h"
#include "ui/logs/TAlarmLogForm.h"
#include "ui/logs/TLogDataForm.h"
#include "ui/machine/TCalibrationForm.h"
#include "ui/machine/TCopyMachineForm.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/TAboutForm.h"
#include "ui/main/TLoginForm.h"
#include "ui/supervision/TOverviewForm.h"
#include "ui/supervision/TSystemSetupForm.h"

namespace vorel {
namespace {

constexpr int kClearAllTag = 11;
constexpr int kMachineWindowStep = 15;
constexpr int kMachineMenuTop = 70;
constexpr int kMachineMenuStep = 25;
// The login window opens this far right of and below the main window's corner.
constexpr int kLoginLeft = 100;
constexpr int kLoginTop = 50;
const char* const kLoadFilter = "XML-file (*.xml)|*.xml|Any file (*.*)|*.*";
const char* const kSaveFilter = "XML-file|*.xml|Any file|*.*";
constexpr std::array<int, 4> kStatusPanelWidths = {100, 150, 100, 75};

// The first argument that is neither access word names a system file to load.
QString StartupFile(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (argument != QLatin1String(kSetupWord) && argument != QLatin1String(kMasterWord) &&
        !argument.startsWith(QLatin1String("--")))
      return argument;
  }
  return {};
}

// The same file under any of its names (relative, through links).
QString FileIdentity(const QString& fileName) {
  const QFileInfo info(fileName);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

TMainForm::TMainForm(Session& session, const QStringList& arguments, UiEnvironment& environment,
                     QWidget* parent)
    : QMainWindow(parent),
      env_(environment),
      session_(session),
      startupFile_(StartupFile(arguments)) {
  setObjectName("MainForm");
  // Every window of the program opens with its controls on the screen, named and
  // reachable from the keyboard.
  QApplication::instance()->installEventFilter(new OpeningWindows(this));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(QApplication::font().pointSize());
  setFont(font);
  setCentralWidget(new QWidget(this));

  BuildMenus();
  BuildStatusBar();

  resize(kDesignWidth, kDesignHeight);
  for (int i = 0; i < kMachineCount; ++i) {
    auto* machine = new TMachineForm(*this, i, this);
    machine->move(x() + kMachineWindowStep * i,
                  y() + frameGeometry().height() + kMachineWindowStep * i);
    machineForms_[i] = machine;
  }
  copyMachineForm_ =
      new TCopyMachineForm([this] { return AskUnsavedEdits(); },
                           [this](int from, int to) { return CopyMachines(from, to); }, this);
  aboutForm_ = new TAboutForm(this);
  communicationForm_ = new TCommunicationForm(session_, env_, this);
  systemSetupForm_ = new TSystemSetupForm(session_, this);
  overviewForm_ = new TOverviewForm(session_, env_, this);
  backupsForm_ = new TBackupsForm(
      session_, env_, ReadBackupFolder().Folder(),
      [this](const QString& path) {
        // A backup is opened, never offered as the file to save over.
        if (AskSaveChangedSystem()) LoadSystemFromFile(path, /*remember=*/false);
      },
      this);
  calibrationForm_ = new TCalibrationForm(session_, this);
  firmwareForm_ = new TFirmwareUpdateForm(
      session_, env_,
      {[this] { return QString::fromStdString(settings_.lastFirmwareFile1); },
       [this](const QString& name) { settings_.lastFirmwareFile1 = name.toStdString(); }},
      this);
  // The login window's code is UTF-8 text; the controller holds Windows-1252 bytes.
  readWriteForm_ = new TEEPROMForm(
      session_, env_,
      {[this] { return Ansi::fromQString(QString::fromStdString(settings_.loginCode)); },
       [this] { return AskSaveChangedSystem(); }, [this] { return AskUnsavedEdits(); }},
      this);
  logDataForm_ = new TLogDataForm(
      session_, env_,
      {[this] { return Ansi::fromQString(QString::fromStdString(settings_.loginCode)); }}, this);
  alarmLogForm_ = new TAlarmLogForm(
      session_, env_,
      {[this] { return Ansi::fromQString(QString::fromStdString(settings_.loginCode)); }}, this);
  loginForm_ = new TLoginForm(
      [this](const QString& code) { settings_.loginCode = code.toStdString(); }, this);
  systemSetupForm_->SetMachinesChanged([this] { UpdateMachineMenu(); });

  if (const QScreen* screen = QApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2, 0);
  }
  settings_.width = width();
  settings_.height = height();

  // The trace of this run begins with the window.
  session_.StartTrace(env_.Now());
  observing_ = session_.Observe(*this);
  connect(&timer_, &QTimer::timeout, this, &TMainForm::MainTimer100ms);
  if (!env_.SteppedTicks()) timer_.start(kTimerIntervalMs);
}

// The windows and the session's adapters take themselves off the session as they go.
TMainForm::~TMainForm() = default;

void TMainForm::BuildMenus() {
  auto addAction = [this](QMenu* menu, const char* caption, const char* name, bool enabled,
                          void (TMainForm::*handler)()) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    if (handler) connect(action, &QAction::triggered, this, handler);
    return action;
  };

  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName("FileMenu");
  addAction(file, "Login...", "LoginBtn", true, &TMainForm::LoginBtnClick);
  addAction(file, "New System...", "NewSystemBtn", true, &TMainForm::NewSystemBtnClick);
  addAction(file, "Load System...", "LoadSystemBtn", true, &TMainForm::LoadSystemBtnClick);
  QAction* save = addAction(file, "Save System...", "SaveSystemBtn", true, nullptr);
  connect(save, &QAction::triggered, this, [this] { SaveSystemBtnClick(); });
  addAction(file, "Backups...", "BackupsBtn", true, &TMainForm::BackupsBtnClick);
  firmwareControllerAction_ =
      addAction(file, "Firmware update, TL4200...", "FirmwareUpdateMQ350Btn", true,
                &TMainForm::FirmwareUpdateMQ350BtnClick);
  addAction(file, "Firmware update, Trigger...", "FirmwareUpdateTriggerBtn", true,
            &TMainForm::FirmwareUpdateTriggerBtnClick);
  addAction(file, "Exit", "ExitBtn", true, &TMainForm::ExitBtnClick);

  QMenu* system = menuBar()->addMenu(QStringLiteral("&System"));
  system->setObjectName("SystemMenu");
  addAction(system, "Read/write system data...", "ReadWriteSystemDataBtn", true,
            &TMainForm::ReadWriteSystemDataBtnClick);
  addAction(system, "System setup...", "Systemsetup1", true, &TMainForm::Systemsetup1Click);
  QAction* overview =
      addAction(system, "Overview...", "OverviewBtn", true, &TMainForm::OverviewBtnClick);
  overview->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  addAction(system, "Communication...", "Communication1", true, &TMainForm::Communication1Click);
  addAction(system, "Log data...", "LogDataBtn", true, &TMainForm::LogDataBtnClick);
  addAction(system, "Alarm log...", "AlarmLogBtn", true, &TMainForm::AlarmLogBtnClick);
  addAction(system, "Copy Machine...", "CopyMachine1", true, &TMainForm::CopyMachine1Click);
  QMenu* clear = system->addMenu(QStringLiteral("Clear Machine"));
  clear->setObjectName("ClearMachineMenu");
  for (int tag = 1; tag <= kClearAllTag; ++tag) {
    const QString caption =
        tag == kClearAllTag ? QStringLiteral("All") : QString("Machine %1").arg(tag);
    QAction* action = clear->addAction(caption);
    action->setObjectName(QString("ClearMachine%1Btn").arg(tag));
    action->setData(tag);
    connect(action, &QAction::triggered, this, [this, tag] { ClearMachineBtnClick(tag); });
  }

  for (int n = 1; n <= kMachineCount; ++n) {
    QAction* action = menuBar()->addAction(QString("&Machine %1...").arg(n));
    action->setObjectName(QString("Machine%1Btn").arg(n));
    action->setData(n);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, [this, n] { MachineBtnClick(n); });
    machineActions_[n - 1] = action;
  }
  QAction* help = menuBar()->addAction(QStringLiteral("&Help"));
  help->setObjectName("HelpBtn");
  connect(help, &QAction::triggered, this, &TMainForm::HelpBtnClick);
}

void TMainForm::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  for (size_t i = 0; i < statusPanels_.size(); ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFixedWidth(kStatusPanelWidths[i]);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(i < 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(panel);
    statusPanels_[i] = panel;
  }
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Some platforms never activate a window (offscreen, some window managers);
  // the first show then stands in for the first activation.
  if (!firstActivationDone_) QTimer::singleShot(0, this, &TMainForm::FormActivate);
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TMainForm::FormActivate() {
  if (firstActivationDone_) return;
  firstActivationDone_ = true;
  RestoreSettings();
  UpdateCaption();
  if (env_.Demonstration()) {
    // The demonstration's controller answers on its own line at once.
    communicationForm_->ApplyStoredSettings(true, QStringLiteral("Demo"));
  } else {
    communicationForm_->ApplyStoredSettings(settings_.commLocal,
                                            QString::fromStdString(settings_.comPort),
                                            QString::fromStdString(settings_.gatewayServer));
  }
  for (TMachineForm* machine : machineForms_) machine->Initialise();
  session_.ClearAll();
  // A system file named on the command line ("open with") loads as Load would.
  if (!startupFile_.isEmpty()) LoadSystemFromFile(startupFile_);
  emit FirstActivationCompleted();
}

void TMainForm::RestoreSettings() {
  settings_.width = width();
  settings_.height = height();
  if (auto store = env_.OpenSettingsStore()) vorel::RestoreSettings(*store, settings_);
  resize(settings_.width, settings_.height);
  if (settings_.positionRestored) move(settings_.left, settings_.top);
  // A position stored on a larger screen, or on one no longer there, comes back onto this one.
  FitOnScreen(this);
}

void TMainForm::StoreSettings() {
  settings_.commLocal = communicationForm_->LocalChecked();
  settings_.comPort = communicationForm_->ComPortText().toStdString();
  settings_.gatewayServer = communicationForm_->GatewayServerText().toStdString();
  settings_.width = width();
  settings_.height = height();
  settings_.left = pos().x();
  settings_.top = pos().y();
  if (auto store = env_.OpenSettingsStore()) vorel::StoreSettings(*store, settings_);
}

void TMainForm::UpdateCaption() {
  // The remote system's name is the gateway's Windows-1252 text, as in the remote group.
  QString caption =
      Ansi::toQString(BuildCaption(session_.Access().setup, session_.ConnectedSystem()));
  if (env_.Demonstration()) caption += QStringLiteral(",  Demonstration: simulated controller");
  setWindowTitle(caption);
  firmwareControllerAction_->setText(QStringLiteral("Firmware update, TL4200..."));
}

void TMainForm::UpdateStatusBar() {
  if (session_.Image().ImageValid) {
    statusPanels_[0]->setText(QString::fromStdString(FormatStatusText(session_.Image())));
  } else {
    for (int i = 0; i < 3; ++i) statusPanels_[i]->clear();
  }
}

void TMainForm::UpdateMachineMenu() {
  for (int i = 0; i < kMachineCount; ++i) {
    const bool enabled = session_.Configuration().MachineData[i].Enabled;
    machineActions_[i]->setEnabled(enabled);
    if (!enabled && machineForms_[i]->isVisible()) machineForms_[i]->close();
  }
}

void TMainForm::ConfigurationCleared() {
  UpdateMachineMenu();
  for (TMachineForm* machine : machineForms_) machine->ShowCleared();
}

void TMainForm::ConfigurationReplaced() {
  UpdateMachineMenu();
  for (TMachineForm* machine : machineForms_) machine->Refresh();
}

void TMainForm::ImageChanged() {
  UpdateStatusBar();
}

void TMainForm::StatusReportReceived(const StatusReport& report) {
  for (TMachineForm* machine : machineForms_) machine->ApplyStatusReport(report);
}

void TMainForm::TriggerUnitFrameReceived(int machineIndex, std::span<const uint8_t> frame) {
  if (machineIndex >= 0 && machineIndex < kMachineCount)
    machineForms_[machineIndex]->ApplyTriggerFrame(frame);
}

std::optional<std::string> TMainForm::RunCalibration(int pump, int machineIndex,
                                                     int currentMlPerMinute,
                                                     const QWidget* machineWindow) {
  return calibrationForm_->Calibrate(pump, machineIndex, currentMlPerMinute, machineWindow);
}

void TMainForm::OpenFirmwareUpdate(const FirmwareTarget& target, const QString& caption) {
  firmwareForm_->SetTarget(target, caption);
  firmwareForm_->show();
  firmwareForm_->raise();
  firmwareForm_->activateWindow();
}

void TMainForm::FirmwareUpdateMQ350BtnClick() {
  OpenFirmwareUpdate(kControllerTarget, firmwareControllerAction_->text());
}

void TMainForm::FirmwareUpdateTriggerBtnClick() {
  OpenFirmwareUpdate(kTriggerTarget, QStringLiteral("Firmware update, Trigger..."));
}

void TMainForm::MachineWindowsClosing() {
  for (TMachineForm* machine : machineForms_) machine->close();
}

void TMainForm::GatewayStatusReceived(const GatewayStatus& status) {
  for (int i = 0; i < kMachineCount; ++i) machineForms_[i]->ApplyGatewayRecord(status.records[i]);
}

bool TMainForm::Supervising() {
  // The gateway is asked for the controller's state only while somebody watches it.
  bool supervising = systemSetupForm_->isVisible() || overviewForm_->isVisible();
  for (const TMachineForm* machine : machineForms_) supervising |= machine->isVisible();
  return supervising;
}

void TMainForm::UpdateCounters() {
  communicationForm_->UpdateCounters();
}

void TMainForm::LoginBtnClick() {
  loginForm_->move(x() + kLoginLeft, y() + kLoginTop);
  loginForm_->exec();
}

void TMainForm::Systemsetup1Click() {
  const QRect frame = frameGeometry();
  systemSetupForm_->move(
      CentredLeft(frame.left(), frame.width(), OpeningFrameSize(systemSetupForm_).width()),
      frame.top() + frame.height());
  systemSetupForm_->show();
  systemSetupForm_->raise();
  systemSetupForm_->activateWindow();
}

void TMainForm::ReadWriteSystemDataBtnClick() {
  readWriteForm_->show();
  readWriteForm_->raise();
  readWriteForm_->activateWindow();
}

void TMainForm::LogDataBtnClick() {
  logDataForm_->show();
  logDataForm_->raise();
  logDataForm_->activateWindow();
}

void TMainForm::AlarmLogBtnClick() {
  alarmLogForm_->show();
  alarmLogForm_->raise();
  alarmLogForm_->activateWindow();
}

void TMainForm::BackupsBtnClick() {
  backupsForm_->show();
  backupsForm_->raise();
  backupsForm_->activateWindow();
}

void TMainForm::OverviewBtnClick() {
  overviewForm_->show();
  overviewForm_->raise();
  overviewForm_->activateWindow();
}

void TMainForm::Communication1Click() {
  communicationForm_->show();
  communicationForm_->raise();
  communicationForm_->activateWindow();
}

void TMainForm::PackImage() {
  session_.PackImage(env_.Now());
}

const ProgramRecord& TMainForm::StoredProgram(int machineIndex, int slotIndex) const {
  return session_.Configuration().MachineData[machineIndex].Programs[slotIndex];
}

void TMainForm::StoreProgram(int machineIndex, int slotIndex, const ProgramChange& change) {
  session_.EditConfiguration([&](SystemConfiguration& config) {
    change(config.MachineData[machineIndex].Programs[slotIndex]);
  });
  machineForms_[machineIndex]->ProgramSaved(slotIndex);
}

void TMainForm::EditMachine(int machineIndex, const MachineChange& change, bool byTechnician) {
  const auto onMachine = [&](SystemConfiguration& config) {
    change(config.MachineData[machineIndex]);
  };
  if (byTechnician) {
    session_.EditConfiguration(onMachine);
  } else {
    session_.AdjustConfiguration(onMachine);
  }
}

bool TMainForm::SystemDataChanged() const {
  if (session_.Changed()) return true;
  for (const TMachineForm* machine : machineForms_) {
    if (machine->AnyModified()) return true;
  }
  return false;
}

bool TMainForm::AskUnsavedEdits() {
  bool anyModified = false;
  for (const TMachineForm* machine : machineForms_)
    anyModified = anyModified || machine->AnyModified();
  if (!anyModified) return true;
  switch (env_.ShowLoggedMessage(this, "Unsaved program data, update before save?",
                                 MsgType::Warning, kMsgYes | kMsgNo | kMsgCancel)) {
    case kMsgYes:
      for (TMachineForm* machine : machineForms_) machine->SaveAll();
      return true;
    case kMsgNo:
      for (TMachineForm* machine : machineForms_) machine->DropModified();
      return true;
    default:
      return false;
  }
}

bool TMainForm::AskSaveChangedSystem() {
  if (!SystemDataChanged()) return true;
  switch (env_.ShowLoggedMessage(this,
                                 "The system data has been changed.\n\nSave it before going on?",
                                 MsgType::Warning, kMsgYes | kMsgNo | kMsgCancel)) {
    case kMsgYes:
      return SaveSystemBtnClick();
    case kMsgNo:
      return true;
    default:
      return false;
  }
}

void TMainForm::NewSystemBtnClick() {
  if (!AskSaveChangedSystem()) return;
  copiedProgram_ = nullptr;
  session_.NewSystem(env_.Now());
}

void TMainForm::LoadSystemBtnClick() {
  if (!AskSaveChangedSystem()) return;
  const QString fileName = env_.CurrentDialogs().OpenFileName(
      this, {"Load system data", kLoadFilter, "xml", LastSystemFileName()});
  if (fileName.isEmpty()) return;

  LoadSystemFromFile(fileName);
}

void TMainForm::LoadSystemFromFile(const QString& fileName, bool remember) {
  if (remember) settings_.lastSystemFileName = fileName.toStdString();
  const Loaded<std::string> read = ReadWholeFile(fileName, kSystemFileSizeLimit);
  const Session::FileLoad load =
      read ? session_.LoadFile(*read, env_.Now(), FileIdentity(fileName).toStdString())
           : Session::FileLoad{};
  // Unreadable, or neither a system file nor an image: refused before anything is cleared.
  if (!read || load.kind == FileKind::kUnknown) {
    const QString why =
        read ? QString::fromLatin1(kUnknownFileText) : QString::fromStdString(read.why);
    QString text = QString("Could not load the system file %1:\n%2").arg(fileName, why);
    // "vorel rb316entry": an access word in the wrong case, not a file.
    if (const auto hint = MistypedAccessWordHint(fileName.toStdString()))
      text += QStringLiteral("\n\n") + QString::fromStdString(*hint);
    env_.ShowLoggedMessage(this, text, MsgType::Error, kMsgOk);
    return;
  }
  const Outcome& loaded = load.result;
  if (load.kind == FileKind::kImage) {
    // A memory image saved from a controller is taken as a completed read takes it.
    if (!loaded) {
      env_.ShowLoggedMessage(this, QString::fromStdString(loaded.reason), MsgType::Error,
                             kMsgAbort);
    }
    return;
  }
  if (!loaded) {
    env_.ShowLoggedMessage(this,
                           QString("Could not load the system file %1:\n%2\n\nOnly the part of "
                                   "the file before this point was loaded; everything after it "
                                   "was cleared to the values of a new system.")
                               .arg(fileName, Ansi::toQString(loaded.reason)),
                           MsgType::Error, kMsgOk);
  }
  if (const std::vector<ValueChange>& changes = session_.LoadChanges(); !changes.empty()) {
    constexpr size_t kWarningLines = 20;
    env_.ShowLoggedMessage(
        this,
        QString("Some values of %1 do not reach the controller as the file writes them:\n\n%2")
            .arg(fileName, Ansi::toQString(DescribeChanges(changes, kWarningLines))),
        MsgType::Warning, kMsgOk);
  }
}

bool TMainForm::SaveSystemBtnClick() {
  if (!AskUnsavedEdits()) return false;
  const QString fileName = env_.CurrentDialogs().SaveFileName(
      this, {"Save System data", kSaveFilter, "xml", LastSystemFileName()});
  if (fileName.isEmpty()) return false;

  if (session_.PartlyLoadedFrom(FileIdentity(fileName).toStdString()) &&
      env_.ShowLoggedMessage(this,
                             "Only part of this file could be loaded. Replacing it loses the "
                             "rest. Replace it anyway?",
                             MsgType::Warning, kMsgYes | kMsgNo, kMsgNo) != kMsgYes) {
    return false;
  }
  settings_.lastSystemFileName = fileName.toStdString();
  const Outcome saved = session_.SaveSystem(
      [&fileName](std::string_view bytes) {
        // The session's reasons are Windows-1252 text.
        Outcome written = WriteFileReplacing(fileName, bytes);
        written.reason = Ansi::fromQString(QString::fromStdString(written.reason));
        return written;
      },
      env_.Now());
  if (!saved) {
    env_.ShowLoggedMessage(this,
                           QString("Could not save the system file %1:\n%2")
                               .arg(fileName, Ansi::toQString(saved.reason)),
                           MsgType::Error, kMsgOk);
    return false;
  }
  return true;
}

void TMainForm::ClearMachineBtnClick(int tag) {
  if (tag >= 1 && tag <= kMachineCount) {
    const QString question =
        QString::asprintf("Clear all data for Machine %d\n\nAre you sure?", tag);
    if (env_.ShowLoggedMessage(this, question, MsgType::Warning, kMsgYes | kMsgNo) != kMsgYes)
      return;
    machineForms_[tag - 1]->Clear();
  } else if (tag == kClearAllTag) {
    const QString question = QStringLiteral("Clear all data for all Machines\n\nAre you sure?");
    if (env_.ShowLoggedMessage(this, question, MsgType::Warning, kMsgYes | kMsgNo) != kMsgYes)
      return;
    for (TMachineForm* machine : machineForms_) machine->Clear();
  }
}

void TMainForm::CopyMachine1Click() {
  copyMachineForm_->exec();
}

QString TMainForm::CopyMachines(int fromIndex, int toPosition) {
  if (fromIndex >= 0 && fromIndex < kMachineCount && fromIndex != toPosition) {
    machineForms_[fromIndex]->StoreTrigger();
  }
  const CopyOutcome outcome = session_.CopyMachines(fromIndex, toPosition);
  for (int target : outcome.targetIndexes) machineForms_[target]->AfterCopy();
  return QString::fromStdString(outcome.status);
}

void TMainForm::MachineBtnClick(int tag) {
  if (tag < 1 || tag > kMachineCount) return;
  TMachineForm* machine = machineForms_[tag - 1];
  machine->move(x() + kMachineMenuStep * tag, y() + kMachineMenuTop + kMachineMenuStep * tag);
  machine->show();
  machine->raise();
  machine->activateWindow();
}

void TMainForm::VisibleMachineTicks() {
  for (TMachineForm* machine : machineForms_) {
    if (machine->isVisible()) machine->Tick();
  }
}

void TMainForm::HelpBtnClick() {
  aboutForm_->exec();
}

void TMainForm::ExitBtnClick() {
  close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!AskSaveChangedSystem()) {
    event->ignore();
    return;
  }
  StoreSettings();
  event->accept();
  QMainWindow::closeEvent(event);
  qApp->quit();
}

void TMainForm::MainTimer100ms() {
  session_.Tick(this);
}

}  // namespace vorel
