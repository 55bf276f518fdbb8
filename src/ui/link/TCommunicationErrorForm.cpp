// The communication error window.
#include "ui/link/TCommunicationErrorForm.h"

#include <QGridLayout>
#include <QPushButton>

namespace vorel {

TCommunicationErrorForm::TCommunicationErrorForm(std::function<void()> reset, QWidget* parent)
    : QDialog(parent), reset_(std::move(reset)) {
  setObjectName("CommunicationErrorForm");
  setWindowTitle(QStringLiteral("Warning, communication error"));
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* grid = new QGridLayout(this);
  retryLabel_ = new QLabel(QStringLiteral("0"), this);
  retryLabel_->setObjectName("RetryCountLabel");
  checksumLabel_ = new QLabel(QStringLiteral("0"), this);
  checksumLabel_->setObjectName("ChecksumErrorCountLabel");
  grid->addWidget(new QLabel(QStringLiteral("Re-try count"), this), 0, 0);
  grid->addWidget(retryLabel_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Checksum error count:"), this), 1, 0);
  grid->addWidget(checksumLabel_, 1, 1);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName("CloseBtn");
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  grid->addWidget(close, 2, 1, Qt::AlignRight);
}

void TCommunicationErrorForm::ShowCounts(uint32_t retries, uint32_t checksumErrors) {
  retryLabel_->setText(QString::number(retries));
  checksumLabel_->setText(QString::number(checksumErrors));
}

void TCommunicationErrorForm::done(int result) {
  if (reset_) reset_();
  ShowCounts(0, 0);
  QDialog::done(result);
}

}  // namespace vorel
