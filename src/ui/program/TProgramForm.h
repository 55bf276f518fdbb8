// The program editor: one window per machine and program slot, with the header row of the
// program, the grid of its 24 lines and the parameter panel of the current line.
#pragma once

#include <QList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <initializer_list>

#include "core/config/ProgramRecord.h"
#include "core/program/ProgramPanel.h"
#include "ui/program/ProgramEditorContext.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace vorel {

class TProgramForm : public QWidget {
  Q_OBJECT

 public:
  // The grid's column widths at the design font; the instruction and parameter columns
  // grow where a larger font needs room for an instruction name or a full Pump line.
  static constexpr std::array<int, 4> kColumnWidths = {34, 100, 150, 200};

  // machineIndex 0..9, slotIndex 0..5. A window of its own; closing it only hides it.
  TProgramForm(ProgramEditorContext& context, int machineIndex, int slotIndex,
               QWidget* parent = nullptr);
  ~TProgramForm() override;

  // Places the editor of slotIndex beside its machine window, kept on the work area of
  // the screen the machine window is on.
  static void PlaceBeside(QWidget* editor, const QRect& machineFrame, int slotIndex);

  int MachineIndex() const { return machineIndex_; }
  int SlotIndex() const { return slotIndex_; }

  // The stored program into the header controls and the working copy; not modified.
  void Load();
  // The header controls and the working copy into the stored program.
  void Save();
  bool IsModified() const { return modified_; }
  // Forgets unsaved edits of the header comment: the stored comment is shown again and
  // the program counts as unmodified.
  void DropModified();
  // The controller runs this program; lineByte's low six bits name the running line.
  void RunningLineReport(uint8_t lineByte);
  // One 100 ms tick of the machine window.
  void Tick();

  // Handlers.
  void ProgramLineGridSelectCell(int row);
  void InstructionComboBoxChange();
  void InstructionCommentEditChange();
  void EditDataModified();
  void InputInputComboChange(int row);  // rows 0..2: InputInput2Combo..InputInput4Combo
  void PumpHighVolumeLowEditChange();
  void SaveBtnClick();
  // True when the key was used.
  bool ProgramLineGridKeyDown(int key);
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void CopyProgramBtnClick();
  void InsertProgramBtnClick();
  void DeleteProgramBtnClick();
  void PopupMenuPopup();
  void DebugBtnClick();
  // False keeps the window open.
  bool FormCloseQuery();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static int ColumnWidth(const QWidget* grid, int column);
  void BuildHeader(QWidget* header);
  QGroupBox* BuildSequenceGroup();
  QGroupBox* BuildInstructionGroup();
  QWidget* BuildInputPage();
  QWidget* BuildInputOffWaitPage();
  QWidget* BuildJumpPage();
  QWidget* BuildWaitPage();
  QWidget* BuildPumpPage();
  QWidget* BuildFlushPage();
  QWidget* BuildPumpHighVolumePage();
  // A caption in the first column of a parameter grid; all such columns share one width.
  QLabel* AddCaption(QGridLayout* grid, int row, const QString& text);
  // Rows of caption, field and unit (may be empty) from the top of a new page's grid;
  // answers the row after them.
  struct FieldRow {
    const char* caption;
    QWidget* field;
    const char* unit;
  };
  int AddFieldRows(QGridLayout* grid, std::initializer_list<FieldRow> rows);
  // The spare column and row take the room left, so the fields stay at the top left.
  static void FinishPage(QGridLayout* grid, int lastRow);
  void ConnectEditors();

  const ProgramRecord& Stored() const;
  ProgramHeader ReadHeader() const;
  void WriteHeader(const ProgramHeader& header);
  void ReadPanel();
  void WritePanel();
  void SetModified(bool modified);
  void StoreCurrentLine();
  void ShowCurrentLine();
  void RenderRow(int lineIndex);
  void RenderAllRows();
  void SelectRow(int lineIndex);

  ProgramEditorContext& context_;
  const int machineIndex_;
  const int slotIndex_;
  ProgramRecord working_;
  ParameterPanel panel_;
  int currentLine_ = 0;
  bool modified_ = false;
  bool updating_ = false;
  DebugFollow debugFollow_;

  // Header row.
  QLineEdit* programNameEdit_ = nullptr;
  QLineEdit* programCommentEdit_ = nullptr;
  QCheckBox* activeBtn_ = nullptr;
  QCheckBox* softnerBtn_ = nullptr;
  QCheckBox* defaultSoftnerBtn_ = nullptr;
  QComboBox* defaultLevelComboBox_ = nullptr;
  QPushButton* saveBtn_ = nullptr;
  QCheckBox* debugBtn_ = nullptr;
  QLabel* debugActiveImage_ = nullptr;

  QTableWidget* programLineGrid_ = nullptr;
  QMenu* popupMenu_ = nullptr;
  QAction* copyProgramBtn_ = nullptr;
  QAction* insertProgramBtn_ = nullptr;
  QAction* deleteProgramBtn_ = nullptr;

  QComboBox* instructionComboBox_ = nullptr;
  QLineEdit* instructionCommentEdit_ = nullptr;
  QStackedWidget* parameterPages_ = nullptr;
  QLabel* noParametersLabel_ = nullptr;

  QLineEdit* inputFilterEdit_ = nullptr;
  QComboBox* inputInput1Combo_ = nullptr;
  std::array<QLabel*, 2> nextLineLabels_{};
  std::array<QComboBox*, kRowsWithTarget> inputInputCombo_{};
  std::array<QComboBox*, kRowsWithTarget> inputLineCombo_{};
  QGridLayout* inputOffGrid_ = nullptr;
  std::array<QComboBox*, line::kInputOffSlotCount> inputOffComboBox_{};
  QComboBox* jumpToLineCombo_ = nullptr;
  QLineEdit* waitSecondsEdit_ = nullptr;
  QComboBox* pumpPumpCombo_ = nullptr;
  QLineEdit* pumpDelayEdit_ = nullptr;
  std::array<QLineEdit*, 3> pumpVolumeEdit_{};
  QComboBox* pumpFlushCombo_ = nullptr;
  QCheckBox* pumpWaitDispenseDoneBtn_ = nullptr;
  QLineEdit* flushDelayEdit_ = nullptr;
  QLineEdit* flushTimeEdit_ = nullptr;
  QCheckBox* flushToDrainBtn_ = nullptr;
  QCheckBox* flushWaitDoneBtn_ = nullptr;
  QComboBox* pumpHighPumpCombo_ = nullptr;
  QLineEdit* pumpHighDelayEdit_ = nullptr;
  QLineEdit* pumpHighVolumeEdit_ = nullptr;
  QLineEdit* pumpHighVolumeLowEdit_ = nullptr;
  QLabel* pumpHighVolumeHighLabel_ = nullptr;
  QComboBox* pumpHighFlushCombo_ = nullptr;
  QCheckBox* pumpHighWaitDispenseDoneBtn_ = nullptr;

  QList<QLabel*> captionLabels_;
  // Pages of parameterPages_, in the order of ParameterGroup.
  std::array<QWidget*, 8> pages_{};
};

}  // namespace vorel
