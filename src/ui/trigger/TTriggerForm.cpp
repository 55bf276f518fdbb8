// The trigger setup window.
#include "ui/trigger/TTriggerForm.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "core/app/WindowPlacement.h"
#include "io/AnsiQt.h"
#include "ui/common/Dialogs.h"
#include "ui/common/FillingGuard.h"
#include "ui/common/NumberValidators.h"

namespace vorel {

using namespace trigger;
using namespace triggerform;

namespace {

constexpr std::array<const char*, kMieleTexts.size()> kMieleEditNames = {
    "MieleHeader1Edit",     "MieleHeader2Edit",     "MieleHeader3Edit",     "MieleSelection11Edit",
    "MieleSelection12Edit", "MieleSelection13Edit", "MieleSelection21Edit", "MieleSoftner2Edit",
    "MieleSelection31Edit", "MieleSelection32Edit", "MieleSelection33Edit"};
constexpr int kWindowWidth = 640;
constexpr int kElectroluxRows = 10;

QLabel* Label(const QString& text, QWidget* parent) {
  return new QLabel(text, parent);
}

}  // namespace

TTriggerForm::TTriggerForm(const TriggerData& data, Editor edit, int machineIndex,
                           UiEnvironment& environment, QWidget* parent)
    : QWidget(parent, Qt::Window),
      data_(data),
      edit_(std::move(edit)),
      machineIndex_(machineIndex),
      env_(environment) {
  setObjectName("TriggerForm");
  BuildWindow();
  SetNumberEditValidators(this, kTriggerNumberEdits);
  Reset();
}

QLineEdit* TTriggerForm::NumberEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaximumWidth(80);
  connect(edit, &QLineEdit::textChanged, this, &TTriggerForm::EditChange);
  return edit;
}

