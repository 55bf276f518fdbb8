// The machine window.
#include "ui/machine/TMachineForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QVBoxLayout>

#include "core/app/WindowPlacement.h"
#include "core/base/Numbers.h"
#include "io/AnsiQt.h"
#include "ui/common/Accessibility.h"
#include "ui/common/FillingGuard.h"
#include "ui/common/NumberValidators.h"
#include "ui/program/TProgramForm.h"
#include "ui/trigger/TTriggerForm.h"

namespace vorel {

namespace {

QLabel* Label(const QString& text, QWidget* parent) {
  return new QLabel(text, parent);
}

QLabel* StatusLetter(const char* letter, const char* name, QWidget* parent) {
  auto* label = new QLabel(QString::fromLatin1(letter), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignCenter);
  label->setFixedSize(20, 20);
  label->setStyleSheet("background-color: #2e9e3e; color: white; font-weight: bold;");
  label->hide();
  return label;
}

}  // namespace

TMachineForm::TMachineForm(MachineHost& host, int machineIndex, QWidget* parent)
    : QWidget(parent, Qt::Window),
      host_(host),
      machineIndex_(machineIndex),
      display_(machineIndex, QLocale().decimalPoint().at(0).toLatin1()) {
  setObjectName(QString("MachineForm%1").arg(machineIndex + 1));
  BuildWindow();
  SetNumberEditValidators(this, kMachineNumberEdits);
  FillControls();
}

TMachineForm::~TMachineForm() = default;

QLineEdit* TMachineForm::SettingEdit(const QString& name) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  edit->setMaximumWidth(70);
  connect(edit, &QLineEdit::textChanged, this, &TMachineForm::SettingsEdited);
  return edit;
}

