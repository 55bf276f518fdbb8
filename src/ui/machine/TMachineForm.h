// The window of one washing machine: its settings and pump calibration, its six
// program slots, its trigger setup, and, while the link is up, what it runs.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <span>
#include <vector>

#include "core/supervision/MachineLiveDisplay.h"
#include "ui/machine/MachineHost.h"

namespace vorel {

class TProgramForm;
class TTriggerForm;

class TMachineForm : public QWidget {
  Q_OBJECT

 public:
  TMachineForm(MachineHost& host, int machineIndex, QWidget* parent = nullptr);
  ~TMachineForm() override;

  int MachineIndex() const { return machineIndex_; }

  // First activation of the main window: caption, trigger setup window.
  void Initialise();
  // Back to the cleared machine (AllowNoProgram and Enabled stay); open editors reload.
  void Clear();
  // The machine in the configuration was cleared: the window shows it so.
  void ShowCleared();
  // After a load, an image read or a copy into this machine.
  void Refresh();
  // Unsaved edits in the trigger setup window or an open program editor.
  bool AnyModified() const;
  // The trigger setup window stores, then every open program editor saves.
  void SaveAll();
  // Open program editors forget their unsaved edits (the trigger window keeps its).
  void DropModified();
  // The trigger setup window's controls into the configuration (before a copy).
  void StoreTrigger();
  // This machine received a copy: open editors lose their modified state, the
  // trigger window shows the copied block, then the window refreshes.
  void AfterCopy();

  // Live deliveries, taken only while the window is visible.
  void ApplyStatusReport(const StatusReport& report);
  void ApplyTriggerFrame(std::span<const uint8_t> frame);
  void ApplyGatewayRecord(std::span<const uint8_t> record);
  void Tick();

  TTriggerForm* TriggerForm() const { return triggerForm_; }
  TProgramForm* ProgramEditor(int slotIndex) const { return programEditors_[slotIndex]; }
  QString ProgramCaption(int slotIndex) const;
  const MachineLiveDisplay& LiveDisplay() const { return display_; }

  // Handlers.
  void ProgramBtnClick(int tag);
  void CalibrationTestBtnClick(int tag);
  void TriggerSetupBtnClick();
  // After a program editor saved: the slot's button, then an open trigger window.
  void ProgramSaved(int slotIndex);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  QLineEdit* SettingEdit(const QString& name);
  // The settings controls from the configuration; the default-program list's item
  // texts follow the program names only when asked.
  void FillControls(bool renameDefaultProgramItems = true);
  // The running line goes to the editor of the running slot, if it is open.
  void DeliverRunningLine(const std::optional<RunningLine>& running);
  void SettingsEdited();
  void RenderLiveDisplay();
  void SetTriggerCaption(const QString& typeText);
  bool CloseProgramEditors();

  MachineHost& host_;
  int machineIndex_;
  bool filling_ = false;
  MachineLiveDisplay display_;
  TTriggerForm* triggerForm_ = nullptr;
  std::array<TProgramForm*, kProgramSlots> programEditors_{};

  QGroupBox* programGroup_ = nullptr;
  std::array<QPushButton*, kProgramSlots> programButtons_{};
  QComboBox* defaultProgramCombo_ = nullptr;
  QCheckBox* allowNoProgramBtn_ = nullptr;
  QLineEdit* shortFlushEdit_ = nullptr;
  QLineEdit* longFlushEdit_ = nullptr;
  QLineEdit* timeoutEdit_ = nullptr;
  QComboBox* softnerPumpCombo_ = nullptr;
  QLineEdit* commentEdit_ = nullptr;
  std::array<QLineEdit*, kPumpCount> calibrationEdits_{};
  std::array<QLabel*, kPumpCount> calibrationUnitLabels_{};
  std::array<QPushButton*, kPumpCount> calibrationTestButtons_{};
  QGroupBox* triggerGroup_ = nullptr;
  std::array<QPushButton*, live::kTriggerInputs> inputButtons_{};
  std::array<QLabel*, live::kTriggerInputs> weightLabels_{};
  QLabel* keyboardConnectedLabel_ = nullptr;
  QLabel* triggerOnlineLabel_ = nullptr;
  QLabel* serialConnectionLabel_ = nullptr;
};

}  // namespace vorel