void TTriggerForm::BuildWindow() {
  auto* root = new QVBoxLayout(this);
  root->setSpacing(8);

  auto* top = new QGridLayout;
  typeCombo_ = new QComboBox(this);
  typeCombo_->setObjectName("TriggerTypeComboBox");
  for (const auto& entry : kTriggerTypes) typeCombo_->addItem(QString::fromLatin1(entry.text));
  connect(typeCombo_, &QComboBox::activated, this, &TTriggerForm::TriggerTypeComboBoxChange);
  commentEdit_ = new QLineEdit(this);
  commentEdit_->setObjectName("CommentEdit");
  top->addWidget(Label("Type", this), 0, 0);
  top->addWidget(typeCombo_, 0, 1);
  // A type change takes effect at once (Save stays off); this says so until the
  // window is shown afresh.
  typeChangedLabel_ = new QLabel(this);
  typeChangedLabel_->setObjectName("TypeChangedLabel");
  QFont bold = typeChangedLabel_->font();
  bold.setBold(true);
  typeChangedLabel_->setFont(bold);
  typeChangedLabel_->hide();
  typeChangedLabel_->setWordWrap(true);
  top->addWidget(Label("Comment", this), 1, 0);
  top->addWidget(commentEdit_, 1, 1);
  versionLabel1_ = Label("Version:", this);
  versionLabel1_->setObjectName("VersionLabel1");
  versionLabel2_ = Label(QString(), this);
  versionLabel2_->setObjectName("VersionLabel2");
  top->addWidget(versionLabel1_, 2, 0);
  top->addWidget(versionLabel2_, 2, 1);
  top->addWidget(typeChangedLabel_, 3, 0, 1, 2);
  top->setColumnStretch(1, 1);
  root->addLayout(top);

  volumeGroup_ = new QGroupBox(" Volume by weight adjustment  ", this);
  volumeGroup_->setObjectName("VolumeGroupBox");
  {
    auto* grid = new QGridLayout(volumeGroup_);
    lowAdjustEdit_ = NumberEdit("LowLevelAdjustEdit", volumeGroup_);
    highAdjustEdit_ = NumberEdit("HighLevelAdjustEdit", volumeGroup_);
    maxWeightEdit_ = new QLineEdit(volumeGroup_);
    maxWeightEdit_->setObjectName("MaxWeightEdit");
    maxWeightEdit_->setMaximumWidth(80);
    connect(maxWeightEdit_, &QLineEdit::textChanged, this, &TTriggerForm::EditChange);
    grid->addWidget(Label("Low level adjust  -", volumeGroup_), 0, 0);
    grid->addWidget(lowAdjustEdit_, 0, 1);
    grid->addWidget(Label("%", volumeGroup_), 0, 2);
    grid->addWidget(Label("High level adjust   +", volumeGroup_), 1, 0);
    grid->addWidget(highAdjustEdit_, 1, 1);
    grid->addWidget(Label("%", volumeGroup_), 1, 2);
    grid->addWidget(Label("Max. weight", volumeGroup_), 2, 0);
    grid->addWidget(maxWeightEdit_, 2, 1);
    grid->addWidget(Label("kg.", volumeGroup_), 2, 2);
    grid->setColumnStretch(3, 1);
  }
  root->addWidget(volumeGroup_);

  mieleGroup_ = new QGroupBox(" Miele Logic ", this);
  mieleGroup_->setObjectName("MieleLogicGroupBox");
  {
    for (size_t i = 0; i < kMieleTexts.size(); ++i) {
      auto* edit = new QLineEdit(mieleGroup_);
      edit->setObjectName(kMieleEditNames[i]);
      edit->setMaxLength(static_cast<int>(kMieleTexts[i].width));
      // Room for the whole field: 16 or 8 characters.
      edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(
                                QString(static_cast<int>(kMieleTexts[i].width), 'n')) +
                            12);
      connect(edit, &QLineEdit::textChanged, this, &TTriggerForm::EditChange);
      mieleEdits_[i] = edit;
    }
    auto* layout = new QHBoxLayout(mieleGroup_);
    auto subgroup = [this](const char* title,
                           std::initializer_list<std::pair<const char*, int>> rows) {
      auto* box = new QGroupBox(title, mieleGroup_);
      auto* grid = new QGridLayout(box);
      int row = 0;
      for (const auto& [caption, index] : rows) {
        grid->addWidget(Label(caption, box), row, 0);
        grid->addWidget(mieleEdits_[index], row, 1);
        ++row;
      }
      return box;
    };
    layout->addWidget(
        subgroup(" Program selection ",
                 {{"Header", 0}, {"Program 1", 3}, {"Program 2", 4}, {"Program 3", 5}}));
    QGroupBox* softner =
        subgroup(" Farbric softner selection ", {{"Header", 1}, {"Softner", 6}, {"Softner 2", 7}});
    softner2Btn_ = new QCheckBox("Softner 2", softner);
    softner2Btn_->setObjectName("MieleSoftner2Btn");
    connect(softner2Btn_, &QCheckBox::clicked, this, &TTriggerForm::MieleSoftner2BtnClick);
    pump7Label_ = Label("Pump 7", softner);
    pump7Label_->setObjectName("SoftnerPump7label");
    auto* softnerGrid = static_cast<QGridLayout*>(softner->layout());
    softnerGrid->addWidget(softner2Btn_, 3, 0);
    softnerGrid->addWidget(pump7Label_, 3, 1);
    layout->addWidget(softner);
    layout->addWidget(
        subgroup(" Level selection ", {{"Header", 2}, {"High", 8}, {"Mid", 9}, {"Low", 10}}));
  }
  root->addWidget(mieleGroup_);

  electroluxGroup_ = new QGroupBox(" Electrolux, 5xxx  Program mapping ", this);
  electroluxGroup_->setObjectName("ElectroluxGroupBox");
  {
    auto* grid = new QGridLayout(electroluxGroup_);
    grid->setVerticalSpacing(3);
    for (int n = 1; n <= kProgramMapCount; ++n) {
      auto* combo = new QComboBox(electroluxGroup_);
      combo->setObjectName(QString("ElectroluxMachineProgramCombo%1").arg(n));
      combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
      combo->setMinimumContentsLength(10);
      connect(combo, &QComboBox::activated, this, &TTriggerForm::EditChange);
      programMapCombos_[n - 1] = combo;
      const int row = (n - 1) % kElectroluxRows;
      const int column = (n - 1) / kElectroluxRows * 2;
      auto* label = Label(QString("%1:").arg(n), electroluxGroup_);
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(label, row, column);
      grid->addWidget(combo, row, column + 1);
    }
    programNumberLabel1_ = Label("Selected program number:", electroluxGroup_);
    programNumberLabel1_->setObjectName("ElectroluxCompassProProgramNumberLabel1");
    programNumberLabel2_ = Label(QString(), electroluxGroup_);
    programNumberLabel2_->setObjectName("ElectroluxCompassProProgramNumberLabel2");
    auto* selected = new QHBoxLayout;
    selected->addWidget(programNumberLabel1_);
    selected->addWidget(programNumberLabel2_);
    selected->addStretch(1);
    grid->addLayout(selected, kElectroluxRows, 0, 1, 6);
  }
  root->addWidget(electroluxGroup_);

  ethernetGroup_ = new QGroupBox(" Miele Logic, Ethernet Trigger ", this);
  ethernetGroup_->setObjectName("MieleEthernetGroupBox");
  {
    auto* grid = new QGridLayout(ethernetGroup_);
    serialNumberEdit_ = NumberEdit("MieleEthernetSerialNumberEdit", ethernetGroup_);
    machineIdEdit_ = NumberEdit("MieleEthernetSerialMachineIDedit", ethernetGroup_);
    serialNumberEdit_->setMaximumWidth(120);
    machineIdEdit_->setMaximumWidth(120);
    grid->addWidget(Label("Serial number", ethernetGroup_), 0, 0);
    grid->addWidget(serialNumberEdit_, 0, 1);
    grid->addWidget(Label("Machine ID", ethernetGroup_), 1, 0);
    grid->addWidget(machineIdEdit_, 1, 1);
    grid->setColumnStretch(2, 1);
  }
  root->addWidget(ethernetGroup_);

  auto* lockGroup = new QGroupBox(" Keyboard lock && machine reset ", this);
  lockGroup->setObjectName("KeyboardLockGroupBox");
  {
    auto* grid = new QGridLayout(lockGroup);
    QStringList inputs = {"-"};
    for (int i = 1; i <= 6; ++i) inputs << QString("Input %1").arg(i);
    grid->addWidget(Label("Keyboard lock", lockGroup), 0, 0);
    for (int i = 0; i < kKeyboardLockLists; ++i) {
      auto* combo = new QComboBox(lockGroup);
      combo->setObjectName(QString("KeyboardLock%1ComboBox").arg(i + 1));
      combo->addItems(inputs);
      connect(combo, &QComboBox::activated, this, &TTriggerForm::EditChange);
      keyboardLockCombos_[i] = combo;
      grid->addWidget(combo, 0, 1 + i);
    }
    keyboardLockDelayEdit_ = NumberEdit("KeyboardLockDelayEdit", lockGroup);
    grid->addWidget(Label("Delay:", lockGroup), 0, 4);
    grid->addWidget(keyboardLockDelayEdit_, 0, 5);
    grid->addWidget(Label("sec.", lockGroup), 0, 6);

    QStringList resets = inputs;
    for (int i = 1; i <= 6; ++i) resets << QString("Input %1, falling edge").arg(i);
    machineResetCombo_ = new QComboBox(lockGroup);
    machineResetCombo_->setObjectName("MachineResetComboBox");
    machineResetCombo_->addItems(resets);
    connect(machineResetCombo_, &QComboBox::activated, this, &TTriggerForm::EditChange);
    machineResetDelayEdit_ = NumberEdit("MachineResetDelayEdit", lockGroup);
    grid->addWidget(Label("Machine reset", lockGroup), 1, 0);
    grid->addWidget(machineResetCombo_, 1, 1, 1, 3);
    grid->addWidget(Label("Delay:", lockGroup), 1, 4);
    grid->addWidget(machineResetDelayEdit_, 1, 5);
    grid->addWidget(Label("sec.", lockGroup), 1, 6);
    grid->setColumnStretch(7, 1);
  }
  root->addWidget(lockGroup);
  root->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  saveBtn_ = new QPushButton("Save", this);
  saveBtn_->setObjectName("SaveBtn");
  connect(saveBtn_, &QPushButton::clicked, this, &TTriggerForm::SaveBtnClick);
  auto* closeBtn = new QPushButton("Close", this);
  closeBtn->setObjectName("CloseBtn");
  connect(closeBtn, &QPushButton::clicked, this, &TTriggerForm::CloseBtnClick);
  buttons->addWidget(saveBtn_);
  buttons->addWidget(closeBtn);
  root->addLayout(buttons);

  // The window sees Escape before its controls.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  resize(kWindowWidth, kHeightPlain);
}

