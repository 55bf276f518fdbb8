// The pump calibration dialog.
#include "ui/machine/TCalibrationForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "core/base/Numbers.h"

namespace vorel {

namespace {
constexpr uint32_t kRunningGreen = 0x00FF00;
}  // namespace

TCalibrationForm::TCalibrationForm(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("CalibrationForm");
  setWindowTitle(QStringLiteral("Pump calibration"));
  setModal(true);
  observing_ = session_.Observe(*this);
  auto* root = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const auto edit = [this](const char* name) {
    auto* line = new QLineEdit(this);
    line->setObjectName(QString::fromLatin1(name));
    line->setMaximumWidth(90);
    return line;
  };
  testTimeEdit_ = edit("CurrentCalibrationEdit");
  currentEdit_ = edit("MeassuredVolumeEdit");
  currentEdit_->setEnabled(false);
  newEdit_ = edit("NewCalibrationEdit");
  hintLabel_ = new QLabel(QStringLiteral("(15..60 sec.)"), this);
  hintLabel_->setObjectName("HintLabel");
  grid->addWidget(new QLabel(QStringLiteral("Calibration time [sec.]"), this), 0, 0);
  grid->addWidget(testTimeEdit_, 0, 1);
  grid->addWidget(hintLabel_, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Current calibration volume [ml]"), this), 1, 0);
  grid->addWidget(currentEdit_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("New calibation volume [ml]"), this), 2, 0);
  grid->addWidget(newEdit_, 2, 1);
  grid->setColumnStretch(2, 1);
  root->addLayout(grid);

  auto* status = new QHBoxLayout;
  runningLabel_ = new QLabel(QStringLiteral("Test running..."), this);
  runningLabel_->setObjectName("TestRunningLabel");
  runningLabel_->setAutoFillBackground(true);
  QPalette palette = runningLabel_->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(kRunningGreen));
  runningLabel_->setPalette(palette);
  timerLabel_ = new QLabel(this);
  timerLabel_->setObjectName("TestTimerLabel");
  // The labels keep their room while hidden, so the dialog does not jump.
  for (QLabel* label : {runningLabel_, timerLabel_, hintLabel_}) {
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
  }
  status->addWidget(runningLabel_);
  status->addWidget(timerLabel_);
  status->addStretch(1);
  root->addLayout(status);
  auto* range =
      new QLabel(QStringLiteral("The controller stores 24..6000 ml/min (0 = off)."), this);
  range->setObjectName("CalibrationRangeLabel");
  root->addWidget(range);
  // Why a test stopped or was not started, or why OK took nothing.
  stoppedLabel_ = new QLabel(this);
  stoppedLabel_->setObjectName("TestStoppedLabel");
  stoppedLabel_->setWordWrap(true);
  stoppedLabel_->hide();
  root->addWidget(stoppedLabel_);

  auto* buttons = new QHBoxLayout;
  auto* start = new QPushButton(QStringLiteral("F2: Start test"), this);
  start->setObjectName("StartTestBtn");
  start->setAutoDefault(false);
  connect(start, &QPushButton::clicked, this, &TCalibrationForm::StartTestBtnClick);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("OKBtn");
  connect(ok, &QPushButton::clicked, this, &TCalibrationForm::OKBtnClick);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName("CancelBtn");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(start);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  root->addLayout(buttons);
}

std::optional<std::string> TCalibrationForm::Calibrate(int pump, int machineIndex,
                                                       int currentMlPerMinute,
                                                       const QWidget* machineWindow) {
  if (isVisible() || pump < 1 || pump > manual::kPumps || machineIndex < 0 ||
      machineIndex >= manual::kMachines) {
    return std::nullopt;
  }
  session_.OpenCalibration(pump, machineIndex);
  setWindowTitle(QString("Pump %1 calibration").arg(pump));
  currentEdit_->setText(QString::number(currentMlPerMinute));
  adjustSize();
  if (machineWindow) {
    const QRect frame = machineWindow->frameGeometry();
    move(frame.left() + (frame.width() - frameGeometry().width()) / 2, frame.top());
  }
  exec();
  if (!accepted_) return std::nullopt;
  return std::to_string(mlPerMinute_);
}

void TCalibrationForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  testTimeEdit_->setText(QString::number(calibration::kDefaultTestSeconds));
  newEdit_->clear();
  accepted_ = false;
  stoppedLabel_->hide();
  runningLabel_->hide();
  timerLabel_->hide();
  hintLabel_->hide();
  testTimeEdit_->setFocus();
}

void TCalibrationForm::Say(const QString& text) {
  stoppedLabel_->setText(text);
  stoppedLabel_->show();
  adjustSize();  // room for the text, however it wraps
}

void TCalibrationForm::StartTestBtnClick() {
  // Manual control reaches the controller over the serial link only; over the gateway
  // a countdown would show a test that never runs.
  if (!session_.LocalMode()) {
    Say(
        QStringLiteral("The test runs over the serial link only: choose Local in the "
                       "communication window."));
    return;
  }
  const int seconds =
      StrToIntDef(testTimeEdit_->text().toStdString(), calibration::kDefaultTestSeconds);
  testTimeEdit_->setText(QString::number(seconds));
  if (!session_.StartCalibration(seconds)) {
    Say(QStringLiteral("The test time is 15..60 s."));
    return;
  }
  stoppedLabel_->hide();
  runningLabel_->show();
  hintLabel_->hide();
}

void TCalibrationForm::CalibrationStopped(const std::string& why) {
  runningLabel_->hide();
  timerLabel_->hide();
  stoppedLabel_->setText(QString::fromStdString(why));
  stoppedLabel_->show();
}

void TCalibrationForm::CalibrationTicked(bool pumpStopped) {
  const CalibrationTest& test = session_.Calibration();
  if (test.Testing()) {
    timerLabel_->setText(QString::fromStdString(test.RemainingText()));
    timerLabel_->show();
  }
  if (pumpStopped) {
    runningLabel_->hide();
    timerLabel_->hide();
    if (isVisible()) newEdit_->setFocus();
    hintLabel_->show();
  }
}

void TCalibrationForm::OKBtnClick() {
  // Enter lands here from the test time edit too: without a volume nothing is taken.
  if (newEdit_->text().trimmed().isEmpty()) {
    Say(QStringLiteral("Type the volume the pump delivered first."));
    newEdit_->setFocus();
    return;
  }
  measuredMl_ = StrToIntDef(newEdit_->text().toStdString(), 0);
  testSeconds_ = StrToIntDef(testTimeEdit_->text().toStdString(), calibration::kOkFallbackSeconds);
  const std::optional<int> result = AcceptedMlPerMinute(testSeconds_, measuredMl_);
  if (!result) {
    Say(QString("%1 ml in %2 s is no calibration the controller stores: measure again.")
            .arg(measuredMl_)
            .arg(testSeconds_));
    return;
  }
  mlPerMinute_ = *result;
  accepted_ = true;
  accept();
}

void TCalibrationForm::done(int result) {
  // However the dialog closes, a running pump stops at once.
  session_.CloseCalibration();
  QDialog::done(result);
}

void TCalibrationForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F2) {
    StartTestBtnClick();
    return;
  }
  QDialog::keyPressEvent(event);  // Escape rejects
}

}  // namespace vorel