void TMachineForm::BuildWindow() {
  auto* root = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  root->addLayout(left, 1);
  root->addLayout(right, 1);

  programGroup_ = new QGroupBox(" Program ", this);
  programGroup_->setObjectName("ProgramGroupBox");
  {
    auto* grid = new QGridLayout(programGroup_);
    for (int slot = 0; slot < kProgramSlots; ++slot) {
      auto* button = new QPushButton(QString("Program %1").arg(slot + 1), programGroup_);
      button->setObjectName(QString("Program%1Btn").arg(slot + 1));
      button->setProperty("tag", slot + 1);
      button->setMinimumWidth(130);
      connect(button, &QPushButton::clicked, this, [this, slot] { ProgramBtnClick(slot + 1); });
      PlainCaption(button);  // the program's name
      programButtons_[slot] = button;
      grid->addWidget(button, slot % 3, slot / 3);
    }
  }
  left->addWidget(programGroup_);

  auto* settings = new QGroupBox(" Settings ", this);
  settings->setObjectName("SettingsGroupBox");
  {
    auto* grid = new QGridLayout(settings);
    defaultProgramCombo_ = new QComboBox(settings);
    defaultProgramCombo_->setObjectName("DefaultProgramComboBox");
    defaultProgramCombo_->addItem("-");
    for (int slot = 1; slot <= kProgramSlots; ++slot)
      defaultProgramCombo_->addItem(QString("Program %1").arg(slot));
    connect(defaultProgramCombo_, &QComboBox::activated, this, &TMachineForm::SettingsEdited);
    allowNoProgramBtn_ = new QCheckBox("Allow no program", settings);
    allowNoProgramBtn_->setObjectName("AllowNoProgramBtn");
    connect(allowNoProgramBtn_, &QCheckBox::clicked, this, &TMachineForm::SettingsEdited);
    shortFlushEdit_ = SettingEdit("ShortFlushTimeEdit");
    longFlushEdit_ = SettingEdit("LongFlushTimeEdit");
    timeoutEdit_ = SettingEdit("ProgramTimeoutEdit");
    softnerPumpCombo_ = new QComboBox(settings);
    softnerPumpCombo_->setObjectName("SoftnerPumpComboBox");
    for (const char* item : kSoftnerPumpItems)
      softnerPumpCombo_->addItem(QString::fromLatin1(item));
    connect(softnerPumpCombo_, &QComboBox::activated, this, &TMachineForm::SettingsEdited);
    commentEdit_ = new QLineEdit(settings);
    commentEdit_->setObjectName("CommentEdit");
    connect(commentEdit_, &QLineEdit::textChanged, this, &TMachineForm::SettingsEdited);

    int row = 0;
    grid->addWidget(Label("Default program", settings), row, 0);
    grid->addWidget(defaultProgramCombo_, row++, 1, 1, 2);
    grid->addWidget(allowNoProgramBtn_, row++, 1, 1, 2);
    const std::array<std::tuple<const char*, QLineEdit*, const char*>, 3> times = {{
        {"Short flush time", shortFlushEdit_, "sec."},
        {"Long flush time", longFlushEdit_, "sec."},
        {"Program timeout", timeoutEdit_, "min."},
    }};
    for (const auto& [caption, edit, unit] : times) {
      grid->addWidget(Label(caption, settings), row, 0);
      grid->addWidget(edit, row, 1);
      grid->addWidget(Label(unit, settings), row++, 2);
    }
    grid->addWidget(Label("Fabric softener", settings), row, 0);
    grid->addWidget(softnerPumpCombo_, row++, 1);
    grid->addWidget(Label("Comment", settings), row, 0);
    grid->addWidget(commentEdit_, row++, 1, 1, 3);
    grid->setColumnStretch(3, 1);
  }
  left->addWidget(settings);
  left->addStretch(1);

  auto* calibration = new QGroupBox(" Calibration ", this);
  calibration->setObjectName("CalibrationGroupBox");
  {
    auto* grid = new QGridLayout(calibration);
    for (int pump = 0; pump < kPumpCount; ++pump) {
      auto* edit = SettingEdit(QString("Calibration%1Edit").arg(pump + 1));
      calibrationEdits_[pump] = edit;
      calibrationUnitLabels_[pump] = Label("ml / 60sec", calibration);
      auto* test = new QPushButton(QString("^%1:Test").arg(pump + 1), calibration);
      test->setObjectName(QString("CalibrationTest%1Btn").arg(pump + 1));
      test->setProperty("tag", pump + 1);
      connect(test, &QPushButton::clicked, this,
              [this, pump] { CalibrationTestBtnClick(pump + 1); });
      calibrationTestButtons_[pump] = test;
      grid->addWidget(Label(QString("Pump %1").arg(pump + 1), calibration), pump, 0);
      grid->addWidget(edit, pump, 1);
      grid->addWidget(calibrationUnitLabels_[pump], pump, 2);
      grid->addWidget(test, pump, 3);
    }
    grid->setColumnStretch(4, 1);
  }
  right->addWidget(calibration);

  triggerGroup_ = new QGroupBox(this);
  triggerGroup_->setObjectName("TriggerGroup");
  {
    auto* layout = new QVBoxLayout(triggerGroup_);
    auto* inputs = new QGridLayout;
    for (int i = 0; i < live::kTriggerInputs; ++i) {
      auto* button = new QPushButton(QString("Input %1").arg(i + 1), triggerGroup_);
      button->setObjectName(QString("TriggerInput%1Btn").arg(i + 1));
      button->setCheckable(true);
      button->setFocusPolicy(Qt::NoFocus);
      button->setStyleSheet("QPushButton:checked { background-color: #8fd18f; }");
      // Shows the input; the technician cannot press it.
      button->setAttribute(Qt::WA_TransparentForMouseEvents);
      inputButtons_[i] = button;
      auto* weight = new QLabel(triggerGroup_);
      weight->setObjectName(QString("TriggerWeightlabel%1").arg(i + 1));
      weight->setAlignment(Qt::AlignCenter);
      weight->hide();
      weightLabels_[i] = weight;
      inputs->addWidget(button, 0, i);
      inputs->addWidget(weight, 1, i);
    }
    inputs->setRowMinimumHeight(1, fontMetrics().height() + 2);
    layout->addLayout(inputs);
    auto* bottom = new QHBoxLayout;
    keyboardConnectedLabel_ = StatusLetter("K", "KeyboardConnectedLabel", triggerGroup_);
    triggerOnlineLabel_ = StatusLetter("T", "TriggerOnlineLabel", triggerGroup_);
    serialConnectionLabel_ = StatusLetter("S", "SerialConnectionLabel", triggerGroup_);
    bottom->addWidget(keyboardConnectedLabel_);
    bottom->addWidget(triggerOnlineLabel_);
    bottom->addWidget(serialConnectionLabel_);
    bottom->addStretch(1);
    auto* setup = new QPushButton("Setup...", triggerGroup_);
    setup->setObjectName("TriggerSetupBtn");
    connect(setup, &QPushButton::clicked, this, &TMachineForm::TriggerSetupBtnClick);
    bottom->addWidget(setup);
    layout->addLayout(bottom);
  }
  right->addWidget(triggerGroup_);
  right->addStretch(1);

  // The window sees its keys before its controls.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TMachineForm::Initialise() {
  setWindowTitle(QString("Machine %1").arg(machineIndex_ + 1));
  if (triggerForm_) return;
  const auto editTrigger = [this](const TTriggerForm::Change& change, bool byTechnician) {
    host_.EditMachine(
        machineIndex_, [&](MachineSettings& machine) { change(machine.Trigger); }, byTechnician);
  };
  triggerForm_ = new TTriggerForm(host_.Machine(machineIndex_).Trigger, editTrigger, machineIndex_,
                                  host_.Ui(), this);
  triggerForm_->SetProgramNames([this](int slot) { return ProgramCaption(slot); });
  connect(triggerForm_, &TTriggerForm::TypeTextChanged, this, &TMachineForm::SetTriggerCaption);
  triggerForm_->ShowData();
}

