// The About box: program, version and build date.
#pragma once

#include <QDialog>

namespace vorel {

class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutForm(QWidget* parent = nullptr);
};

}  // namespace vorel
