// The remote login window.
#include "ui/link/TRemoteLoginForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "core/base/Numbers.h"
#include "io/AnsiQt.h"
#include "ui/common/Dialogs.h"

namespace vorel {

namespace {

constexpr int kColumns = 5;
constexpr int kNameColumn = 2;
constexpr int kSerialColumn = 1;
// The widths of the other columns; the name takes the rest.
constexpr int kFixedWidths[kColumns] = {40, 50, 0, 75, 140};
constexpr int kLoginHeight = 200;
constexpr int kListHeight = 600;
constexpr int kListTop = 10;
constexpr int kListGroupHeight = 503;
constexpr int kScreenMargin = 50;
constexpr int kWidth = 560;
// Login mode: two fields and the buttons.
constexpr int kLoginWidth = 380;

}  // namespace

TRemoteLoginForm::TRemoteLoginForm(QWidget* parent) : QDialog(parent) {
  setObjectName("RemoteLoginForm");
  setWindowTitle(QStringLiteral("Remote login"));
  setModal(true);
  auto* root = new QVBoxLayout(this);

  auto* fields = new QGridLayout;
  userNameLabel_ = new QLabel(QStringLiteral("User name"), this);
  userNameLabel_->setObjectName("UserNameLabel");
  userNameEdit_ = new QLineEdit(this);
  userNameEdit_->setObjectName("UserNameEdit");
  passwordLabel_ = new QLabel(QStringLiteral("Password"), this);
  passwordLabel_->setObjectName("PasswordLabel");
  passwordEdit_ = new QLineEdit(this);
  passwordEdit_->setObjectName("PasswordEdit");
  passwordEdit_->setEchoMode(QLineEdit::Password);
  fields->addWidget(userNameLabel_, 0, 0);
  fields->addWidget(userNameEdit_, 0, 1);
  fields->addWidget(passwordLabel_, 1, 0);
  fields->addWidget(passwordEdit_, 1, 1);
  userNameLabel_->setBuddy(userNameEdit_);
  passwordLabel_->setBuddy(passwordEdit_);
  root->addLayout(fields);

  systemGridGroupBox_ = new QGroupBox(QStringLiteral(" Dispenser systems "), this);
  systemGridGroupBox_->setObjectName("SystemGridGroupBox");
  systemGridGroupBox_->setMinimumHeight(kListGroupHeight);
  auto* gridBox = new QVBoxLayout(systemGridGroupBox_);
  systemsStringGrid_ = new QTableWidget(systemGridGroupBox_);
  systemsStringGrid_->setObjectName("SystemsStringGrid");
  systemsStringGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  systemsStringGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
  systemsStringGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  systemsStringGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  systemsStringGrid_->verticalHeader()->hide();
  systemsStringGrid_->installEventFilter(this);
  connect(systemsStringGrid_, &QTableWidget::cellDoubleClicked, this,
          &TRemoteLoginForm::OKbtnClick);
  gridBox->addWidget(systemsStringGrid_);
  root->addWidget(systemGridGroupBox_, 1);
  root->addStretch(0);  // the login fields stay at the top

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("OKbtn");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TRemoteLoginForm::OKbtnClick);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName("CancelBtn");
  connect(cancel, &QPushButton::clicked, this, &TRemoteLoginForm::CancelBtnClick);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  root->addLayout(buttons);

  ClearSystemList();
  resize(kLoginWidth, kLoginHeight);
}

void TRemoteLoginForm::ClearSystemList() {
  systemsStringGrid_->clear();
  systemsStringGrid_->setColumnCount(kColumns);
  systemsStringGrid_->setRowCount(1);
  systemsStringGrid_->setHorizontalHeaderLabels(
      {" No.", " Serial", " System name", " In use", " IP address"});
  systemsStringGrid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft);
  for (int column = 0; column < kColumns; ++column) {
    if (column != kNameColumn) systemsStringGrid_->setColumnWidth(column, kFixedWidths[column]);
  }
  systemCount_ = 0;
  FitNameColumn();
}

void TRemoteLoginForm::AddSystem(const GatewaySystem& system) {
  int row = systemsStringGrid_->rowCount() - 1;
  const QTableWidgetItem* first = systemsStringGrid_->item(row, 0);
  if (first && !first->text().isEmpty()) systemsStringGrid_->setRowCount(++row + 1);
  const QString cells[kColumns] = {QString::asprintf("%4d", row + 1),
                                   Ansi::toQString(system.serial), Ansi::toQString(system.name),
                                   Ansi::toQString(system.inUse), Ansi::toQString(system.address)};
  for (int column = 0; column < kColumns; ++column)
    systemsStringGrid_->setItem(row, column, new QTableWidgetItem(cells[column]));
  if (systemCount_ == 0 && system.inUse == gateway::kFree) {
    selectedSerial_ = system.serial;
    selectedName_ = system.name;
  }
  ++systemCount_;
}

