// The remote login window: the gateway user name and password (login mode), or
// the dispenser systems the gateway listed, to pick one (list mode). Always shown
// modally; the communication window reads the result afterwards.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <optional>
#include <vector>

#include "core/link/Gateway.h"
#include "core/link/RemoteLink.h"

namespace vorel {

class TRemoteLoginForm : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { kLogin, kList };

  explicit TRemoteLoginForm(QWidget* parent = nullptr);

  // Five columns, the header and one empty row.
  void ClearSystemList();
  void AddSystem(const GatewaySystem& system);

  // Shows the window modally in that mode; the results below are read afterwards.
  void ShowModal(Mode mode);
  bool Confirmed() const { return confirmed_; }
  const std::string& SelectedSerial() const { return selectedSerial_; }
  const std::string& SelectedName() const { return selectedName_; }
  int SystemCount() const { return systemCount_; }
  // The typed login; the password field empties as the window closes, so it is
  // read here, once, before that.
  std::optional<GatewayLogin> TakeLogin();

  void OKbtnClick();
  void CancelBtnClick() { reject(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FitNameColumn();

  Mode mode_ = Mode::kLogin;
  bool confirmed_ = false;
  std::string selectedSerial_;
  std::string selectedName_;
  int systemCount_ = 0;
  std::optional<GatewayLogin> login_;
  QLabel* userNameLabel_ = nullptr;
  QLineEdit* userNameEdit_ = nullptr;
  QLabel* passwordLabel_ = nullptr;
  QLineEdit* passwordEdit_ = nullptr;
  QGroupBox* systemGridGroupBox_ = nullptr;
  QTableWidget* systemsStringGrid_ = nullptr;
};

// The remote link's prompts through this window and the logged message routine.
class UiEnvironment;
class RemoteLoginPrompts final : public RemotePrompts {
 public:
  RemoteLoginPrompts(TRemoteLoginForm& form, UiEnvironment& env) : form_(form), env_(env) {}
  std::optional<GatewayLogin> AskLogin() override;
  std::optional<GatewaySystem> AskSystem(const std::vector<GatewaySystem>& systems) override;
  bool AskRetryLogin() override;
  // The connection went: an open login or list closes as if cancelled.
  void CloseQuestion() override;

 private:
  TRemoteLoginForm& form_;
  UiEnvironment& env_;
};

}  // namespace vorel
