// The alarm log window.
#include "ui/logs/TAlarmLogForm.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/logs/AlarmLog.h"
#include "io/AnsiQt.h"

namespace vorel {

namespace {

constexpr int kButtonWidth = 110;
// The longest history line ("48: 2012-03-05 14:07 > Trigger error, Machine: 10,
// Type= Electrolux-5xx.") and a few more fit without scrolling sideways.
constexpr int kMemoColumns = 78;
constexpr int kMemoLines = 20;

}  // namespace

TAlarmLogForm::TAlarmLogForm(Session& session, UiEnvironment& env, MainWindowLinks links,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), env_(env), links_(std::move(links)) {
  setObjectName("AlarmLogForm");
  setWindowTitle(QStringLiteral("Alarm log"));

  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo");
  memo_->setReadOnly(true);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QFontMetrics metrics(memo_->font());
  memo_->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * kMemoColumns,
                        metrics.lineSpacing() * kMemoLines);

  historyBtn_ = new QRadioButton(QStringLiteral("Alarm history"), this);
  historyBtn_->setObjectName("AlarmHistoryBtn");
  historyBtn_->setChecked(true);
  stateBtn_ = new QRadioButton(QStringLiteral("Alarm state"), this);
  stateBtn_->setObjectName("AlarmStateBtn");
  auto* views = new QButtonGroup(this);
  views->addButton(historyBtn_);
  views->addButton(stateBtn_);

  clearBtn_ = new QPushButton(QStringLiteral("Clear alarm log"), this);
  clearBtn_->setObjectName("ClearAlarmLogBtn");
  resetDoneLabel_ = new QLabel(QStringLiteral("Reset done"), this);
  resetDoneLabel_->setObjectName("AlarmResetDoneLabel");
  resetDoneLabel_->setAlignment(Qt::AlignCenter);
  QFont notice = resetDoneLabel_->font();
  notice.setBold(true);
  resetDoneLabel_->setFont(notice);
  resetDoneLabel_->hide();
  closeBtn_ = new QPushButton(QStringLiteral("Close"), this);
  closeBtn_->setObjectName("CloseBtn");
  for (QPushButton* button : {clearBtn_, closeBtn_}) button->setMinimumWidth(kButtonWidth);

  auto* side = new QVBoxLayout;
  side->addWidget(historyBtn_);
  side->addWidget(stateBtn_);
  side->addStretch(1);
  side->addWidget(resetDoneLabel_);
  side->addWidget(clearBtn_);
  side->addSpacing(8);
  side->addWidget(closeBtn_);
  auto* root = new QHBoxLayout(this);
  root->setContentsMargins(11, 11, 11, 11);
  root->setSpacing(12);
  root->addWidget(memo_, 1);
  root->addLayout(side);

  connect(historyBtn_, &QRadioButton::clicked, this, &TAlarmLogForm::AlarmTypeBtnClick);
  connect(stateBtn_, &QRadioButton::clicked, this, &TAlarmLogForm::AlarmTypeBtnClick);
  connect(clearBtn_, &QPushButton::clicked, this, &TAlarmLogForm::ClearAlarmLogBtnClick);
  connect(closeBtn_, &QPushButton::clicked, this, &TAlarmLogForm::CloseBtnClick);

  observing_ = session_.Observe(*this);
  UpdateResetButton();
}

TAlarmLogForm::~TAlarmLogForm() {}

void TAlarmLogForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  resetDoneLabel_->hide();
  historyBtn_->setChecked(true);
  RefreshAlarmView();
  UpdateResetButton();
}

void TAlarmLogForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TAlarmLogForm::RefreshAlarmView() {
  if (!isVisible()) return;
  const ControllerImage& image = session_.Image().image;
  const std::vector<std::string> lines =
      historyBtn_->isChecked() ? AlarmHistoryLines(image) : AlarmStateLines(image);
  QStringList text;
  for (const std::string& line : lines) text << Ansi::toQString(line);
  memo_->setPlainText(text.join(QLatin1Char('\n')));
}

void TAlarmLogForm::AlarmLogCleared() {
  // The session has zeroed the history in the image; the state bytes stay.
  RefreshAlarmView();
  resetDoneLabel_->show();
}

void TAlarmLogForm::UpdateResetButton() {
  // A clear starts with the login code check, which waits for a transfer to end.
  clearBtn_->setEnabled(session_.LogResetAllowed() && !session_.Transfer().Busy());
}

void TAlarmLogForm::ClearAlarmLogBtnClick() {
  resetDoneLabel_->hide();
  ConfirmLogReset(session_, env_, this, links_,
                  {QStringLiteral("Reset alarm log\n\nAre you sure?"),
                   QStringLiteral("Unable to reset alarm log\n\nSystem not connected.")},
                  [this] { return session_.SendAlarmLogClear(); });
  UpdateResetButton();
}

}  // namespace vorel