bool TTriggerForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TTriggerForm::Reset() {
  typeChangedLabel_->hide();
  edit_([](TriggerData& data) { data.Reset(); }, false);
  ShowData();
}

void TTriggerForm::PanelFromControls(TriggerPanel& panel) const {
  panel.triggerTypeComboBox = typeCombo_->currentIndex();
  panel.lowLevelAdjustEdit = lowAdjustEdit_->text().toStdString();
  panel.highLevelAdjustEdit = highAdjustEdit_->text().toStdString();
  panel.maxWeightEdit = maxWeightEdit_->text().toStdString();
  for (int i = 0; i < kKeyboardLockLists; ++i)
    panel.keyboardLockComboBox[i] = keyboardLockCombos_[i]->currentIndex();
  panel.keyboardLockDelayEdit = keyboardLockDelayEdit_->text().toStdString();
  panel.machineResetComboBox = machineResetCombo_->currentIndex();
  panel.machineResetDelayEdit = machineResetDelayEdit_->text().toStdString();
  for (size_t i = 0; i < mieleEdits_.size(); ++i)
    panel.mieleText[i] = Ansi::fromQString(mieleEdits_[i]->text());
  panel.mieleSoftner2Btn = softner2Btn_->isChecked();
  for (int n = 0; n < kProgramMapCount; ++n)
    panel.electroluxMachineProgramCombo[n] = programMapCombos_[n]->currentIndex();
  panel.mieleEthernetSerialNumberEdit = serialNumberEdit_->text().toStdString();
  panel.mieleEthernetSerialMachineIDedit = machineIdEdit_->text().toStdString();
}