QString TMachineForm::ProgramCaption(int slotIndex) const {
  const std::string& name = host_.Machine(machineIndex_).Programs[slotIndex].Name;
  return name.empty() ? QString("Program %1").arg(slotIndex + 1) : Ansi::toQString(name);
}

void TMachineForm::FillControls(bool renameDefaultProgramItems) {
  FillingGuard guard(filling_);
  const MachineSettings& machine = host_.Machine(machineIndex_);
  for (int slot = 0; slot < kProgramSlots; ++slot) {
    programButtons_[slot]->setText(LiteralCaption(ProgramCaption(slot)));
    if (renameDefaultProgramItems)
      defaultProgramCombo_->setItemText(slot + 1, ProgramCaption(slot));
  }
  defaultProgramCombo_->setCurrentIndex(machine.DefaultProgram >= 0 &&
                                                machine.DefaultProgram <= kProgramSlots
                                            ? machine.DefaultProgram
                                            : -1);
  allowNoProgramBtn_->setChecked(machine.AllowNoProgram);
  shortFlushEdit_->setText(Ansi::toQString(machine.ShortFlushTime));
  longFlushEdit_->setText(Ansi::toQString(machine.LongFlushTime));
  timeoutEdit_->setText(Ansi::toQString(machine.ProgramTimeout));
  softnerPumpCombo_->setCurrentIndex(SoftnerPumpPosition(machine.SoftnerPump));
  commentEdit_->setText(Ansi::toQString(machine.Comment));
  for (int pump = 0; pump < kPumpCount; ++pump) {
    calibrationEdits_[pump]->setText(Ansi::toQString(machine.Calibration[pump]));
  }
}

