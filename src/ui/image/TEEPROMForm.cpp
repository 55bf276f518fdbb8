// The read/write window.
#include "ui/image/TEEPROMForm.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "core/image/ImagePacking.h"
#include "core/systemfile/Compare.h"
#include "io/AnsiQt.h"
#include "ui/common/DifferencesDialog.h"
#include "ui/common/NumberValidators.h"
#include "ui/common/StatusPanels.h"

namespace vorel {

namespace {

constexpr const char* kWriteNewSystemQuestion =
    "The editors hold a new, empty system. Writing it replaces the controller's whole "
    "configuration. Write it anyway?";

// The texts a write would drop are listed up to this many lines.
constexpr size_t kListedTexts = 20;
constexpr std::array<int, 3> kPanelWidths = {180, 130, 160};
constexpr int kButtonWidth = 110;
// A serial number is the header's unsigned 32-bit field.
constexpr NumberEditRule kSerialNumberRule{"SerialNumberEdit", 0,
                                           std::numeric_limits<uint32_t>::max()};

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setMinimumWidth(kButtonWidth);
  return button;
}

QColor LookColour(ProgressLook look, const QWidget* window) {
  switch (look) {
    case ProgressLook::kGreen:
      return QColor(0x00, 0xFF, 0x00);
    case ProgressLook::kRed:
      return QColor(0xFF, 0x00, 0x00);
    case ProgressLook::kNormal:
      break;
  }
  return window->palette().color(QPalette::Button);
}

// A long folder path may break after each separator rather than widen the window.
QString Breakable(QString path) {
  path.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
  path.replace(QLatin1Char('\\'), QStringLiteral("\\\u200B"));
  return path;
}

}  // namespace

TEEPROMForm::TEEPROMForm(Session& session, UiEnvironment& env, MainWindowLinks links,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), env_(env), links_(std::move(links)) {
  setObjectName("EEPROMForm");
  setWindowTitle(QStringLiteral("Read / write"));

  stateInfoLabel_ = new QLabel(this);
  stateInfoLabel_->setObjectName("StateInfoLabel");
  stateInfoLabel_->setAlignment(Qt::AlignCenter);
  QFont large = stateInfoLabel_->font();
  if (large.pointSizeF() > 0) {
    large.setPointSizeF(large.pointSizeF() * 2);
  } else {
    large.setPixelSize(large.pixelSize() * 2);
  }
  large.setBold(true);
  stateInfoLabel_->setFont(large);
  // "Stopped" and "Timeout!" come and go without moving the rest of the window.
  QSizePolicy keepPlace = stateInfoLabel_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  stateInfoLabel_->setSizePolicy(keepPlace);
  stateInfoLabel_->hide();

  progressLabel_ = new QLabel(this);
  progressLabel_->setObjectName("ProgessLabel");
  progressLabel_->setAlignment(Qt::AlignCenter);
  progressLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  progressLabel_->setAutoFillBackground(true);
  progressLabel_->setMinimumHeight(progressLabel_->fontMetrics().height() * 2);

  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName("ProgressBar");
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);

  backupLabel_ = new QLabel(this);
  backupLabel_->setObjectName("BackupLabel");
  backupLabel_->setWordWrap(true);
  // Room for a path of two lines, so that the note never squeezes the controls below.
  backupLabel_->setMinimumHeight(backupLabel_->fontMetrics().lineSpacing() * 2);
  backupLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  backupLabel_->setSizePolicy(keepPlace);
  backupLabel_->hide();

  auto* controller = new QGroupBox(QStringLiteral(" Controller "), this);
  controller->setObjectName("ControllerGroupBox");
  auto* controllerGrid = new QGridLayout(controller);
  serialNumberLabel_ = new QLabel(QStringLiteral("Serial number"), controller);
  serialNumberLabel_->setObjectName("SerialNumberLabel");
  serialNumberEdit_ = new QLineEdit(controller);
  serialNumberEdit_->setObjectName("SerialNumberEdit");
  serialNumberEdit_->setValidator(new NumberEditValidator(kSerialNumberRule, serialNumberEdit_));
  writeSerialNumberBtn_ = Button("Write serial", "WriteSerialNumberBtn", controller);
  loginCodeLabel_ = new QLabel(QStringLiteral("System login code"), controller);
  loginCodeLabel_->setObjectName("LoginCodeLabel");
  loginCodeEdit_ = new QLineEdit(controller);
  loginCodeEdit_->setObjectName("LoginCodeEdit");
  loginCodeEdit_->setMaxLength(static_cast<int>(image::kLoginCodeMax));
  controllerGrid->addWidget(serialNumberLabel_, 0, 0);
  controllerGrid->addWidget(serialNumberEdit_, 0, 1);
  controllerGrid->addWidget(writeSerialNumberBtn_, 0, 2);
  controllerGrid->addWidget(loginCodeLabel_, 1, 0);
  controllerGrid->addWidget(loginCodeEdit_, 1, 1);
  controllerGrid->setColumnStretch(1, 1);

  auto* progress = new QVBoxLayout;
  progress->addWidget(stateInfoLabel_);
  progress->addWidget(progressLabel_);
  progress->addWidget(progressBar_);
  progress->addWidget(backupLabel_);
  progress->addStretch(1);
  progress->addWidget(controller);

  readBtn_ = Button("Read", "ReadBtn", this);
  writeBtn_ = Button("Write", "WriteBtn", this);
  verifyBtn_ = Button("Verify", "VerifyBtn", this);
  compareBtn_ = Button("Compare...", "CompareBtn", this);
  stopBtn_ = Button("Stop", "StopBtn", this);
  closeBtn_ = Button("Close", "CloseBtn", this);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {readBtn_, writeBtn_, verifyBtn_, compareBtn_}) {
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  buttons->addWidget(stopBtn_);
  buttons->addWidget(closeBtn_);

  connect(readBtn_, &QPushButton::clicked, this, &TEEPROMForm::ReadBtnClick);
  connect(writeBtn_, &QPushButton::clicked, this, &TEEPROMForm::WriteBtnClick);
  connect(writeSerialNumberBtn_, &QPushButton::clicked, this,
          &TEEPROMForm::WriteSerialNumberBtnClick);
  connect(verifyBtn_, &QPushButton::clicked, this, &TEEPROMForm::VerifyBtnClick);
  connect(compareBtn_, &QPushButton::clicked, this, &TEEPROMForm::CompareBtnClick);
  connect(stopBtn_, &QPushButton::clicked, this, &TEEPROMForm::StopBtnClick);
  connect(closeBtn_, &QPushButton::clicked, this, &TEEPROMForm::CloseBtnClick);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(11, 11, 11, 11);
  body->setSpacing(16);
  body->addLayout(progress, 1);
  body->addLayout(buttons);

  statusBar_ = MakeStatusPanels(this, kPanelWidths, panels_);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  root->addLayout(body, 1);
  root->addWidget(statusBar_);

  observing_ = session_.Observe(*this);
  promptsAttachment_ = session_.AttachTransferPrompts(*this);
  ShowTransfer();
  UpdateButtons();
}

