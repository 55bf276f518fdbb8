// The login window: the code that opens protected controllers. Every opening
// starts with an empty field; closing it, by "OK" or otherwise, makes the field's
// text without blanks at either end the login code.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <functional>

namespace vorel {

class TLoginForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 251;
  static constexpr int kClientHeight = 115;

  // `takeCode`: receives the login code each time the window closes.
  TLoginForm(std::function<void(const QString& code)> takeCode, QWidget* parent = nullptr);

  void OKBtnClick() { close(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;

 private:
  void TakeCode();

  std::function<void(const QString&)> takeCode_;
  QLineEdit* codeEdit_ = nullptr;
};

}  // namespace vorel
