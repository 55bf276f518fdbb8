// The parameter panel of the program editor as plain data: what every control of the
// panel shows, how a program line fills it and how it is written back into the line.
// The window copies its widgets into a ParameterPanel before an operation and back
// afterwards (under its updating guard); every rule lives here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/InstructionSet.h"
#include "core/config/NumberEdits.h"
#include "core/config/ProgramRecord.h"

namespace vorel {

// The one group of parameter controls shown for an instruction.
enum class ParameterGroup {
  kNone,            // codes 0, 1, 10 ("No parameters for this instruction.") and unknown codes
  kInput,           // InstructionInputGroup
  kInputOffWait,    // InputOffWaitGroupBox
  kJump,            // InstructionJumpToLineGroup
  kWait,            // InstructionWaitGroup
  kPump,            // InstructionPumpGroup
  kFlush,           // InstructionFlushGroup
  kPumpHighVolume,  // InstructionPumpHighVolumeGroup
};

ParameterGroup GroupOf(int code);

// List positions. Input lists hold "-", "1".."6"; pump lists "-", "1".."7"; flush lists
// "No", "Short", "Long" (the flush value); target lists "1".."24", "Reset"; the jump
// list "1".."24"; the instruction list the twelve names in code order.
inline constexpr int kNoSelection = -1;
inline constexpr int kNoneItem = 0;  // "-" of input and pump lists
inline constexpr int kTargetListReset = kProgramLineCount;
inline constexpr int kRowsWithTarget = line::kInputRows;

// Members are named after the controls they stand for.
struct ParameterPanel {
  int instructionComboBox = kNoSelection;
  std::string instructionCommentEdit;
  ParameterGroup visibleGroup = ParameterGroup::kNone;
  bool noParametersVisible = false;  // "No parameters for this instruction."

  // InstructionInputGroup.
  std::string inputFilterEdit;
  int inputInput1Combo = kNoSelection;  // the input that leads to the next line
  bool inputNextLineEnabled = true;     // InputInput1Combo with its two labels
  // InputInput2Combo..InputInput4Combo and InputLine2Combo..InputLine4Combo (rows A, B, C).
  std::array<int, kRowsWithTarget> inputInputCombo{kNoSelection, kNoSelection, kNoSelection};
  std::array<int, kRowsWithTarget> inputLineCombo{kNoSelection, kNoSelection, kNoSelection};
  std::array<bool, kRowsWithTarget> inputLineComboEnabled{};

  // InputOffWaitGroupBox: InputOff1ComboBox..InputOff6ComboBox.
  std::array<int, line::kInputOffSlotCount> inputOffComboBox{
      kNoSelection, kNoSelection, kNoSelection, kNoSelection, kNoSelection, kNoSelection};

  // InstructionJumpToLineGroup and InstructionWaitGroup.
  int jumpToLineCombo = kNoSelection;
  std::string waitSecondsEdit;

  // InstructionPumpGroup; pumpVolumeEdit holds PumpVolume1Edit..PumpVolume3Edit (Low, Mid, High).
  int pumpPumpCombo = kNoSelection;
  std::string pumpDelayEdit;
  std::array<std::string, 3> pumpVolumeEdit;
  int pumpFlushCombo = kNoSelection;
  bool pumpWaitDispenseDoneBtn = false;

  // InstructionFlushGroup.
  std::string flushDelayEdit;
  std::string flushTimeEdit;
  bool flushToDrainBtn = false;
  bool flushWaitDoneBtn = false;

  // InstructionPumpHighVolumeGroup.
  int pumpHighPumpCombo = kNoSelection;
  std::string pumpHighDelayEdit;
  std::string pumpHighVolumeEdit;
  std::string pumpHighVolumeLowEdit;
  std::string pumpHighVolumeHighLabel;  // read-only: twice the low adjust
  int pumpHighFlushCombo = kNoSelection;
  bool pumpHighWaitDispenseDoneBtn = false;