TEEPROMForm::~TEEPROMForm() {}

void TEEPROMForm::UpdateButtons() {
  const Session::TransferButtons buttons = session_.Buttons();
  readBtn_->setEnabled(buttons.read);
  writeBtn_->setEnabled(buttons.write);
  stopBtn_->setEnabled(buttons.stop);
  // Read is enabled exactly when the link is ready and nothing runs.
  writeSerialNumberBtn_->setEnabled(buttons.read);
  verifyBtn_->setEnabled(buttons.read && writeCompleted_);
  compareBtn_->setEnabled(session_.LastReadImage().has_value());
}

void TEEPROMForm::TransferChanged() {
  ShowTransfer();
  UpdateButtons();
}

void TEEPROMForm::ShowTransfer() {
  const ImageTransfer& transfer = session_.Transfer();
  const TransferView& view = transfer.View();
  stateInfoLabel_->setText(QString::fromStdString(view.stateInfo));
  stateInfoLabel_->setVisible(view.stateInfoVisible);
  progressLabel_->setText(Ansi::toQString(view.progress));
  QPalette palette = progressLabel_->palette();
  palette.setColor(QPalette::Window, LookColour(view.look, this));
  progressLabel_->setPalette(palette);
  progressBar_->setValue(view.bar);
  panels_[0]->setText(Ansi::toQString(view.panels[0]));
  panels_[1]->setText(Ansi::toQString(view.panels[1]));
  // Showing the window empties the action panel. It follows the transfer again once
  // blocks move or the text changes; a log reset's login check alone leaves it empty.
  const TransferState state = transfer.State();
  const bool moving = state == TransferState::kSerialRead || state == TransferState::kSerialWrite ||
                      state == TransferState::kGatewayRead || state == TransferState::kGatewayWrite;
  if (actionHidden_ && (moving || view.panels[2] != hiddenAction_)) actionHidden_ = false;
  panels_[2]->setText(actionHidden_ ? QString() : Ansi::toQString(view.panels[2]));
  // A reason longer than the panel (how far a lost write came) reads in full on hover.
  panels_[2]->setToolTip(panels_[2]->text());

  const TransferEnd end = transfer.LastEnd();
  if (end == shownEnd_) return;
  shownEnd_ = end;
  if (end == TransferEnd::kWriteCompleted) writeCompleted_ = true;
  if (end == TransferEnd::kReadCompleted) ShowReadController();
  ShowBackup();
}

void TEEPROMForm::ShowReadController() {
  const std::optional<ControllerImage>& read = session_.LastReadImage();
  if (!read) return;
  serialNumberEdit_->setText(QString::number(ReadControllerInfo(*read).serialNumber));
  if (session_.Access().master) loginCodeEdit_->setText(Ansi::toQString(LoginCodeText(*read)));
}

