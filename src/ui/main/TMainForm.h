// The main window: a thin bar with the menus and the status bar. It owns the
// configuration, the controller image and every other window, runs the single
// 100 ms timer and carries out the commands that act on the whole system.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "core/app/AccessLevels.h"
#include "core/app/MainTick.h"
#include "core/app/StoredSettings.h"
#include "core/config/SystemConfiguration.h"
#include "ui/machine/MachineHost.h"
#include "core/image/ImagePacking.h"

class QAction;
class QMenu;

namespace vorel {

class TAboutForm;
class TCopyMachineForm;
class TMachineForm;

class TMainForm : public QMainWindow, public MachineHost, private TickSteps {
  Q_OBJECT

 public:
  static constexpr int kDesignWidth = 937;
  static constexpr int kDesignHeight = 84;
  static constexpr int kTimerIntervalMs = 100;

  // `arguments`: the command-line arguments after the program name.
  explicit TMainForm(const QStringList& arguments, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Where the operator's settings are kept; tests put a double in its place.
  using SettingsStoreFactory = std::function<std::unique_ptr<SettingsStore>()>;
  void SetSettingsStoreFactory(SettingsStoreFactory factory) {
    settingsFactory_ = std::move(factory);
  }

  SystemConfiguration& Configuration() { return config_; }
  ImageState& Image() { return image_; }
  bool ImageValid() const { return image_.ImageValid; }
  bool SetupFlag() const { return access_.setup; }
  bool MasterFlag() const { return access_.master; }
  TMachineForm* MachineWindow(int machineIndex) const { return machineForms_[machineIndex]; }
  TCopyMachineForm* CopyMachineWindow() const { return copyMachineForm_; }

  // What the machine windows and program editors need.
  MachineSettings& Machine(int machineIndex) override { return config_.MachineData[machineIndex]; }
  void ConfigurationEdited() override { configurationChanged_ = true; }
  ProgramRecord& StoredProgram(int machineIndex, int slotIndex) override;
  std::string DefaultInputFilter() const override { return config_.PCsettings.DefaultInputFilter; }
  const ProgramRecord* CopiedProgram() const override { return copiedProgram_; }
  void SetCopiedProgram(const ProgramRecord* program) override { copiedProgram_ = program; }
  void ProgramSaved(int machineIndex, int slotIndex) override;

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
  void ClearAll();
  void RefreshAll();

  // Menu handlers.
  void NewSystemBtnClick();
  void LoadSystemBtnClick();
  // The Save command; true when the file was written.
  bool SaveSystemBtnClick();
  void CopyMachine1Click();
  void MachineBtnClick(int tag);
  void ClearMachineBtnClick(int tag);  // 1..10 one machine, 11 all
  void HelpBtnClick();
  void ExitBtnClick();

  // One tick of the 100 ms timer.
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
  // The system settings and every machine back to a new system.
  void ClearConfiguration();
  // Asks before unsaved work is dropped; false when the operator cancelled or the
  // save failed.
  bool AskSaveChangedSystem();
  QString CopyMachines(int fromIndex, int toPosition);
  void VisibleMachineTicks() override;

  AccessFlags access_;
  SystemConfiguration config_;
  ImageState image_;
  bool configurationChanged_ = false;
  const ProgramRecord* copiedProgram_ = nullptr;
  OperatorSettings settings_;
  SettingsStoreFactory settingsFactory_;
  bool firstActivationDone_ = false;
  MainTick tick_;
  QTimer timer_;

  TAboutForm* aboutForm_ = nullptr;
  TCopyMachineForm* copyMachineForm_ = nullptr;
  std::array<TMachineForm*, kMachineCount> machineForms_{};
  std::array<QLabel*, 4> statusPanels_{};
  std::array<QAction*, kMachineCount> machineActions_{};
  QAction* firmwareControllerAction_ = nullptr;
};

}  // namespace vorel