void TTriggerForm::ControlsFromPanel(const TriggerPanel& panel) {
  FillingGuard guard(filling_);
  typeCombo_->setCurrentIndex(panel.triggerTypeComboBox);
  lowAdjustEdit_->setText(QString::fromStdString(panel.lowLevelAdjustEdit));
  highAdjustEdit_->setText(QString::fromStdString(panel.highLevelAdjustEdit));
  maxWeightEdit_->setText(QString::fromStdString(panel.maxWeightEdit));
  for (int i = 0; i < kKeyboardLockLists; ++i)
    keyboardLockCombos_[i]->setCurrentIndex(panel.keyboardLockComboBox[i]);
  keyboardLockDelayEdit_->setText(QString::fromStdString(panel.keyboardLockDelayEdit));
  machineResetCombo_->setCurrentIndex(panel.machineResetComboBox);
  machineResetDelayEdit_->setText(QString::fromStdString(panel.machineResetDelayEdit));
  if (panel.mieleGroupVisible) {
    for (size_t i = 0; i < mieleEdits_.size(); ++i)
      mieleEdits_[i]->setText(Ansi::toQString(panel.mieleText[i]));
    softner2Btn_->setChecked(panel.mieleSoftner2Btn);
    pump7Label_->setVisible(panel.mieleSoftner2Btn);
  }
  if (panel.electroluxGroupVisible) {
    QStringList items = {"Not in use"};
    for (int slot = 0; slot < 6; ++slot) {
      items << (programNames_ ? programNames_(slot) : QString("Program %1").arg(slot + 1));
    }
    for (int n = 0; n < kProgramMapCount; ++n) {
      programMapCombos_[n]->clear();
      programMapCombos_[n]->addItems(items);
      programMapCombos_[n]->setCurrentIndex(panel.electroluxMachineProgramCombo[n]);
    }
  }
  if (panel.ethernetGroupVisible) {
    serialNumberEdit_->setText(QString::fromStdString(panel.mieleEthernetSerialNumberEdit));
    machineIdEdit_->setText(QString::fromStdString(panel.mieleEthernetSerialMachineIDedit));
  }
  volumeGroup_->setVisible(panel.volumeGroupVisible);
  mieleGroup_->setVisible(panel.mieleGroupVisible);
  electroluxGroup_->setVisible(panel.electroluxGroupVisible);
  ethernetGroup_->setVisible(panel.ethernetGroupVisible);
}

