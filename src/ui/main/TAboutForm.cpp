// The About box.
#include "ui/main/TAboutForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/AccessLevels.h"

namespace vorel {

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle(QStringLiteral("About"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 14);
  layout->setSpacing(8);

  auto* product = new QLabel(QStringLiteral("PC tool for TL4200 dispenser system"), this);
  product->setObjectName("ProductNameLabel");
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  auto* version =
      new QLabel(QString::asprintf("Version: %d.%d", kVersionMajor, kVersionMinor), this);
  version->setObjectName("VersionLabel");
  auto* created = new QLabel(
      QStringLiteral("Created: ") + QStringLiteral(__DATE__) + "  " + QStringLiteral(__TIME__),
      this);
  created->setObjectName("CreatedLabel");
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName("CloseBtn");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  layout->addWidget(product);
  layout->addWidget(version);
  layout->addWidget(created);
  layout->addSpacing(8);
  layout->addWidget(close, 0, Qt::AlignHCenter);
  setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

}  // namespace vorel
