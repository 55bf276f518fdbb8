// The firmware update window.
#include "ui/firmware/TFirmwareUpdateForm.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "io/FileAccess.h"

namespace vorel {

namespace {

constexpr int64_t kHexFileLimit = 4 * 1024 * 1024;
constexpr const char* kFilter = "Firmware file (*.hex)|*.hex|Any file (*.*)|*.*";

LocalDateTime FileTime(const QString& path) {
  const QDateTime modified = QFileInfo(path).lastModified();
  const QDate date = modified.date();
  const QTime time = modified.time();
  // File times are shown in steps of two seconds, as the file systems of the field keep them.
  return {date.year(),   date.month(),          date.day(),          time.hour(),
          time.minute(), time.second() / 2 * 2, date.dayOfWeek() - 1};
}

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
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName("FileNameBtn");
  browse->setFixedWidth(32);
  connect(browse, &QPushButton::clicked, this, &TFirmwareUpdateForm::FileNameBtnClick);
  auto* load = new QPushButton(QStringLiteral("Load"), this);
  load->setObjectName("LoadBtn");
  connect(load, &QPushButton::clicked, this, [this] { LoadBtnClick(); });
  file->addWidget(fileNameCombo_, 1);
  file->addWidget(browse);
  file->addWidget(load);
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
  for (int i = 0; i < 5; ++i) {
    captions_[i]->setVisible(visible);
    values_[i]->setVisible(visible);
  }
}

bool TFirmwareUpdateForm::LoadBtnClick() {
  // A failed load leaves nothing loaded: nothing partly read is ever programmed.
  loaded_.reset();
  const QString path = fileNameCombo_->currentText().trimmed();
  const ReadOutcome read = ReadWholeFile(path, kHexFileLimit);
  if (!read.bytes || !target_) {
    env_.ShowLoggedMessage(this, QStringLiteral("Unable to open Intel hex file."), MsgType::Error,
                           kMsgOk);
    return false;
  }
  values_[0]->setText(QString::fromStdString(FileDateText(FileTime(path))));
  const HexLoad load = LoadIntelHex(*read.bytes, *target_);
  if (!load.image) {
    env_.ShowLoggedMessage(this, QString::fromStdString(load.error), MsgType::Error, kMsgOk);
    return false;
  }
  const FirmwareImage& image = *load.image;
  values_[1]->setText(QString::fromStdString(AddressText(image.codeStart)));
  values_[2]->setText(QString::fromStdString(AddressText(image.codeEnd)));
  values_[3]->setText(QString::fromStdString(CodeUsedText(image, *target_)));
  values_[4]->setText(QString::fromStdString(ChecksumText(image.displaySum)));
  stateLabel_->setText(QStringLiteral("File loaded"));
  progressBar_->setRange(0, image.roundedEnd);
  progressBar_->setValue(0);
  ShowFileInformation(true);
  if (lastFile_.set) lastFile_.set(path);
  loaded_ = image;
  return true;
}

void TFirmwareUpdateForm::FileNameBtnClick() {
  const QString name = env_.CurrentDialogs().OpenFileName(
      this, {"Firmware update", kFilter, "hex", fileNameCombo_->currentText()});
  if (name.isEmpty()) return;
  fileNameCombo_->setCurrentText(name);
  LoadBtnClick();
}

void TFirmwareUpdateForm::StartBtnClick() {
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

void TFirmwareUpdateForm::FirmwareChanged() {
  if (!isVisible()) return;
  const BootProgrammer& programmer = session_.Programmer();
  const QString state = QString::fromStdString(programmer.StateText());
  // The technician hears the end of a good run from across the laundry.
  if (state != stateLabel_->text() && state == QLatin1String("Completed, OK."))
    QApplication::beep();
  stateLabel_->setText(state);
  progressBar_->setValue(static_cast<int>(programmer.Progress()));
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
  if (!last.isEmpty()) startBtn_->setFocus();
}

void TFirmwareUpdateForm::closeEvent(QCloseEvent* event) {
  // A run in progress is abandoned; the unit is not told.
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
