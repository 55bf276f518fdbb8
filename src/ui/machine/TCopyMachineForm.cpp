// The copy dialog.
#include "ui/machine/TCopyMachineForm.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/config/SystemConfiguration.h"

namespace vorel {

TCopyMachineForm::TCopyMachineForm(std::function<bool()> askUnsaved,
                                   std::function<QString(int, int)> copy, QWidget* parent)
    : QDialog(parent), askUnsaved_(std::move(askUnsaved)), copy_(std::move(copy)) {
  setObjectName("CopyMachineForm");
  setWindowTitle("Copy Machine");
  auto* root = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  fromCombo_ = new QComboBox(this);
  fromCombo_->setObjectName("CopyFromCombo");
  toCombo_ = new QComboBox(this);
  toCombo_->setObjectName("CopyToCombo");
  for (int n = 1; n <= kMachineCount; ++n) {
    fromCombo_->addItem(QString("Machine %1").arg(n));
    toCombo_->addItem(QString("Machine %1").arg(n));
  }
  toCombo_->addItem("All");
  grid->addWidget(new QLabel("Copy from", this), 0, 0);
  grid->addWidget(fromCombo_, 0, 1);
  grid->addWidget(new QLabel("Copy to", this), 1, 0);
  grid->addWidget(toCombo_, 1, 1);
  grid->setColumnStretch(1, 1);
  root->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* copyBtn = new QPushButton("Copy", this);
  copyBtn->setObjectName("CopyBtn");
  copyBtn->setAutoDefault(false);
  connect(copyBtn, &QPushButton::clicked, this, &TCopyMachineForm::CopyBtnClick);
  auto* closeBtn = new QPushButton("Close", this);
  closeBtn->setObjectName("CloseBtn");
  closeBtn->setAutoDefault(false);
  connect(closeBtn, &QPushButton::clicked, this, &TCopyMachineForm::CloseBtnClick);
  buttons->addWidget(copyBtn);
  buttons->addWidget(closeBtn);
  root->addLayout(buttons);

  status_ = new QLabel(this);
  status_->setObjectName("StatusBar");
  status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  status_->setMinimumHeight(fontMetrics().height() + 6);
  root->addWidget(status_);
  setMinimumWidth(300);
}

void TCopyMachineForm::showEvent(QShowEvent* event) {
  status_->clear();
  fromCombo_->setCurrentIndex(0);
  toCombo_->setCurrentIndex(1);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  QDialog::showEvent(event);
}

void TCopyMachineForm::CopyBtnClick() {
  if (askUnsaved_ && !askUnsaved_()) return;
  status_->setText(copy_(fromCombo_->currentIndex(), toCombo_->currentIndex()));
}

void TCopyMachineForm::CloseBtnClick() {
  close();
}

}  // namespace vorel
