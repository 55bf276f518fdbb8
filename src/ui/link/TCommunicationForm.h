// The communication window, local side: the serial port of the controller's bus,
// its status and the traffic counters. The link itself lives in the session; this
// window opens and closes the port and shows what the link tells.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QWidget>
#include <array>
#include <memory>

#include "core/link/SerialPort.h"
#include "core/session/Session.h"

namespace vorel {

class TCommunicationErrorForm;

class TCommunicationForm : public QWidget, private LinkListener {
  Q_OBJECT

 public:
  // `port`: the serial port to open (a real one when none is given).
  TCommunicationForm(Session& session, std::unique_ptr<SerialPort> port, QWidget* parent = nullptr);
  ~TCommunicationForm() override;

  // The stored CommLocal and ComPort, at the first activation of the main window.
  void ApplyStoredSettings(bool commLocal, const QString& comPort);
  bool LocalChecked() const { return localBtn_->isChecked(); }
  QString ComPortText() const { return comPortCombo_->currentText(); }

  // The tick's link step and the once-a-second counters.
  void LinkTick();
  void UpdateCounters();

  // Handlers.
  bool OpenPort();
  void OpenBtnClick() { OpenPort(); }
  void CloseBtnClick();
  void LocalBtnClick() { SelectMode(true); }
  void RemoteBtnClick() { SelectMode(false); }
  void SelectMode(bool local);

  SerialPort& Port() { return *port_; }
  TCommunicationErrorForm* ErrorForm() const { return errorForm_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ChecksumError() override;
  void RenderStatus();

  Session& session_;
  std::unique_ptr<SerialPort> port_;
  QRadioButton* localBtn_ = nullptr;
  QRadioButton* remoteBtn_ = nullptr;
  QComboBox* comPortCombo_ = nullptr;
  QPushButton* openBtn_ = nullptr;
  QPushButton* closeBtn_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  QCheckBox* showChecksumErrorBtn_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QLabel*, 5> panels_{};
  TCommunicationErrorForm* errorForm_ = nullptr;
};

}  // namespace vorel
