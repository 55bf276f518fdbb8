// The main window: a thin bar with the menus and the status bar. It owns the
// configuration, the controller image and every other window, runs the single
// 100 ms timer and carries out the commands that act on the whole system.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <array>

#include "core/app/AccessLevels.h"
#include "core/app/StoredSettings.h"
#include "core/session/Session.h"
#include "ui/common/Dialogs.h"
#include "ui/machine/MachineHost.h"

class QAction;
class QMenu;

namespace vorel {

class TAboutForm;
class TCalibrationForm;
class TFirmwareUpdateForm;
struct FirmwareTarget;
class TCommunicationForm;
class TEEPROMForm;
class TLogDataForm;
class TAlarmLogForm;
class TSystemSetupForm;
class TOverviewForm;
class TBackupsForm;
class TLoginForm;
class TCopyMachineForm;
class TMachineForm;

class TMainForm : public QMainWindow,
                  public MachineHost,
                  private TickHooks,
                  private SessionObserver {
  Q_OBJECT

 public:
  static constexpr int kDesignWidth = 937;
  static constexpr int kDesignHeight = 84;
  static constexpr int kTimerIntervalMs = 100;

  // `session`: the program's, with its serial port and gateway socket attached;
  // `arguments`: the command-line arguments after the program name.
  TMainForm(Session& session, const QStringList& arguments, UiEnvironment& environment,
            QWidget* parent = nullptr);
  ~TMainForm() override;

  Session& CurrentSession() { return session_; }
  const SystemConfiguration& Configuration() const { return session_.Configuration(); }
  const ImageState& Image() const { return session_.Image(); }
  bool ImageValid() const { return session_.Image().ImageValid; }
  bool SetupFlag() const { return session_.Access().setup; }
  bool MasterFlag() const { return session_.Access().master; }
  TMachineForm* MachineWindow(int machineIndex) const { return machineForms_[machineIndex]; }
  TCopyMachineForm* CopyMachineWindow() const { return copyMachineForm_; }
  TCommunicationForm* CommunicationWindow() const { return communicationForm_; }
  TSystemSetupForm* SystemSetupWindow() const { return systemSetupForm_; }
  TOverviewForm* OverviewWindow() const { return overviewForm_; }
  TBackupsForm* BackupsWindow() const { return backupsForm_; }
  TEEPROMForm* ReadWriteWindow() const { return readWriteForm_; }
  TLogDataForm* LogDataWindow() const { return logDataForm_; }
  TAlarmLogForm* AlarmLogWindow() const { return alarmLogForm_; }

  // What the machine windows and program editors need.
  UiEnvironment& Ui() override { return env_; }
  const MachineSettings& Machine(int machineIndex) const override {
    return session_.Configuration().MachineData[machineIndex];
  }
  void EditMachine(int machineIndex, const MachineChange& change, bool byTechnician) override;
  std::optional<std::string> RunCalibration(int pump, int machineIndex, int currentMlPerMinute,
                                            const QWidget* machineWindow) override;
  TCalibrationForm* CalibrationWindow() const { return calibrationForm_; }
  TFirmwareUpdateForm* FirmwareWindow() const { return firmwareForm_; }
  void FirmwareUpdateMQ350BtnClick();
  void FirmwareUpdateTriggerBtnClick();
  const ProgramRecord& StoredProgram(int machineIndex, int slotIndex) const override;
  std::string DefaultInputFilter() const override {
    return session_.Configuration().PCsettings.DefaultInputFilter;
  }
  const ProgramRecord* CopiedProgram() const override { return copiedProgram_; }
  void SetCopiedProgram(const ProgramRecord* program) override { copiedProgram_ = program; }
  void StoreProgram(int machineIndex, int slotIndex, const ProgramChange& change) override;

  // The configuration changed since the last New, Load or Save, or an editor holds
  // unsaved edits.
  bool SystemDataChanged() const;
  // "Unsaved program data, update before save?": false when the operator cancelled.
  bool AskUnsavedEdits();
  // Packs the image from the configuration with the PC's local time.
  void PackImage();
  const OperatorSettings& Settings() const { return settings_; }
  QString LastSystemFileName() const {
    return QString::fromStdString(settings_.lastSystemFileName);
  }
  bool FirstActivationDone() const { return firstActivationDone_; }
  QLabel* StatusPanel(int index) const { return statusPanels_[index]; }

  void UpdateCaption();
  void UpdateStatusBar();

  // Menu handlers.
  void NewSystemBtnClick();
  void LoadSystemBtnClick();
  // Load without the dialog: the command line's file, and the dialog's choice.
  // `remember` false: the file is not kept as the one Save offers (a backup).
  void LoadSystemFromFile(const QString& fileName, bool remember = true);
  // The Save command; true when the file was written.
  bool SaveSystemBtnClick();
  void CopyMachine1Click();
  void Communication1Click();
  void Systemsetup1Click();
  void OverviewBtnClick();
  void BackupsBtnClick();
  void ReadWriteSystemDataBtnClick();
  void LogDataBtnClick();
  void AlarmLogBtnClick();
  void LoginBtnClick();
  TLoginForm* LoginWindow() const { return loginForm_; }
  void MachineBtnClick(int tag);
  void ClearMachineBtnClick(int tag);  // 1..10 one machine, 11 all
  void HelpBtnClick();
  void ExitBtnClick();

  // One tick of the 100 ms timer. The timer does not run when the environment
  // steps the ticks itself (the window tests).
  void MainTimer100ms();

 signals:
  void FirstActivationCompleted();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildStatusBar();
  void FormActivate();
  void RestoreSettings();
  void StoreSettings();
  void UpdateMachineMenu();
  // What the session tells.
  void ConfigurationCleared() override;
  void ConfigurationReplaced() override;
  void ImageChanged() override;
  void StatusReportReceived(const StatusReport& report) override;
  void TriggerUnitFrameReceived(int machineIndex, std::span<const uint8_t> frame) override;
  void GatewayStatusReceived(const GatewayStatus& status) override;
  void LinkStateChanged() override { UpdateCaption(); }
  bool Supervising() override;
  void MachineWindowsClosing() override;
  void OpenFirmwareUpdate(const FirmwareTarget& target, const QString& caption);
  void UpdateCounters() override;
  // Asks before unsaved work is dropped; false when the operator cancelled or the
  // save failed.
  bool AskSaveChangedSystem();
  QString CopyMachines(int fromIndex, int toPosition);
  void VisibleMachineTicks() override;

  UiEnvironment& env_;
  Session& session_;
  Attachment observing_;
  QString startupFile_;
  const ProgramRecord* copiedProgram_ = nullptr;
  OperatorSettings settings_;
  bool firstActivationDone_ = false;
  QTimer timer_;

  TAboutForm* aboutForm_ = nullptr;
  TCopyMachineForm* copyMachineForm_ = nullptr;
  TCommunicationForm* communicationForm_ = nullptr;
  TCalibrationForm* calibrationForm_ = nullptr;
  TFirmwareUpdateForm* firmwareForm_ = nullptr;
  TSystemSetupForm* systemSetupForm_ = nullptr;
  TOverviewForm* overviewForm_ = nullptr;
  TBackupsForm* backupsForm_ = nullptr;
  TEEPROMForm* readWriteForm_ = nullptr;
  TLogDataForm* logDataForm_ = nullptr;
  TAlarmLogForm* alarmLogForm_ = nullptr;
  TLoginForm* loginForm_ = nullptr;
  std::array<TMachineForm*, kMachineCount> machineForms_{};
  std::array<QLabel*, 4> statusPanels_{};
  std::array<QAction*, kMachineCount> machineActions_{};
  QAction* firmwareControllerAction_ = nullptr;
};

}  // namespace vorel
