// The system setup window.
#include "ui/supervision/TSystemSetupForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTime>
#include <QVBoxLayout>

#include "core/image/ImagePacking.h"
#include "io/AnsiQt.h"
#include "ui/common/NumberValidators.h"

namespace vorel {

namespace {

constexpr int kMonitorPage = 4;
constexpr int kSoapPage = 2;
constexpr std::array<const char*, 5> kAlarmKinds = {
    "Level alarm", "Pressure alarm", "Trigger error", "Keybord error", "Dispense error"};
constexpr std::array<bool AlarmGroup::*, 5> kAlarmMembers = {
    &AlarmGroup::Level, &AlarmGroup::WaterPressure, &AlarmGroup::TriggerError,
    &AlarmGroup::KeyboardError, &AlarmGroup::DispenseError};
constexpr size_t kDispenseError = 4;

QCheckBox* Box(const QString& caption, const QString& name, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

// A switched-on output reads as such in a dim workshop and without colour: "ON" after
// its caption, bold white on dark green.
constexpr const char* kOnStyle =
    "QPushButton:checked { background-color: #1B5E20; color: white; font-weight: bold;"
    " border: 1px solid #0B2E0F; border-radius: 3px; padding: 3px; }";

QPushButton* Toggle(const QString& caption, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setCheckable(true);
  button->setStyleSheet(QString::fromLatin1(kOnStyle));
  QObject::connect(button, &QPushButton::toggled, button, [button, caption](bool on) {
    button->setText(on ? caption + QStringLiteral(" ON") : caption);
  });
  return button;
}

QLabel* Value(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

// The Ethernet monitor's reports arrive from the link.
class TSystemSetupForm::MonitorListener : public LinkListener {
 public:
  explicit MonitorListener(TSystemSetupForm& form) : form_(form) {}
  void MessageReceived(std::span<const uint8_t> message) override {
    if (!message.empty() && message[0] == message::kEthernetMonitorReport)
      form_.EthernetMonitorReport(message);
  }

 private:
  TSystemSetupForm& form_;
};

TSystemSetupForm::TSystemSetupForm(Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session) {
  setObjectName("SystemSetupForm");
  setWindowTitle(QStringLiteral("System setup"));
  auto* root = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl");
  pages_->addTab(BuildMainPage(), QStringLiteral("Main setup"));
  pages_->addTab(BuildAlarmPage(), QStringLiteral("Alarm"));
  pages_->addTab(BuildSoapPage(), QStringLiteral("Soap amount alarm"));
  pages_->addTab(BuildTestPage(), QStringLiteral(" Test"));
  pages_->addTab(BuildMonitorPage(), QStringLiteral("Ethernet trigger test"));
  // Kept in the image and the system file, never shown.
  pages_->setTabVisible(kSoapPage, false);
  connect(pages_, &QTabWidget::currentChanged, this, &TSystemSetupForm::PageControlChange);
  root->addWidget(pages_);

  monitor_ = std::make_unique<MonitorListener>(*this);
  monitorListening_ = session_.ListenToLink(*monitor_);
  observing_ = session_.Observe(*this);
  RefreshFromImage();
  UpdateResetControls();
}

TSystemSetupForm::~TSystemSetupForm() = default;

QWidget* TSystemSetupForm::BuildMainPage() {
  auto* page = new QWidget(this);
  auto* layout = new QGridLayout(page);
  auto* machines = new QGroupBox(QStringLiteral(" Machines "), page);
  auto* machineGrid = new QGridLayout(machines);
  for (int m = 1; m <= kMachineCount; ++m) {
    QCheckBox* box = Box(QString("Machine %1").arg(m), QString("Machine%1Btn").arg(m), machines);
    box->setProperty("tag", m);
    connect(box, &QCheckBox::clicked, this, [this, m] { MachineBtnClick(m); });
    machineBtns_[m - 1] = box;
    machineGrid->addWidget(box, (m - 1) % 5, (m - 1) / 5);
  }
  layout->addWidget(machines, 0, 0, 2, 1);

  auto* location = new QGroupBox(QStringLiteral(" Location "), page);
  auto* locationLayout = new QHBoxLayout(location);
  systemNameEdit_ = new QLineEdit(location);
  systemNameEdit_->setObjectName("SystemNameEdit");
  systemNameEdit_->setMaxLength(static_cast<int>(kSystemNameMax));
  connect(systemNameEdit_, &QLineEdit::textEdited, this, &TSystemSetupForm::StoreEdits);
  locationLayout->addWidget(new QLabel(QStringLiteral("System name"), location));
  locationLayout->addWidget(systemNameEdit_, 1);
  layout->addWidget(location, 0, 1);

  auto* pc = new QGroupBox(QStringLiteral(" PC settings "), page);
  auto* pcLayout = new QHBoxLayout(pc);
  filterEdit_ = new QLineEdit(pc);
  filterEdit_->setObjectName("DefaultInputFilterTimeEdit");
  filterEdit_->setMaximumWidth(60);
  static constexpr NumberEditRule kFilterRule{"DefaultInputFilterTimeEdit", 0, 255};
  filterEdit_->setValidator(new NumberEditValidator(kFilterRule, filterEdit_));
  connect(filterEdit_, &QLineEdit::textEdited, this, &TSystemSetupForm::StoreEdits);
  pcLayout->addWidget(new QLabel(QStringLiteral("Default input filter time"), pc));
  pcLayout->addWidget(filterEdit_);
  pcLayout->addWidget(new QLabel(QStringLiteral("sec."), pc));
  pcLayout->addStretch(1);
  layout->addWidget(pc, 1, 1);

  auto* version = new QGroupBox(QStringLiteral(" Version info "), page);
  auto* versionGrid = new QGridLayout(version);
  serialLabel_ = Value("SerialNumberLabel2", version);
  hardwareLabel_ = Value("HardwareVersionLabel2", version);
  firmwareLabel_ = Value("FirmwareVersionLabel2", version);
  versionGrid->addWidget(new QLabel(QStringLiteral("Serial:"), version), 0, 0);
  versionGrid->addWidget(serialLabel_, 0, 1);
  versionGrid->addWidget(new QLabel(QStringLiteral("Hardware version:"), version), 1, 0);
  versionGrid->addWidget(hardwareLabel_, 1, 1);
  versionGrid->addWidget(new QLabel(QStringLiteral("Firmware version:"), version), 2, 0);
  versionGrid->addWidget(firmwareLabel_, 2, 1);
  layout->addWidget(version, 2, 0);

  auto* watch = new QGroupBox(QStringLiteral(" Watch "), page);
  auto* watchLayout = new QHBoxLayout(watch);
  watchLayout->addWidget(new QLabel(QStringLiteral("TL4200 watch:"), watch));
  watchLabel_ = Value("MQ350watchLabel", watch);
  watchLayout->addWidget(watchLabel_, 1);
  layout->addWidget(watch, 2, 1);
  layout->setRowStretch(3, 1);
  return page;
}

QWidget* TSystemSetupForm::BuildAlarmPage() {
  auto* page = new QWidget(this);
  auto* layout = new QGridLayout(page);
  const std::array<const char*, 3> titles = {" Alarm log (saved in EEPROM) ",
                                             " Group 1 (send email or SMS) ",
                                             " Group 2 (send email or SMS) "};
  // Each group routes its alarm kinds to all of its recipients: the kinds in one row,
  // the recipients below them.
  for (int g = 0; g < 3; ++g) {
    auto* group = new QGroupBox(QString::fromLatin1(titles[g]), page);
    group->setObjectName(QString("Group%1GroupBox").arg(g));
    auto* grid = new QGridLayout(group);
    auto* kinds = new QHBoxLayout;
    for (size_t k = 0; k < kAlarmKinds.size(); ++k) {
      QCheckBox* box = Box(QString::fromLatin1(kAlarmKinds[k]),
                           QString("Group%1Alarm%2Btn").arg(g).arg(k + 1), group);
      connect(box, &QCheckBox::clicked, this, &TSystemSetupForm::GroupAlarmBtnClick);
      // Dispense errors stay in the image and the file, but are not offered.
      if (k == kDispenseError) box->hide();
      groupBtns_[g][k] = box;
      kinds->addWidget(box);
    }
    kinds->addStretch(1);
    if (g > 0) grid->addWidget(new QLabel(QStringLiteral("Alarms:"), group), 0, 0);
    grid->addLayout(kinds, 0, 1, 1, 2);
    if (g > 0) {
      grid->addWidget(new QLabel(QStringLiteral("Sent to:"), group), 1, 0, Qt::AlignTop);
      for (int r = 0; r < 4; ++r) {
        const int index = (g - 1) * 4 + r;
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QString("AlarmRecipient%1Edit").arg(index + 1));
        edit->setMaxLength(static_cast<int>(kRecipientMax));
        edit->setMinimumWidth(220);
        connect(edit, &QLineEdit::textEdited, this, &TSystemSetupForm::StoreEdits);
        recipientEdits_[index] = edit;
        auto* caption = new QLabel(QStringLiteral("Recipient (email or mobile number)"), group);
        caption->setBuddy(edit);
        grid->addWidget(caption, 1 + r, 1);
        grid->addWidget(edit, 1 + r, 2);
      }
      grid->setColumnStretch(2, 1);
    }
    layout->addWidget(group, g, 0);
  }
  auto* levels =
      new QGroupBox(QStringLiteral(" Active high (Normally Closed sensor contact) "), page);
  auto* levelLayout = new QHBoxLayout(levels);
  for (int n = 1; n <= kAlarmLevelInputs; ++n) {
    QCheckBox* box = Box(QString("#%1").arg(n), QString("ActiveLevel%1Btn").arg(n), levels);
    connect(box, &QCheckBox::clicked, this, &TSystemSetupForm::StoreEdits);
    levelBtns_[n - 1] = box;
    levelLayout->addWidget(box);
  }
  extraBtn_ = Box(QStringLiteral("Extra"), QStringLiteral("ActiveLevelExtraBtn"), levels);
  commonBtn_ = Box(QStringLiteral("Common"), QStringLiteral("ActiveLevelCommonBtn"), levels);
  extraBtn_->hide();
  commonBtn_->hide();
  levelLayout->addStretch(1);
  layout->addWidget(levels, 3, 0);
  return page;
}

QWidget* TSystemSetupForm::BuildSoapPage() {
  auto* page = new QWidget(this);
  auto* grid = new QGridLayout(page);
  soapAlarmBtn_ = Box(QStringLiteral("Alarm on used soap amount"),
                      QStringLiteral("AlarmOnUsedSoapAmountBtn"), page);
  grid->addWidget(soapAlarmBtn_, 0, 0, 1, 3);
  for (int p = 1; p <= 6; ++p) {
    auto* amount = new QLineEdit(page);
    amount->setObjectName(QString("AlarmSoapAmountEdit%1").arg(p));
    auto* used = new QLineEdit(page);
    used->setObjectName(QString("AlarmSoapUsedAmountEdit%1").arg(p));
    soapEdits_[p - 1] = amount;
    soapEdits_[6 + p - 1] = used;
    grid->addWidget(new QLabel(QString("Pump %1").arg(p), page), p, 0);
    grid->addWidget(amount, p, 1);
    grid->addWidget(used, p, 2);
  }
  return page;
}

QWidget* TSystemSetupForm::BuildTestPage() {
  auto* page = new QWidget(this);
  auto* layout = new QGridLayout(page);
  auto* pumps = new QGroupBox(QStringLiteral(" Pump "), page);
  auto* pumpGrid = new QGridLayout(pumps);
  for (int p = 1; p <= manual::kPumps; ++p) {
    QPushButton* on = Toggle(QString::number(p), QString("PumpOn%1Btn").arg(p), pumps);
    QCheckBox* control = Box(QStringLiteral("Control"), QString("PumpControl%1Btn").arg(p), pumps);
    on->setProperty("tag", p);
    control->setProperty("tag", p);
    connect(on, &QPushButton::clicked, this, [this, p] { PumpOnBtnClick(p); });
    connect(control, &QCheckBox::clicked, this, [this, p] { PumpControlBtnClick(p); });
    pumpOnBtns_[p - 1] = on;
    pumpControlBtns_[p - 1] = control;
    pumpGrid->addWidget(on, 0, p - 1);
    pumpGrid->addWidget(control, 1, p - 1);
  }
  layout->addWidget(pumps, 0, 0, 1, 2);

  auto* machines = new QGroupBox(QStringLiteral(" Machine "), page);
  auto* machineGrid = new QGridLayout(machines);
  for (int m = 1; m <= manual::kMachines; ++m) {
    QPushButton* on = Toggle(QString::number(m), QString("MachineOn%1Btn").arg(m), machines);
    QCheckBox* control =
        Box(QStringLiteral("Control"), QString("MachineControl%1Btn").arg(m), machines);
    on->setProperty("tag", m);
    control->setProperty("tag", m);
    connect(on, &QPushButton::clicked, this, [this, m] { MachineOnBtnClick(m); });
    connect(control, &QCheckBox::clicked, this, [this, m] { MachineControlBtnClick(m); });
    machineOnBtns_[m - 1] = on;
    machineControlBtns_[m - 1] = control;
    machineGrid->addWidget(on, 0, m - 1);
    machineGrid->addWidget(control, 1, m - 1);
  }
  layout->addWidget(machines, 1, 0, 1, 2);

  const struct {
    ManualOutput output;
    const char* group;
    const char* caption;
    const char* onName;
    const char* controlName;
    const char* controlCaption;
  } outputs[] = {
      {ManualOutput::kFlushWater, " Flush ", "Water", "FlushWaterOnBtn", "FlushWaterControlBtn",
       "Control"},
      {ManualOutput::kFlushDrain, " Flush ", "Drain", "FlushDrainOnBtn", "FlushDrainControlBtn",
       "Control"},
      {ManualOutput::kAlarmOutput, " Alarm ", "Output", "AlarmOutputOnBtn", "AlarmControlBtn",
       " Control"},
  };
  auto* flush = new QGroupBox(QStringLiteral(" Flush "), page);
  auto* flushGrid = new QGridLayout(flush);
  auto* alarm = new QGroupBox(QStringLiteral(" Alarm "), page);
  auto* alarmGrid = new QGridLayout(alarm);
  for (size_t i = 0; i < 3; ++i) {
    const auto& o = outputs[i];
    QGroupBox* group = o.output == ManualOutput::kAlarmOutput ? alarm : flush;
    QGridLayout* grid = o.output == ManualOutput::kAlarmOutput ? alarmGrid : flushGrid;
    QPushButton* on = Toggle(QString::fromLatin1(o.caption), QString::fromLatin1(o.onName), group);
    QCheckBox* control =
        Box(QString::fromLatin1(o.controlCaption), QString::fromLatin1(o.controlName), group);
    const ManualOutput output = o.output;
    connect(on, &QPushButton::clicked, this, [this, output] { OutputOnBtnClick(output); });
    connect(control, &QCheckBox::clicked, this, [this, output] { OutputControlBtnClick(output); });
    outputOnBtns_[i] = on;
    outputControlBtns_[i] = control;
    const int column = o.output == ManualOutput::kFlushDrain ? 1 : 0;
    grid->addWidget(on, 0, column);
    grid->addWidget(control, 1, column);
  }
  layout->addWidget(flush, 2, 0);
  layout->addWidget(alarm, 2, 1);

  auto* reset = new QGroupBox(QStringLiteral(" Reset "), page);
  auto* resetLayout = new QHBoxLayout(reset);
  resetCombo_ = new QComboBox(reset);
  resetCombo_->setObjectName("ResetmachineCombo");
  for (int m = 1; m <= kMachineCount; ++m) resetCombo_->addItem(QString::number(m));
  resetCombo_->addItem(QStringLiteral("All"));
  resetCombo_->setCurrentIndex(-1);
  resetBtn_ = new QPushButton(QStringLiteral("Reset machine"), reset);
  resetBtn_->setObjectName("ResetMachineBtn");
  connect(resetBtn_, &QPushButton::clicked, this, &TSystemSetupForm::ResetMachineBtnClick);
  resetOkLabel_ = new QLabel(QStringLiteral("OK"), reset);
  resetOkLabel_->setObjectName("ResetMachineOKlabel");
  resetOkLabel_->hide();
  resetLayout->addWidget(resetCombo_);
  resetLayout->addWidget(resetBtn_);
  resetLayout->addWidget(resetOkLabel_);
  resetLayout->addStretch(1);
  layout->addWidget(reset, 3, 0, 1, 2);
  layout->setRowStretch(4, 1);
  return page;
}

QWidget* TSystemSetupForm::BuildMonitorPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* group = new QGroupBox(QStringLiteral(" Miele Logic "), page);
  auto* groupLayout = new QVBoxLayout(group);
  monitorBtn_ =
      Box(QStringLiteral("Monitor status"), QStringLiteral("EthernetMieleLogicMonitorBtn"), group);
  connect(monitorBtn_, &QCheckBox::toggled, this,
          [this](bool on) { session_.SetEthernetMonitor(on); });
  monitorMemo_ = new QPlainTextEdit(group);
  monitorMemo_->setObjectName("EthernetMieleLogicMemo");
  monitorMemo_->setReadOnly(true);
  monitorMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  groupLayout->addWidget(monitorBtn_);
  groupLayout->addWidget(monitorMemo_, 1);
  layout->addWidget(group, 1);
  return page;
}

void TSystemSetupForm::RefreshFromImage() {
  refreshing_ = true;
  const SystemConfiguration& config = session_.Configuration();
  const ControllerInfo info = ReadControllerInfo(session_.Image().image);
  const bool serial = session_.SerialLinkReady();
  for (QCheckBox* box : pumpControlBtns_) box->setEnabled(serial);
  for (QCheckBox* box : machineControlBtns_) box->setEnabled(serial);
  for (QCheckBox* box : outputControlBtns_) box->setEnabled(serial);
  serialLabel_->setText(QString::number(info.serialNumber));
  hardwareLabel_->setText(QString::number(info.hardwareVersion));
  firmwareLabel_->setText(QString("%1.%2").arg(info.firmwareMajor).arg(info.firmwareMinor));
  for (int m = 0; m < kMachineCount; ++m)
    machineBtns_[m]->setChecked(config.MachineData[m].Enabled);
  watchLabel_->setText(QString::fromStdString(WatchText(info.clock)));
  watchLabel_->setEnabled(!watchLabel_->text().isEmpty());
  // The window edits the configuration itself: what it shows is what was edited.
  systemNameEdit_->setText(Ansi::toQString(config.MainSetup.SystemName));
  filterEdit_->setText(Ansi::toQString(config.PCsettings.DefaultInputFilter));
  for (int r = 0; r < kRecipientCount; ++r)
    recipientEdits_[r]->setText(Ansi::toQString(config.Alarm.Recipient[r]));
  for (int g = 0; g < 3; ++g) {
    for (size_t k = 0; k < kAlarmMembers.size(); ++k)
      groupBtns_[g][k]->setChecked(config.Alarm.Group[g].*kAlarmMembers[k]);
  }
  // The soap amounts of the image, in litres: hundredths shown as "0.00".
  const ControllerImage& image = session_.Image().image;
  const SoapAmounts soap = ReadSoapAmounts(image);
  soapAlarmBtn_->setChecked(soap.alarmOn);
  for (size_t pump = 0; pump < soap.alarm.size(); ++pump) {
    soapEdits_[pump]->setText(QString::fromStdString(soap.alarm[pump]));
    soapEdits_[soap.alarm.size() + pump]->setText(QString::fromStdString(soap.used[pump]));
  }

  serialLabel_->show();
  hardwareLabel_->show();
  firmwareLabel_->show();
  commonBtn_->setChecked(config.Alarm.ActiveLevel.Common);
  extraBtn_->setChecked(config.Alarm.ActiveLevel.Extra);
  for (int n = 0; n < kAlarmLevelInputs; ++n)
    levelBtns_[n]->setChecked(config.Alarm.ActiveLevel.Level[n]);
  ApplyGroupRule();
  refreshing_ = false;
  RenderManual();
}

void TSystemSetupForm::ConfigurationCleared() {
  // A new system: nothing known of a controller, no reset chosen.
  RefreshFromImage();
  serialLabel_->hide();
  hardwareLabel_->hide();
  firmwareLabel_->hide();
  watchLabel_->clear();
  resetCombo_->setCurrentIndex(-1);
}

void TSystemSetupForm::StoreEdits() {
  if (refreshing_) return;
  session_.EditConfiguration([this](SystemConfiguration& config) {
    config.MainSetup.SystemName = Ansi::fromQString(systemNameEdit_->text());
    config.PCsettings.DefaultInputFilter = Ansi::fromQString(filterEdit_->text());
    for (int r = 0; r < kRecipientCount; ++r)
      config.Alarm.Recipient[r] = Ansi::fromQString(recipientEdits_[r]->text());
    for (int g = 0; g < 3; ++g) {
      for (size_t k = 0; k < kAlarmMembers.size(); ++k)
        config.Alarm.Group[g].*kAlarmMembers[k] = groupBtns_[g][k]->isChecked();
    }
    for (int n = 0; n < kAlarmLevelInputs; ++n)
      config.Alarm.ActiveLevel.Level[n] = levelBtns_[n]->isChecked();
  });
}

void TSystemSetupForm::MachineBtnClick(int machine) {
  if (refreshing_ || machine < 1 || machine > kMachineCount) return;
  const bool enabled = machineBtns_[machine - 1]->isChecked();
  session_.EditConfiguration(
      [&](SystemConfiguration& config) { config.MachineData[machine - 1].Enabled = enabled; });
  if (machinesChanged_) machinesChanged_();
}

void TSystemSetupForm::GroupAlarmBtnClick() {
  if (refreshing_) return;
  StoreEdits();
  ApplyGroupRule();
}

void TSystemSetupForm::ApplyGroupRule() {
  std::array<bool, 5> changeable{};
  session_.AdjustConfiguration(
      [&](SystemConfiguration& config) { changeable = ApplyGroupZeroRule(config.Alarm); });
  for (size_t k = 0; k < changeable.size(); ++k) {
    groupBtns_[0][k]->setChecked(session_.Configuration().Alarm.Group[0].*kAlarmMembers[k]);
    groupBtns_[0][k]->setEnabled(changeable[k]);
  }
}

void TSystemSetupForm::PumpOnBtnClick(int pump) {
  session_.PressPump(pump, pumpOnBtns_[pump - 1]->isChecked());
  RenderManual();
}

void TSystemSetupForm::PumpControlBtnClick(int pump) {
  session_.SetPumpControl(pump, pumpControlBtns_[pump - 1]->isChecked());
  RenderManual();
}

void TSystemSetupForm::MachineOnBtnClick(int machine) {
  session_.PressMachine(machine, machineOnBtns_[machine - 1]->isChecked());
  RenderManual();
}

void TSystemSetupForm::MachineControlBtnClick(int machine) {
  session_.SetMachineControl(machine, machineControlBtns_[machine - 1]->isChecked());
  RenderManual();
}

void TSystemSetupForm::OutputOnBtnClick(ManualOutput output) {
  const auto index = static_cast<size_t>(output);
  session_.PressOutput(output, outputOnBtns_[index]->isChecked());
  RenderManual();
}

void TSystemSetupForm::OutputControlBtnClick(ManualOutput output) {
  const auto index = static_cast<size_t>(output);
  session_.SetOutputControl(output, outputControlBtns_[index]->isChecked());
  RenderManual();
}

void TSystemSetupForm::RenderManual() {
  const vorel::ManualControl& manual = session_.Manual();
  const ManualButtons& buttons = manual.Buttons();
  for (int p = 1; p <= manual::kPumps; ++p) {
    pumpOnBtns_[p - 1]->setChecked(buttons.pump[p - 1]);
    pumpControlBtns_[p - 1]->setChecked(manual.PumpControlled(p));
  }
  for (int m = 1; m <= manual::kMachines; ++m) {
    machineOnBtns_[m - 1]->setChecked(buttons.machine[m - 1]);
    machineControlBtns_[m - 1]->setChecked(manual.MachineControlled(m));
  }
  const std::array<bool, 3> down = {buttons.flushWater, buttons.flushDrain, buttons.alarmOutput};
  for (size_t i = 0; i < 3; ++i) {
    outputOnBtns_[i]->setChecked(down[i]);
    outputControlBtns_[i]->setChecked(manual.OutputControlled(static_cast<ManualOutput>(i)));
  }
}

void TSystemSetupForm::ResetManualControl() {
  session_.ResetManualControl();
  RenderManual();
}

void TSystemSetupForm::StatusReportReceived(const StatusReport&) {
  // The session has moved the buttons of outputs not under control.
  RenderManual();
  if (session_.PendingReset().Done()) resetOkLabel_->show();
}

void TSystemSetupForm::GatewayStatusReceived(const GatewayStatus&) {
  // The session has moved the pump, machine and valve buttons.
  if (isVisible()) RenderManual();
}

void TSystemSetupForm::LinkStateChanged() {
  UpdateResetControls();
  RefreshFromImage();
}

void TSystemSetupForm::UpdateResetControls() {
  session_.ForgetMachineReset();
  resetOkLabel_->hide();
  const bool allowed = session_.MachineResetAllowed();
  resetCombo_->setEnabled(allowed);
  resetBtn_->setEnabled(allowed);
  if (!allowed) resetCombo_->setCurrentIndex(-1);
}

void TSystemSetupForm::ResetMachineBtnClick() {
  resetOkLabel_->hide();
  session_.HideMachineResetDone();
  const int index = resetCombo_->currentIndex();
  session_.PressMachineReset(index >= 0 ? std::optional<int>(index) : std::nullopt);
}

void TSystemSetupForm::EthernetMonitorReport(std::span<const uint8_t> message) {
  const std::optional<vorel::EthernetMonitorReport> report = DecodeEthernetMonitorReport(message);
  if (!report) return;
  const QTime now = QTime::currentTime();
  monitorMemo_->appendPlainText(QString::fromStdString(
      MonitorLine(*report, now.hour(), now.minute(), now.second(), now.msec())));
}

void TSystemSetupForm::PageControlChange() {
  monitorBtn_->setChecked(false);
  ResetManualControl();
}

void TSystemSetupForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  pages_->setCurrentIndex(0);
  RefreshFromImage();
  session_.ForgetMachineReset();
  monitorBtn_->setChecked(false);
  resetOkLabel_->hide();
}

void TSystemSetupForm::closeEvent(QCloseEvent* event) {
  monitorBtn_->setChecked(false);
  ResetManualControl();
  // The name and the filter go straight into the image, as the controller reads them.
  session_.PackNameAndFilter();
  RefreshFromImage();
  QWidget::closeEvent(event);
}

void TSystemSetupForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  if (event->key() == Qt::Key_Delete && pages_->currentIndex() == kMonitorPage) {
    monitorMemo_->clear();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vorel
