// The system setup window: the machines that exist, the system name and input
// filter, the alarm routing and recipients, what the controller told of itself,
// manual control of its outputs, machine reset and the Ethernet trigger monitor.
// Its rules live in the core (SystemSetup, Session); the window shows them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <array>
#include <functional>

#include "core/session/Session.h"

namespace vorel {

class TSystemSetupForm : public QWidget, private SessionObserver {
  Q_OBJECT

 public:
  TSystemSetupForm(Session& session, QWidget* parent = nullptr);
  ~TSystemSetupForm() override;

  // The main window's machine entries follow the machine boxes.
  void SetMachinesChanged(std::function<void()> changed) { machinesChanged_ = std::move(changed); }

  // The controls from the configuration and the image.
  void RefreshFromImage();

  // Handlers.
  void MachineBtnClick(int machine);
  void PumpOnBtnClick(int pump);
  void PumpControlBtnClick(int pump);
  void MachineOnBtnClick(int machine);
  void MachineControlBtnClick(int machine);
  void OutputOnBtnClick(ManualOutput output);
  void OutputControlBtnClick(ManualOutput output);
  void GroupAlarmBtnClick();
  void ResetMachineBtnClick();
  void PageControlChange();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void StatusReportReceived(const StatusReport& report) override;
  void ConfigurationCleared() override;
  void ConfigurationReplaced() override { RefreshFromImage(); }
  void ImageChanged() override { RefreshFromImage(); }
  void LinkStateChanged() override;
  void GatewayStatusReceived(const GatewayStatus& status) override;
  void MachineResetDone() override { resetOkLabel_->show(); }
  void EthernetMonitorReport(std::span<const uint8_t> message);
  QWidget* BuildMainPage();
  QWidget* BuildAlarmPage();
  QWidget* BuildSoapPage();
  QWidget* BuildTestPage();
  QWidget* BuildMonitorPage();
  void StoreEdits();
  // The group 0 boxes follow groups 1 and 2.
  void ApplyGroupRule();
  void ResetManualControl();
  void RenderManual();
  void UpdateResetControls();

  Session& session_;
  Attachment observing_;
  std::function<void()> machinesChanged_;
  class MonitorListener;
  std::unique_ptr<MonitorListener> monitor_;
  Attachment monitorListening_;
  bool refreshing_ = false;

  QTabWidget* pages_ = nullptr;
  std::array<QCheckBox*, kMachineCount> machineBtns_{};
  QLineEdit* systemNameEdit_ = nullptr;
  QLineEdit* filterEdit_ = nullptr;
  QLabel* serialLabel_ = nullptr;
  QLabel* hardwareLabel_ = nullptr;
  QLabel* firmwareLabel_ = nullptr;
  QLabel* watchLabel_ = nullptr;
  std::array<std::array<QCheckBox*, 5>, 3> groupBtns_{};
  std::array<QLineEdit*, kRecipientCount> recipientEdits_{};
  QCheckBox* commonBtn_ = nullptr;
  std::array<QCheckBox*, kAlarmLevelInputs> levelBtns_{};
  QCheckBox* extraBtn_ = nullptr;
  std::array<QPushButton*, manual::kPumps> pumpOnBtns_{};
  std::array<QCheckBox*, manual::kPumps> pumpControlBtns_{};
  std::array<QPushButton*, manual::kMachines> machineOnBtns_{};
  std::array<QCheckBox*, manual::kMachines> machineControlBtns_{};
  std::array<QPushButton*, 3> outputOnBtns_{};
  std::array<QCheckBox*, 3> outputControlBtns_{};
  QComboBox* resetCombo_ = nullptr;
  QPushButton* resetBtn_ = nullptr;
  QLabel* resetOkLabel_ = nullptr;
  QCheckBox* soapAlarmBtn_ = nullptr;
  std::array<QLineEdit*, 12> soapEdits_{};  // alarm amounts 1..6, used amounts 1..6
  QCheckBox* monitorBtn_ = nullptr;
  QPlainTextEdit* monitorMemo_ = nullptr;
};

}  // namespace vorel