  friend bool operator==(const ParameterPanel&, const ParameterPanel&) = default;
};

// Fills the panel from line lineIndex of the working copy. Only the group of the line's
// instruction is filled; the other groups keep what they held. Showing a line also keeps
// it consistent: an Input event or Input jump line loses its next-line input, and a
// high-volume line without pump and low adjust gets the 25 % low adjust. A lineIndex
// that is not a line, or an unknown code, selects no instruction and shows no group.
void ShowLine(ProgramRecord& working, int lineIndex, ParameterPanel& panel);

// Writes the panel's group for the line's instruction into b1..b5 of line lineIndex.
// Text that is not a number reads as 0 (the low adjust as 25); byte fields take
// min(value, 255), the high volume min(value, 65535), the filter its low 8 bits, the
// Wait time its low 16 bits, and a negative number its low bits. False when lineIndex is
// not a line. The caller marks the program modified and re-renders the line.
bool StoreLine(ProgramRecord& working, int lineIndex, const ParameterPanel& panel);

// The technician picks instruction chosen (list position) for line lineIndex. The panel is
// stored into the line first. When the instruction differs, the line gets the new code
// (its high nibble kept), zero parameters and an empty comment, with the panel's
// defaults: a new Pump line doses with "Short" flush and waits until dispense done, a new
// input line takes defaultInputFilter (the system's DefaultInputFilter) as its filter.
// Choosing the line's own instruction keeps its parameters, filter and comment. Then the
// line is shown. True when the instruction changed.
bool ChangeInstruction(ProgramRecord& working, int lineIndex, ParameterPanel& panel, int chosen,
                       std::string_view defaultInputFilter);

// An input list of rows A, B, C (row 0..2: InputInput2Combo..InputInput4Combo) changed:
// the row's target list is enabled only for an input 1..6 and loses its selection when
// disabled; then the panel is stored.
void ChangeInputRow(ProgramRecord& working, int lineIndex, ParameterPanel& panel, int row);

// The low adjust edit changed: the panel is stored and the high-adjust label follows.
void ChangeLowAdjust(ProgramRecord& working, int lineIndex, ParameterPanel& panel);

// The line comment edit changed: the panel is stored, then the line takes the comment.
void ChangeLineComment(ProgramRecord& working, int lineIndex, const ParameterPanel& panel);

// Twice the typed low adjust, or empty when the text is not a whole number.
std::string HighAdjustText(std::string_view lowAdjustText);

// The editor's header row as plain data; members are named after its controls.
// defaultLevelComboBox is the list position of "-", "Low", "Mid", "High".
struct ProgramHeader {
  std::string programNameEdit;
  std::string programCommentEdit;
  bool activeBtn = false;
  bool softnerBtn = true;
  bool defaultSoftnerBtn = true;
  int defaultLevelComboBox = kNoSelection;

  friend bool operator==(const ProgramHeader&, const ProgramHeader&) = default;
};

inline constexpr int kHighestDefaultLevel = 3;  // "High"

// The header controls of a program; a default level outside 0..3 selects nothing.
ProgramHeader HeaderOf(const ProgramRecord& program);

// Save: the stored record takes the header, the 24 lines (all eight bytes) and the line
// comments of the working copy. A default level outside 0..3 is stored as High.
void SaveProgram(const ProgramHeader& header, const ProgramRecord& working, ProgramRecord& stored);

// Following the running line while "Debug" is checked: each report of the controller
// selects the line it runs and lights the indicator for ten ticks of 100 ms; when no
// report came for that long the indicator goes out and the first line is selected.
class DebugFollow {
 public:
  static constexpr int kCountdownTicks = 10;
  static constexpr uint8_t kLineNumberMask = 0x3F;  // low six bits: line 1..24, 0 none

  // The line index 0..23 to select, or nothing (and no change) when the report names no
  // program line.
  std::optional<int> Report(uint8_t lineByte);
  // True on the tick the countdown runs out.
  bool Tick();
  // Debug was switched off: the indicator is out and nothing runs out later.
  void Stop() { countdown_ = 0; }
  bool IndicatorLit() const { return countdown_ > 0; }
  int Countdown() const { return countdown_; }

 private:
  int countdown_ = 0;
};

}  // namespace vorel