void TMachineForm::SettingsEdited() {
  if (filling_) return;
  host_.EditMachine(machineIndex_, [this](MachineSettings& machine) {
    machine.DefaultProgram = defaultProgramCombo_->currentIndex();
    machine.AllowNoProgram = allowNoProgramBtn_->isChecked();
    // A number still on its way to one the field holds ("2" of "24") stays out of
    // the configuration; leaving the edit puts the stored value back.
    const auto take = [](std::string& field, const QLineEdit* edit) {
      if (edit->hasAcceptableInput()) field = Ansi::fromQString(edit->text());
    };
    take(machine.ShortFlushTime, shortFlushEdit_);
    take(machine.LongFlushTime, longFlushEdit_);
    take(machine.ProgramTimeout, timeoutEdit_);
    const int pump = softnerPumpCombo_->currentIndex();
    machine.SoftnerPump = pump >= 0 ? kSoftnerPumpItems[pump] : "";
    machine.Comment = Ansi::fromQString(commentEdit_->text());
    for (int p = 0; p < kPumpCount; ++p) take(machine.Calibration[p], calibrationEdits_[p]);
  });
}

void TMachineForm::Clear() {
  host_.EditMachine(machineIndex_, ClearMachine);
  ShowCleared();
}

void TMachineForm::ShowCleared() {
  for (TProgramForm* editor : programEditors_) {
    if (editor) editor->Load();
  }
  if (triggerForm_) triggerForm_->Reset();
  display_.Clear();
  // The default-program list keeps its item texts until the next refresh.
  FillControls(false);
  RenderLiveDisplay();
}

void TMachineForm::Refresh() {
  for (TProgramForm* editor : programEditors_) {
    if (editor) editor->Load();
  }
  FillControls();
  if (triggerForm_) triggerForm_->ShowData();
}

bool TMachineForm::AnyModified() const {
  if (triggerForm_ && triggerForm_->IsModified()) return true;
  for (const TProgramForm* editor : programEditors_) {
    if (editor && editor->IsModified()) return true;
  }
  return false;
}

void TMachineForm::SaveAll() {
  if (triggerForm_) triggerForm_->Store();
  for (TProgramForm* editor : programEditors_) {
    if (editor && editor->isVisible()) editor->Save();
  }
}

void TMachineForm::DropModified() {
  for (TProgramForm* editor : programEditors_) {
    if (editor) editor->DropModified();
  }
}

void TMachineForm::StoreTrigger() {
  if (triggerForm_) triggerForm_->Store();
}

void TMachineForm::AfterCopy() {
  for (TProgramForm* editor : programEditors_) {
    if (editor) editor->DropModified();
  }
  if (triggerForm_) triggerForm_->ShowData();
  Refresh();
}

void TMachineForm::ProgramBtnClick(int tag) {
  if (tag < 1 || tag > kProgramSlots) return;
  const int slot = tag - 1;
  TProgramForm*& editor = programEditors_[slot];
  if (!editor) {
    editor = new TProgramForm(host_, machineIndex_, slot, this);
    TProgramForm::PlaceBeside(editor, frameGeometry(), slot);
  }
  editor->show();
  editor->raise();
  editor->activateWindow();
}

void TMachineForm::ProgramSaved(int slotIndex) {
  programButtons_[slotIndex]->setText(LiteralCaption(ProgramCaption(slotIndex)));
  if (triggerForm_ && triggerForm_->isVisible()) triggerForm_->ShowData();
}

void TMachineForm::CalibrationTestBtnClick(int tag) {
  if (tag < 1 || tag > kPumpCount) return;
  QLineEdit* edit = calibrationEdits_[tag - 1];
  const std::optional<std::string> calibrated =
      host_.RunCalibration(tag, machineIndex_, StrToIntDef(edit->text().toStdString(), 0), this);
  if (calibrated) edit->setText(QString::fromStdString(*calibrated));
}

void TMachineForm::TriggerSetupBtnClick() {
  if (!triggerForm_) return;
  const QRect frame = frameGeometry();
  triggerForm_->move(
      CentredLeft(frame.left(), frame.width(), triggerForm_->frameGeometry().width()),
      frame.top() + frame.height());
  triggerForm_->show();
  triggerForm_->raise();
}

void TMachineForm::SetTriggerCaption(const QString& typeText) {
  triggerGroup_->setTitle(" " + typeText + " ");
  display_.TriggerTypeChanged();
  RenderLiveDisplay();
}