void TRemoteLoginForm::FitNameColumn() {
  int others = 0;
  for (int column = 0; column < kColumns; ++column) {
    if (column != kNameColumn) others += kFixedWidths[column];
  }
  systemsStringGrid_->setColumnWidth(
      kNameColumn, std::max(60, systemsStringGrid_->viewport()->width() - others - 4));
}

void TRemoteLoginForm::ShowModal(Mode mode) {
  mode_ = mode;
  exec();
}

void TRemoteLoginForm::showEvent(QShowEvent* event) {
  confirmed_ = false;
  selectedSerial_.clear();
  selectedName_.clear();
  login_.reset();
  const bool list = mode_ == Mode::kList;
  for (QWidget* field : std::initializer_list<QWidget*>{userNameLabel_, userNameEdit_,
                                                        passwordLabel_, passwordEdit_})
    field->setVisible(!list);
  systemGridGroupBox_->setVisible(list);
  // The layout takes the fields' or the list's size first: without that a login after
  // the list kept the list's height.
  layout()->invalidate();
  layout()->activate();
  if (list) {
    resize(kWidth, kListHeight);
  } else {
    resize(std::max(kLoginWidth, minimumSizeHint().width()),
           std::max(kLoginHeight, minimumSizeHint().height()));
  }
  if (list) {
    systemsStringGrid_->setCurrentCell(0, 0);
    systemsStringGrid_->setFocus();
    // The list stays clear of the screen's bottom edge.
    if (const QScreen* screen = this->screen()) {
      const int limit = screen->geometry().height() - kScreenMargin;
      if (frameGeometry().bottom() > limit)
        move(x(), std::max(0, limit - frameGeometry().height()));
    }
  } else {
    userNameEdit_->setFocus();
  }
  QDialog::showEvent(event);
}

void TRemoteLoginForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FitNameColumn();
}

void TRemoteLoginForm::OKbtnClick() {
  if (mode_ == Mode::kList) {
    const int row = systemsStringGrid_->currentRow();
    if (row < 0 || row >= systemCount_) return;
    const QTableWidgetItem* serial = systemsStringGrid_->item(row, kSerialColumn);
    const std::optional<int32_t> number =
        serial ? ParseInt32(serial->text().toStdString()) : std::nullopt;
    if (!number || *number < 0) return;
    selectedSerial_ = Ansi::fromQString(serial->text());
    const QTableWidgetItem* name = systemsStringGrid_->item(row, kNameColumn);
    selectedName_ = name ? Ansi::fromQString(name->text()) : std::string();
  }
  confirmed_ = true;
  accept();
}

void TRemoteLoginForm::done(int result) {
  if (mode_ == Mode::kLogin && confirmed_)
    login_ = GatewayLogin{Ansi::fromQString(userNameEdit_->text()),
                          Ansi::fromQString(passwordEdit_->text())};
  // The password lives no longer than the window.
  passwordEdit_->clear();
  QDialog::done(result);
}

std::optional<GatewayLogin> TRemoteLoginForm::TakeLogin() {
  std::optional<GatewayLogin> login = std::move(login_);
  login_.reset();
  return login;
}

bool TRemoteLoginForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == systemsStringGrid_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OKbtnClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::optional<GatewayLogin> RemoteLoginPrompts::AskLogin() {
  form_.ShowModal(TRemoteLoginForm::Mode::kLogin);
  return form_.TakeLogin();
}

std::optional<GatewaySystem> RemoteLoginPrompts::AskSystem(
    const std::vector<GatewaySystem>& systems) {
  form_.ClearSystemList();
  for (const GatewaySystem& system : systems) form_.AddSystem(system);
  form_.ShowModal(TRemoteLoginForm::Mode::kList);
  if (!form_.Confirmed()) return std::nullopt;
  for (const GatewaySystem& system : systems) {
    if (system.serial == form_.SelectedSerial()) return system;
  }
  return GatewaySystem{form_.SelectedSerial(), form_.SelectedName(), {}, {}};
}

void RemoteLoginPrompts::CloseQuestion() {
  if (form_.isVisible()) form_.reject();
}

bool RemoteLoginPrompts::AskRetryLogin() {
  return env_.ShowLoggedMessage(nullptr, QStringLiteral("Invalid user name or password"),
                                MsgType::Error, kMsgRetry | kMsgCancel) == kMsgRetry;
}

}  // namespace vorel
