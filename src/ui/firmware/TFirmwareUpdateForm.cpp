// The firmware update window.
#include "ui/firmware/TFirmwareUpdateForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "io/FirmwareFile.h"

namespace vorel {

namespace {

constexpr const char* kFilter = "Firmware file (*.hex)|*.hex|Any file (*.*)|*.*";

}  // namespace

TFirmwareUpdateForm::TFirmwareUpdateForm(Session& session, UiEnvironment& env, LastFile lastFile,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), env_(env), lastFile_(std::move(lastFile)) {
  setObjectName("FirmwareUpdateForm");
  setWindowTitle(QStringLiteral("Firmware update"));
  auto* root = new QVBoxLayout(this);

  auto* file = new QHBoxLayout;
  fileNameCombo_ = new QComboBox(this);
  fileNameCombo_->setObjectName("FileNameComboBox");
  fileNameCombo_->setEditable(true);
  fileNameCombo_->setMinimumWidth(320);
  // A new file name may be loaded by Start again.
  connect(fileNameCombo_, &QComboBox::currentTextChanged, this,
          [this] { startBtn_->setEnabled(true); });
  browseBtn_ = new QPushButton(QStringLiteral("..."), this);
  browseBtn_->setObjectName("FileNameBtn");
  browseBtn_->setFixedWidth(32);
  connect(browseBtn_, &QPushButton::clicked, this, &TFirmwareUpdateForm::FileNameBtnClick);
  loadBtn_ = new QPushButton(QStringLiteral("Load"), this);
  loadBtn_->setObjectName("LoadBtn");
  connect(loadBtn_, &QPushButton::clicked, this, [this] { LoadBtnClick(); });
  file->addWidget(fileNameCombo_, 1);
  file->addWidget(browseBtn_);
  file->addWidget(loadBtn_);
  root->addLayout(file);

  auto* info = new QGridLayout;
  const char* names[] = {"FileDateLabel", "CodeStartLabel", "CodeEndLabel", "CodeUsedLabel",
                         "CodeChecksumLabel"};
  const char* texts[] = {"File date", "Code start", "Code end", "Code used", "Check sum"};
  for (int i = 0; i < 5; ++i) {
    captions_[i] = new QLabel(QString::fromLatin1(texts[i]), this);
    captions_[i]->setObjectName(QString::fromLatin1(names[i]) + "1");
    values_[i] = new QLabel(this);
    values_[i]->setObjectName(QString::fromLatin1(names[i]) + "2");
    for (QLabel* label : {captions_[i], values_[i]}) {
      QSizePolicy policy = label->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      label->setSizePolicy(policy);
    }
    info->addWidget(captions_[i], i, 0);
    info->addWidget(values_[i], i, 1);
  }
  // Until a file is loaded the information's place says how to begin.
  hintLabel_ = new QLabel(QStringLiteral("Load a firmware file (.hex) to begin"), this);
  hintLabel_->setObjectName("FirmwareHintLabel");
  hintLabel_->setAlignment(Qt::AlignCenter);
  hintLabel_->setEnabled(false);
  info->addWidget(hintLabel_, 0, 0, 5, 2);
  info->setColumnStretch(1, 1);
  root->addLayout(info);

  stateLabel_ = new QLabel(this);
  stateLabel_->setObjectName("StateLabel");
  QFont bold = stateLabel_->font();
  bold.setBold(true);
  stateLabel_->setFont(bold);
  root->addWidget(stateLabel_);
  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName("ProgressBar");
  progressBar_->setTextVisible(false);
  root->addWidget(progressBar_);

  auto* buttons = new QHBoxLayout;
  startBtn_ = new QPushButton(QStringLiteral("F9: Start"), this);
  startBtn_->setObjectName("StartBtn");
  connect(startBtn_, &QPushButton::clicked, this, &TFirmwareUpdateForm::StartBtnClick);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName("CloseBtn");
  connect(close, &QPushButton::clicked, this, &TFirmwareUpdateForm::CloseBtnClick);
  buttons->addWidget(startBtn_);
  buttons->addStretch(1);
  buttons->addWidget(close);
  root->addLayout(buttons);

  observing_ = session_.Observe(*this);
}

TFirmwareUpdateForm::~TFirmwareUpdateForm() {}

void TFirmwareUpdateForm::SetTarget(const FirmwareTarget& target, const QString& caption) {
  target_ = target;
  setWindowTitle(caption);
}

void TFirmwareUpdateForm::ShowFileInformation(bool visible) {
  hintLabel_->setVisible(!visible);
  for (int i = 0; i < 5; ++i) {
    captions_[i]->setVisible(visible);
    values_[i]->setVisible(visible);
  }
}

void TFirmwareUpdateForm::ShowNothingLoaded() {
  loaded_.reset();
  ShowFileInformation(false);
  stateLabel_->setText(QStringLiteral("No file loaded"));
  progressBar_->setRange(0, 1);
  progressBar_->setValue(0);
  startBtn_->setEnabled(false);
}

bool TFirmwareUpdateForm::LoadBtnClick() {
  // The image of a run is still being sent: nothing else is loaded meanwhile.
  if (running_) return false;
  // A failed load leaves nothing loaded: nothing partly read is ever programmed,
  // and nothing on screen speaks of the file before.
  loaded_.reset();
  const QString path = fileNameCombo_->currentText().trimmed();
  using Read = Loaded<FirmwareFile, FirmwareRefusal>;
  const Read load =
      target_ ? ReadFirmwareFile(path, *target_) : Read::Refused({kUnableToOpenHexText, 0, {}});
  if (!load) {
    ShowNothingLoaded();
    env_.ShowLoggedMessage(this, QString::fromStdString(load.why.text), MsgType::Error, kMsgOk);
    return false;
  }
  values_[0]->setText(QString::fromStdString(FileDateText(load->modified)));
  const FirmwareImage& image = load->image;
  values_[1]->setText(QString::fromStdString(AddressText(image.codeStart)));
  values_[2]->setText(QString::fromStdString(AddressText(image.codeEnd)));
  values_[3]->setText(QString::fromStdString(CodeUsedText(image, *target_)));
  values_[4]->setText(QString::fromStdString(ChecksumText(image.displaySum)));
  stateLabel_->setText(QStringLiteral("File loaded"));
  progressBar_->setRange(0, image.roundedEnd);
  progressBar_->setValue(0);
  ShowFileInformation(true);
  startBtn_->setEnabled(true);
  if (lastFile_.set) lastFile_.set(path);
  loaded_ = image;
  return true;
}

void TFirmwareUpdateForm::FileNameBtnClick() {
  if (running_) return;
  const QString name = env_.CurrentDialogs().OpenFileName(
      this, {"Firmware update", kFilter, "hex", fileNameCombo_->currentText()});
  if (name.isEmpty()) return;
  fileNameCombo_->setCurrentText(name);
  LoadBtnClick();
}

void TFirmwareUpdateForm::StartBtnClick() {
  if (!startBtn_->isEnabled()) return;  // F9 after a failed load
  if (!loaded_) LoadBtnClick();
  if (!loaded_ || !target_) return;
  if (!session_.StartFirmware(*loaded_, *target_)) {
    env_.ShowLoggedMessage(this,
                           QStringLiteral("Firmware update works over the serial link only; "
                                          "choose Local in the communication window."),
                           MsgType::Error, kMsgOk);
    return;
  }
  FirmwareChanged();
}

void TFirmwareUpdateForm::ShowRunning(bool running) {
  running_ = running;
  fileNameCombo_->setEnabled(!running);
  browseBtn_->setEnabled(!running);
  loadBtn_->setEnabled(!running);
}

void TFirmwareUpdateForm::FirmwareChanged() {
  if (!isVisible()) return;
  const BootProgrammer& programmer = session_.Programmer();
  const QString state = QString::fromStdString(programmer.StateText());
  const bool ended = running_ && programmer.Step() == 0;
  ShowRunning(programmer.Step() != 0);
  stateLabel_->setText(state);
  progressBar_->setValue(static_cast<int>(programmer.Progress()));
  if (!ended) return;
  // The technician hears the end of a run from across the laundry.
  if (!programmer.LeftIncomplete()) {
    if (state == QLatin1String("Completed, OK.")) env_.CurrentDialogs().Signal(Cue::kSuccess);
    return;
  }
  env_.CurrentDialogs().Signal(Cue::kFailure);
  // After the byte or tick that ended the run, not inside it.
  QTimer::singleShot(0, this, [this, state] { ReportIncompleteFirmware(state); });
}

void TFirmwareUpdateForm::ReportIncompleteFirmware(const QString& state) {
  if (!target_) return;
  env_.ShowLoggedMessage(
      this,
      state + QStringLiteral("\n\n") + QString::fromStdString(IncompleteFirmwareText(*target_)),
      MsgType::Error, kMsgOk);
}

void TFirmwareUpdateForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  session_.SetFirmwareWindowVisible(true);
  loaded_.reset();
  ShowFileInformation(false);
  const QString last = lastFile_.get ? lastFile_.get() : QString();
  fileNameCombo_->setCurrentText(last);
  stateLabel_->clear();
  progressBar_->setValue(0);
  ShowRunning(false);
  startBtn_->setEnabled(true);
  if (!last.isEmpty()) startBtn_->setFocus();
}

void TFirmwareUpdateForm::closeEvent(QCloseEvent* event) {
  // A run in progress is abandoned; the unit is not told, so the technician is asked.
  const BootProgrammer& programmer = session_.Programmer();
  if (programmer.Step() != 0) {
    const QString question =
        programmer.Programming()
            ? QStringLiteral(
                  "Programming is running. Closing stops it and leaves the unit with "
                  "incomplete firmware; its boot loader then waits for a new start. "
                  "Close anyway?")
            : QStringLiteral(
                  "The update waits for the boot loader. Closing stops it. Close "
                  "anyway?");
    if (env_.ShowLoggedMessage(this, question, MsgType::Warning, kMsgYes | kMsgNo, kMsgNo) !=
        kMsgYes) {
      event->ignore();
      return;
    }
  }
  ShowRunning(false);
  session_.SetFirmwareWindowVisible(false);
  QWidget::closeEvent(event);
}

void TFirmwareUpdateForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  if (event->key() == Qt::Key_F9) {
    StartBtnClick();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace vorel