void TEEPROMForm::ShowBackup() {
  // Only a read completed this moment was kept; anything else hides the note.
  const ReadBackup::Kept& kept = session_.LastBackup();
  if (shownEnd_ != TransferEnd::kReadCompleted || (!kept && kept.why.empty())) {
    backupLabel_->hide();
    return;
  }
  // The io layer names the files in UTF-8.
  const QString where = QString::fromStdString(kept ? *kept : kept.why);
  backupLabel_->setText(kept ? QStringLiteral("Kept as %1").arg(Breakable(where))
                             : QStringLiteral("The read was not kept: %1").arg(where));
  backupLabel_->setToolTip(where);
  backupLabel_->show();
}

Session::WriteRequest TEEPROMForm::WriteRequestFor(uint32_t serialNumber) const {
  Session::WriteRequest request{env_.Now(), std::nullopt, serialNumber};
  if (session_.Access().master)
    request.masterCode = Ansi::fromQString(
        loginCodeEdit_->text().left(static_cast<qsizetype>(image::kLoginCodeMax)));
  return request;
}

void TEEPROMForm::ReadBtnClick() {
  // A read replaces what the editors hold.
  if (links_.askSaveChangedSystem && !links_.askSaveChangedSystem()) return;
  session_.Read(links_.loginCode ? links_.loginCode() : std::string());
}

void TEEPROMForm::WriteBtnClick() {
  // One slip right after start-up would replace a laundry's programs with nothing.
  if (session_.HoldsUntouchedNewSystem() &&
      env_.ShowLoggedMessage(this, QString::fromLatin1(kWriteNewSystemQuestion), MsgType::Warning,
                             kMsgYes | kMsgNo, kMsgNo) != kMsgYes) {
    return;
  }
  session_.Write(links_.loginCode ? links_.loginCode() : std::string(), WriteRequestFor(0));
}

void TEEPROMForm::WriteSerialNumberBtnClick() {
  bool number = false;
  uint32_t serialNumber = serialNumberEdit_->text().trimmed().toUInt(&number);
  if (!number) serialNumber = 0;
  serialNumberEdit_->setText(QString::number(serialNumber));
  session_.WriteSerial(WriteRequestFor(serialNumber));
}

void TEEPROMForm::VerifyBtnClick() {
  session_.Verify();
}

void TEEPROMForm::CompareBtnClick() {
  const std::optional<ControllerImage>& read = session_.LastReadImage();
  if (!read) return;
  const std::vector<Difference> differences =
      CompareWithController(session_.Configuration(), session_.Image().image, *read);

  ShowDifferences(this, differences,
                  {QStringLiteral("Compare with the controller"),
                   QStringLiteral("The editors hold what was last read from this controller."),
                   QStringLiteral("1 difference from what was last read from the controller."),
                   QStringLiteral("%1 differences from what was last read from the controller."),
                   {QStringLiteral("Place"), QStringLiteral("In the editors"),
                    QStringLiteral("In the controller")}});
}

void TEEPROMForm::StopBtnClick() {
  session_.StopTransfer();
}

void TEEPROMForm::CloseBtnClick() {
  session_.StopTransfer();
  close();
}

void TEEPROMForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  stateInfoLabel_->hide();
  actionHidden_ = true;
  hiddenAction_ = session_.Transfer().View().panels[2];
  panels_[2]->clear();
  backupLabel_->hide();
  const AccessFlags& access = session_.Access();
  writeSerialNumberBtn_->setVisible(access.setup);
  serialNumberEdit_->setEnabled(access.setup);
  loginCodeLabel_->setVisible(access.master);
  loginCodeEdit_->setVisible(access.master);
  loginCodeEdit_->clear();
  UpdateButtons();
}

void TEEPROMForm::closeEvent(QCloseEvent* event) {
  // A transfer never runs on behind a closed window.
  if (session_.Transfer().Busy()) session_.StopTransfer();
  QWidget::closeEvent(event);
}

void TEEPROMForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    // Escape never ends a transfer half-way; Stop or Close does.
    if (!session_.Transfer().Busy()) close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TEEPROMForm::AskUnsavedEdits() {
  return !links_.askUnsavedEdits || links_.askUnsavedEdits();
}

bool TEEPROMForm::AskWriteDroppingTexts(
    const std::vector<std::pair<std::string, std::string>>& texts) {
  QString list;
  for (size_t i = 0; i < texts.size() && i < kListedTexts; ++i)
    list += Ansi::toQString(texts[i].first) + QLatin1Char('\n');
  if (texts.size() > kListedTexts)
    list += QStringLiteral("... and %1 more\n").arg(texts.size() - kListedTexts);
  const QString count = texts.size() == 1 ? QStringLiteral("1 text does not fit")
                                          : QStringLiteral("%1 texts do not fit").arg(texts.size());
  const QString question =
      count +
      QStringLiteral(" the controller's text area and will not be written:\n%1\nWrite anyway?")
          .arg(list);
  return env_.ShowLoggedMessage(this, question, MsgType::Warning, kMsgYes | kMsgNo, kMsgNo) ==
         kMsgYes;
}

void TEEPROMForm::ShowTransferError(const std::string& text, bool abort) {
  env_.ShowLoggedMessage(this, Ansi::toQString(text), MsgType::Error, abort ? kMsgAbort : kMsgOk);
}

}  // namespace vorel