void TTriggerForm::ShowData() {
  TriggerPanel panel;
  ShowTrigger(data_, panel);
  ControlsFromPanel(panel);
  typeText_ = QString::fromLatin1(panel.typeText.c_str());
  emit TypeTextChanged(typeText_);

  // The design height of the type, or what the layout needs where the font is larger.
  layout()->activate();
  const int height = std::max(panel.windowHeight, minimumSizeHint().height());
  resize(std::max(width(), kWindowWidth), height);
  if (isVisible()) {
    if (const QScreen* screen = this->screen()) {
      const QRect area = screen->geometry();
      const QRect frame = frameGeometry();
      const WindowPosition p = KeepOnScreen({frame.left(), frame.top()}, frame.width(),
                                            frame.height(), area.width(), area.height());
      move(p.left, p.top);
    }
  }
  UpdateIdentificationLine(std::nullopt);
  SetModified(false);
}

void TTriggerForm::Store() {
  SetModified(false);
  TriggerPanel panel;
  PanelFromControls(panel);
  edit_([&](TriggerData& data) { StoreTrigger(panel, data); }, true);
  ShowData();
}

void TTriggerForm::SetModified(bool modified) {
  modified_ = modified;
  saveBtn_->setEnabled(modified);
}

void TTriggerForm::TriggerTypeComboBoxChange(int position) {
  SetModified(true);
  TriggerData changedData = data_;
  const bool changed = ChangeTriggerType(changedData, position);
  if (changed) edit_([&](TriggerData& data) { data = changedData; }, true);
  ShowData();
  if (!changed) return;
  typeChangedLabel_->setText(QStringLiteral(
      "\u2714 Type changed and taken: save the system or write it to the controller to keep it."));
  typeChangedLabel_->show();
}

void TTriggerForm::EditChange() {
  if (!filling_) SetModified(true);
}

void TTriggerForm::MieleSoftner2BtnClick() {
  pump7Label_->setVisible(softner2Btn_->isChecked());
  SetModified(true);
}

void TTriggerForm::SaveBtnClick() {
  Store();
}

void TTriggerForm::CloseBtnClick() {
  close();
}

void TTriggerForm::SetIdentification(const UnitIdentification& ident) {
  edit_([&](TriggerData& data) { data.SetIdentification(ident.unitKind, ident.version); }, false);
  identified_ = true;
  if (isVisible()) UpdateIdentificationLine(ident.programNumber);
}

void TTriggerForm::ClearIdentified() {
  identified_ = false;
  if (isVisible()) UpdateIdentificationLine(std::nullopt);
}

void TTriggerForm::UpdateIdentificationLine(std::optional<uint8_t> programNumber) {
  const bool showNumber = identified_ && programNumber && data_.TriggerType() == kTypeElectrolux;
  versionLabel1_->setEnabled(identified_);
  versionLabel2_->setVisible(identified_);
  if (identified_) versionLabel2_->setText(QString::fromStdString(IdentificationText(data_)));
  programNumberLabel1_->setEnabled(showNumber);
  programNumberLabel2_->setVisible(showNumber);
  if (showNumber) programNumberLabel2_->setText(QString::number(*programNumber));
}

void TTriggerForm::showEvent(QShowEvent* event) {
  // Restoring a minimised window reloads nothing: unsaved edits stay.
  if (event->spontaneous()) {
    QWidget::showEvent(event);
    return;
  }
  setWindowTitle(QString("Trigger, Machine %1").arg(machineIndex_ + 1));
  typeChangedLabel_->hide();
  ShowData();
  QWidget::showEvent(event);
}

void TTriggerForm::closeEvent(QCloseEvent* event) {
  if (modified_) {
    SetModified(false);
    if (env_.ShowLoggedMessage(this, "Save modifications?", MsgType::Information,
                               kMsgYes | kMsgNo) == kMsgYes) {
      Store();
    }
  }
  event->accept();
}

}  // namespace vorel
