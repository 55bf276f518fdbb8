// The login window.
#include "ui/main/TLoginForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorel {

TLoginForm::TLoginForm(std::function<void(const QString& code)> takeCode, QWidget* parent)
    : QDialog(parent), takeCode_(std::move(takeCode)) {
  setObjectName("LoginForm");
  setWindowTitle(QStringLiteral("Login"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Login code"), this));
  codeEdit_ = new QLineEdit(this);
  codeEdit_->setObjectName("CodeEdit");
  layout->addWidget(codeEdit_);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("OKBtn");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TLoginForm::OKBtnClick);
  layout->addWidget(ok, 0, Qt::AlignRight);
  setFixedSize(std::max(kClientWidth, sizeHint().width()),
               std::max(kClientHeight, sizeHint().height()));
}

void TLoginForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  codeEdit_->clear();
  codeEdit_->setFocus();
}

void TLoginForm::TakeCode() {
  if (takeCode_) takeCode_(codeEdit_->text().trimmed());
}

void TLoginForm::closeEvent(QCloseEvent* event) {
  TakeCode();
  QDialog::closeEvent(event);
}

void TLoginForm::done(int result) {
  // Escape and Enter end a dialog without a close event: the code is taken too.
  if (isVisible()) TakeCode();
  QDialog::done(result);
}

}  // namespace vorel