void TMachineForm::ApplyStatusReport(const StatusReport& report) {
  if (!isVisible()) return;
  DeliverRunningLine(display_.ApplyStatusReport(
      report, host_.Machine(machineIndex_).Trigger.TriggerType(), triggerForm_ != nullptr));
  RenderLiveDisplay();
}

void TMachineForm::ApplyTriggerFrame(std::span<const uint8_t> frame) {
  if (!isVisible()) return;
  const auto ident =
      display_.ApplyTriggerFrame(frame, host_.Machine(machineIndex_).Trigger.TriggerType());
  if (ident && triggerForm_) triggerForm_->SetIdentification(*ident);
  RenderLiveDisplay();
}

void TMachineForm::ApplyGatewayRecord(std::span<const uint8_t> record) {
  if (!isVisible()) return;
  DeliverRunningLine(display_.ApplyGatewayRecord(record));
  RenderLiveDisplay();
}

void TMachineForm::DeliverRunningLine(const std::optional<RunningLine>& running) {
  if (running && programEditors_[running->slotNumber - 1]) {
    programEditors_[running->slotNumber - 1]->RunningLineReport(running->lineByte);
  }
}

void TMachineForm::Tick() {
  if (display_.Tick()) {
    if (triggerForm_) triggerForm_->ClearIdentified();
    RenderLiveDisplay();
  }
  for (TProgramForm* editor : programEditors_) {
    if (editor) editor->Tick();
  }
}

void TMachineForm::RenderLiveDisplay() {
  const MachineDisplayState& s = display_.State();
  keyboardConnectedLabel_->setVisible(s.keyboardConnectedVisible);
  triggerOnlineLabel_->setVisible(s.triggerOnlineVisible);
  serialConnectionLabel_->setVisible(s.serialConnectionVisible);
  for (int i = 0; i < live::kTriggerInputs; ++i) {
    inputButtons_[i]->setChecked(s.inputActive[i]);
    weightLabels_[i]->setText(QString::fromLatin1(s.weightText[i].c_str()));
    weightLabels_[i]->setVisible(s.weightVisible[i]);
  }
  programGroup_->setTitle(QString::fromLatin1(s.programGroupCaption.c_str()));
  for (int slot = 0; slot < kProgramSlots; ++slot) {
    QFont font = programButtons_[slot]->font();
    const bool running = s.highlightedSlot == slot;
    font.setBold(running);
    font.setUnderline(running);
    programButtons_[slot]->setFont(font);
  }
}

bool TMachineForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && !edit->hasAcceptableInput()) FillControls();
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      close();
      return true;
    }
    if ((key->modifiers() & Qt::ControlModifier) && key->key() >= Qt::Key_1 &&
        key->key() <= Qt::Key_7) {
      CalibrationTestBtnClick(key->key() - Qt::Key_0);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TMachineForm::showEvent(QShowEvent* event) {
  // Restoring a minimised window is no new showing: it reloads nothing, so no
  // unsaved edit of an open editor is lost.
  if (event->spontaneous()) {
    QWidget::showEvent(event);
    return;
  }
  display_.Show();
  for (QLabel* unit : calibrationUnitLabels_) unit->setText("ml / 60sec");
  Refresh();
  RenderLiveDisplay();
  QWidget::showEvent(event);
}

bool TMachineForm::CloseProgramEditors() {
  for (TProgramForm* editor : programEditors_) {
    if (editor && editor->isVisible() && !editor->close()) return false;
  }
  for (TProgramForm*& editor : programEditors_) {
    delete editor;
    editor = nullptr;
  }
  return true;
}

void TMachineForm::closeEvent(QCloseEvent* event) {
  // An editor whose question was answered Cancel keeps the machine window open,
  // so no unsaved program is thrown away.
  if (!CloseProgramEditors()) {
    event->ignore();
    return;
  }
  if (triggerForm_) triggerForm_->close();
  event->accept();
}

}  // namespace vorel
