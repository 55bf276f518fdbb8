// The trigger setup window of one machine: the trigger type and its settings,
// the keyboard lock and machine reset, and which trigger unit answered.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <span>

#include "core/config/TriggerData.h"
#include "core/supervision/MachineLiveDisplay.h"
#include "core/trigger/TriggerSetup.h"
#include "ui/common/Dialogs.h"

namespace vorel {

class TTriggerForm : public QWidget {
  Q_OBJECT

 public:
  // How the window changes the trigger block: through the session, counted as the
  // technician's edit (`byTechnician`) or only recorded (what the unit told of itself,
  // the defaults of a cleared machine).
  using Change = std::function<void(TriggerData&)>;
  using Editor = std::function<void(const Change& change, bool byTechnician)>;

  // `data`: the machine's trigger block in the configuration, changed only by `edit`.
  TTriggerForm(const TriggerData& data, Editor edit, int machineIndex, UiEnvironment& environment,
               QWidget* parent = nullptr);

  // The captions of the machine's six program buttons, for the Electrolux lists.
  void SetProgramNames(std::function<QString(int slotIndex)> names) {
    programNames_ = std::move(names);
  }

  // Type 1, adjustments 25/25, maximum weight 14, everything else 0; then show.
  void Reset();
  // The trigger block into the controls.
  void ShowData();
  // The controls into the trigger block.
  void Store();
  bool IsModified() const { return modified_; }

  // The unit that answered, from a trigger frame with identification.
  void SetIdentification(const UnitIdentification& ident);
  // The machine went offline.
  void ClearIdentified();
  bool Identified() const { return identified_; }

  // Handlers.
  void TriggerTypeComboBoxChange(int position);
  void EditChange();
  void MieleSoftner2BtnClick();
  void SaveBtnClick();
  void CloseBtnClick();

 signals:
  // Every show and store hands the current type text to the machine window.
  void TypeTextChanged(const QString& typeText);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  QLineEdit* NumberEdit(const char* name, QWidget* parent);
  void PanelFromControls(TriggerPanel& panel) const;
  void ControlsFromPanel(const TriggerPanel& panel);
  void UpdateIdentificationLine(std::optional<uint8_t> programNumber);
  void SetModified(bool modified);

  const TriggerData& data_;
  Editor edit_;
  int machineIndex_;
  UiEnvironment& env_;
  std::function<QString(int)> programNames_;
  bool modified_ = false;
  bool identified_ = false;
  bool filling_ = false;
  QString typeText_;

  QComboBox* typeCombo_ = nullptr;
  QLabel* typeChangedLabel_ = nullptr;
  QLineEdit* commentEdit_ = nullptr;
  QLabel* versionLabel1_ = nullptr;
  QLabel* versionLabel2_ = nullptr;
  QGroupBox* volumeGroup_ = nullptr;
  QLineEdit* lowAdjustEdit_ = nullptr;
  QLineEdit* highAdjustEdit_ = nullptr;
  QLineEdit* maxWeightEdit_ = nullptr;
  QGroupBox* mieleGroup_ = nullptr;
  std::array<QLineEdit*, trigger::kMieleTexts.size()> mieleEdits_{};
  QCheckBox* softner2Btn_ = nullptr;
  QLabel* pump7Label_ = nullptr;
  QGroupBox* electroluxGroup_ = nullptr;
  std::array<QComboBox*, trigger::kProgramMapCount> programMapCombos_{};
  QLabel* programNumberLabel1_ = nullptr;
  QLabel* programNumberLabel2_ = nullptr;
  QGroupBox* ethernetGroup_ = nullptr;
  QLineEdit* serialNumberEdit_ = nullptr;
  QLineEdit* machineIdEdit_ = nullptr;
  std::array<QComboBox*, triggerform::kKeyboardLockLists> keyboardLockCombos_{};
  QLineEdit* keyboardLockDelayEdit_ = nullptr;
  QComboBox* machineResetCombo_ = nullptr;
  QLineEdit* machineResetDelayEdit_ = nullptr;
  QPushButton* saveBtn_ = nullptr;
};

}  // namespace vorel
