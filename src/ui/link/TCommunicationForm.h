// The communication window: the serial port of the controller's bus, its status
// and the traffic counters, and the gateway's connection. The link, the port and
// the socket belong to the session; this window asks it to open, close and choose,
// and shows what it tells.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "core/link/SerialPort.h"
#include "core/session/Session.h"
#include "io/QtPortSource.h"
#include "ui/common/Dialogs.h"

namespace vorel {

class TCommunicationErrorForm;
class TRemoteLoginForm;
class RemoteLoginPrompts;

class TCommunicationForm : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  TCommunicationForm(Session& session, UiEnvironment& env, QWidget* parent = nullptr);
  ~TCommunicationForm() override;

  // The stored CommLocal, ComPort and GatewayServer, at the first activation of the
  // main window.
  void ApplyStoredSettings(bool commLocal, const QString& comPort,
                           const QString& gatewayServer = {});
  bool LocalChecked() const { return localBtn_->isChecked(); }
  QString ComPortText() const { return comPortCombo_->currentText(); }
  QString GatewayServerText() const { return gatewayServerCombo_->currentText(); }

  // The once-a-second counters.
  void UpdateCounters();
  // The gateway socket's error, shown once the socket's event is over.
  void ShowSocketError(const QString& text);

  // Handlers.
  bool OpenPort();
  void OpenBtnClick() { OpenPort(); }
  void CloseBtnClick();
  void LocalBtnClick() { SelectMode(true); }
  void RemoteBtnClick() { SelectMode(false); }
  void SelectMode(bool local);
  void RemoteConnectBtnClick();

  TCommunicationErrorForm* ErrorForm() const { return errorForm_; }
  TRemoteLoginForm* RemoteLoginWindow() const { return remoteLoginForm_; }
  // The port search's result: "None", then the adapters found; the edit text stays.
  void SetPortList(const std::vector<PortCandidate>& ports);
  // Looks for adapters again (at creation, then every few seconds while shown).
  void SearchPorts(PortSearch::Kind kind);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ChecksumErrorCounted() override;
  void LinkStateChanged() override;
  void RenderStatus();
  void RenderRemote();

  Session& session_;
  UiEnvironment& env_;
  QRadioButton* localBtn_ = nullptr;
  QRadioButton* remoteBtn_ = nullptr;
  QComboBox* comPortCombo_ = nullptr;
  QPushButton* openBtn_ = nullptr;
  QPushButton* searchPortsBtn_ = nullptr;
  QPushButton* closeBtn_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  QCheckBox* showChecksumErrorBtn_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QLabel*, 5> panels_{};
  TCommunicationErrorForm* errorForm_ = nullptr;
  QComboBox* gatewayServerCombo_ = nullptr;
  QPushButton* remoteConnectBtn_ = nullptr;
  QLabel* remoteStateLabel_ = nullptr;
  QLabel* remoteNameLabel1_ = nullptr;
  QLabel* remoteNameLabel2_ = nullptr;
  QLabel* remoteAddressLabel_ = nullptr;
  QLabel* remoteAccessLabel_ = nullptr;
  TRemoteLoginForm* remoteLoginForm_ = nullptr;
  std::unique_ptr<RemoteLoginPrompts> prompts_;
  Attachment promptsAttachment_;
  Attachment observing_;
  PortSearch* portSearch_ = nullptr;
  QTimer* rescan_ = nullptr;
  QString advisedDevice_;
};

}  // namespace vorel
