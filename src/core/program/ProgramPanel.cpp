// Filling the parameter panel from a program line and writing it back, the instruction
// change with the defaults of a new line, and the limits of the panel's number edits.
#include "core/program/ProgramPanel.h"

#include <algorithm>

#include "core/base/Numbers.h"

namespace vorel {
namespace {

bool IsLineIndex(int index) {
  return index >= 0 && index < kProgramLineCount;
}
bool NamesPump(int pump) {
  return pump >= 1 && pump <= line::kHighestPump;
}
bool NamesInput(int input) {
  return input >= 1 && input <= line::kHighestInput;
}

// A number into a byte field: at most 255; a negative number keeps its low bits.
uint8_t ByteField(int32_t value) {
  if (value < 0) return LowByte(value);
  return static_cast<uint8_t>(std::min<int64_t>(value, kByteFieldHighest));
}

uint16_t WordField(int32_t value) {
  if (value < 0) return LowWord(value);
  return static_cast<uint16_t>(std::min<int64_t>(value, kWordFieldHighest));
}

// Nibble to input list position; a nibble beyond input 6 matches no item.
int InputListPosition(uint8_t input) {
  return input <= line::kHighestInput ? input : kNoSelection;
}

uint8_t InputFromList(int position) {
  return position >= kNoneItem && position <= line::kHighestInput ? static_cast<uint8_t>(position)
                                                                  : 0;
}

int TargetListPosition(int target) {
  if (target >= line::kFirstTarget && target <= line::kLastTarget) return target - 1;
  if (target == line::kResetTarget) return kTargetListReset;
  return kNoSelection;
}

uint8_t TargetFromList(int position, bool enabled) {
  if (!enabled || position == kTargetListReset) return line::kResetTarget;
  if (position >= 0 && position < kProgramLineCount) return static_cast<uint8_t>(position + 1);
  return line::kNoTarget;
}

int PumpListPosition(uint8_t pump) {
  return NamesPump(pump) ? pump : kNoneItem;
}

int FlushListPosition(uint8_t flush) {
  return flush <= line::kFlushLong ? flush : kNoSelection;
}

uint8_t FlushFromList(int position) {
  return position == line::kFlushShort || position == line::kFlushLong
             ? static_cast<uint8_t>(position)
             : line::kFlushNo;
}

void SetBit(uint8_t& byte, uint8_t bit, bool on) {
  byte = static_cast<uint8_t>(on ? (byte | bit) : (byte & ~bit));
}

void ShowInputBlock(ProgramLine& programLine, ParameterPanel& panel) {
  panel.inputNextLineEnabled = HasNextLineInput(programLine.Code());
  if (!panel.inputNextLineEnabled) {
    programLine.b[line::kInputNextAndA] &= static_cast<uint8_t>(~line::kNibbleMask);
  }
  const InputBlock block = ReadInputBlock(programLine);
  panel.inputFilterEdit = IntToStr(block.filter);
  panel.inputInput1Combo = InputListPosition(block.nextInput);
  for (int row = 0; row < kRowsWithTarget; ++row) {
    panel.inputInputCombo[row] = InputListPosition(block.input[row]);
    const bool enabled = panel.inputInputCombo[row] != kNoneItem;
    panel.inputLineComboEnabled[row] = enabled;
    panel.inputLineCombo[row] = enabled ? TargetListPosition(block.target[row]) : kNoSelection;
  }
}

void ShowPump(const ProgramLine& programLine, ParameterPanel& panel) {
  const PumpControl control = ReadPumpControl(programLine);
  panel.pumpPumpCombo = PumpListPosition(control.pump);
  panel.pumpDelayEdit = IntToStr(programLine.b[line::kPumpDelay]);
  panel.pumpVolumeEdit = {IntToStr(programLine.b[line::kPumpVolumeLow]),
                          IntToStr(programLine.b[line::kPumpVolumeMid]),
                          IntToStr(programLine.b[line::kPumpVolumeHigh])};
  panel.pumpFlushCombo = FlushListPosition(control.flush);
  panel.pumpWaitDispenseDoneBtn = control.waitDone;
}

void ShowPumpHighVolume(ProgramLine& programLine, ParameterPanel& panel) {
  const PumpControl control = ReadPumpControl(programLine);
  uint8_t& lowAdjust = programLine.b[line::kHighVolumeLowAdjust];
  // A line that has never been filled in starts with the usual 25 % adjust.
  if (!NamesPump(control.pump) && lowAdjust == 0) lowAdjust = line::kDefaultLowAdjust;
  panel.pumpHighPumpCombo = PumpListPosition(control.pump);
  panel.pumpHighDelayEdit = IntToStr(programLine.b[line::kPumpDelay]);
  panel.pumpHighVolumeEdit = IntToStr(ReadWord(programLine, line::kHighVolume));
  panel.pumpHighVolumeLowEdit = IntToStr(lowAdjust);
  panel.pumpHighVolumeHighLabel = IntToStr(line::kHighAdjustFactor * lowAdjust);
  panel.pumpHighFlushCombo = FlushListPosition(control.flush);
  panel.pumpHighWaitDispenseDoneBtn = control.waitDone;
}

void StoreInputBlock(const ParameterPanel& panel, ProgramLine& programLine) {
  InputBlock block = ReadInputBlock(programLine);
  block.filter = LowByte(StrToIntDef(panel.inputFilterEdit, 0));
  block.nextInput =
      HasNextLineInput(programLine.Code()) ? InputFromList(panel.inputInput1Combo) : uint8_t{0};
  for (int row = 0; row < kRowsWithTarget; ++row) {
    block.input[row] = InputFromList(panel.inputInputCombo[row]);
    block.target[row] = TargetFromList(panel.inputLineCombo[row], panel.inputLineComboEnabled[row]);
  }
  WriteInputBlock(programLine, block);
}

// The panel's state for a brand-new line: nothing chosen, and a Pump that flushes short
// and waits until its dose is out.
void ResetNewLineControls(ParameterPanel& panel) {
  panel.inputInput1Combo = kNoneItem;
  panel.inputInputCombo.fill(kNoneItem);
  panel.inputOffComboBox.fill(kNoneItem);
  panel.inputLineCombo.fill(kNoSelection);
  panel.inputLineComboEnabled.fill(false);
  panel.jumpToLineCombo = kNoSelection;
  panel.pumpPumpCombo = kNoneItem;
  panel.pumpDelayEdit = "0";
  panel.pumpVolumeEdit.fill("0");
  panel.pumpFlushCombo = line::kFlushShort;
  panel.pumpWaitDispenseDoneBtn = true;
  panel.waitSecondsEdit = "0";
}

}  // namespace

ParameterGroup GroupOf(int code) {
  switch (code) {
    case instruction::kInputWait:
    case instruction::kInputEvent:
    case instruction::kInputJump:
      return ParameterGroup::kInput;
    case instruction::kInputOffWait:
      return ParameterGroup::kInputOffWait;
    case instruction::kJump:
      return ParameterGroup::kJump;
    case instruction::kWait:
      return ParameterGroup::kWait;
    case instruction::kPump:
      return ParameterGroup::kPump;
    case instruction::kFlush:
      return ParameterGroup::kFlush;
    case instruction::kPumpHighVolume:
      return ParameterGroup::kPumpHighVolume;
    default:
      return ParameterGroup::kNone;
  }
}

void ShowLine(ProgramRecord& working, int lineIndex, ParameterPanel& panel) {
  panel.visibleGroup = ParameterGroup::kNone;
  panel.noParametersVisible = false;
  panel.instructionComboBox = kNoSelection;
  if (!IsLineIndex(lineIndex)) {
    panel.instructionCommentEdit.clear();
    return;
  }
  ProgramLine& programLine = working.Lines[lineIndex];
  const uint8_t code = programLine.Code();
  const auto& b = programLine.b;
  if (IsKnownInstruction(code)) {
    panel.instructionComboBox = code;
    panel.visibleGroup = GroupOf(code);
  }
  switch (panel.visibleGroup) {
    case ParameterGroup::kInput:
      ShowInputBlock(programLine, panel);
      break;
    case ParameterGroup::kInputOffWait:
      for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
        panel.inputOffComboBox[slot] = InputListPosition(InputOffSlot(programLine, slot));
      }
      break;
    case ParameterGroup::kJump:
      panel.jumpToLineCombo =
          b[line::kJumpTarget] >= line::kFirstTarget && b[line::kJumpTarget] <= line::kLastTarget
              ? b[line::kJumpTarget] - 1
              : kNoSelection;
      break;
    case ParameterGroup::kWait:
      panel.waitSecondsEdit = IntToStr(ReadWord(programLine, line::kWaitTime));
      break;
    case ParameterGroup::kPump:
      ShowPump(programLine, panel);
      break;
    case ParameterGroup::kFlush:
      panel.flushDelayEdit = IntToStr(b[line::kFlushDelay]);
      panel.flushTimeEdit = IntToStr(b[line::kFlushTime]);
      panel.flushToDrainBtn = (b[line::kFlushControl] & line::kFlushToDrain) != 0;
      panel.flushWaitDoneBtn = (b[line::kFlushControl] & line::kFlushWaitDone) != 0;
      break;
    case ParameterGroup::kPumpHighVolume:
      ShowPumpHighVolume(programLine, panel);
      break;
    case ParameterGroup::kNone:
      break;
  }
  panel.instructionCommentEdit = working.LineComments[lineIndex];
  panel.noParametersVisible = code == instruction::kEmpty || code == instruction::kReset ||
                              code == instruction::kKeyboardLock;
}

bool StoreLine(ProgramRecord& working, int lineIndex, const ParameterPanel& panel) {
  if (!IsLineIndex(lineIndex)) return false;
  ProgramLine& programLine = working.Lines[lineIndex];
  auto& b = programLine.b;
  switch (GroupOf(programLine.Code())) {
    case ParameterGroup::kInput:
      StoreInputBlock(panel, programLine);
      break;
    case ParameterGroup::kInputOffWait:
      for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
        SetInputOffSlot(programLine, slot, InputFromList(panel.inputOffComboBox[slot]));
      }
      break;
    case ParameterGroup::kJump:
      b[line::kJumpTarget] = panel.jumpToLineCombo >= 0 && panel.jumpToLineCombo < kProgramLineCount
                                 ? static_cast<uint8_t>(panel.jumpToLineCombo + 1)
                                 : uint8_t{line::kNoTarget};
      break;
    case ParameterGroup::kWait:
      WriteWord(programLine, line::kWaitTime, LowWord(StrToIntDef(panel.waitSecondsEdit, 0)));
      break;
    case ParameterGroup::kPump: {
      const int pump = panel.pumpPumpCombo;
      WritePumpControl(programLine,
                       {NamesPump(pump) ? static_cast<uint8_t>(pump) : uint8_t{0},
                        FlushFromList(panel.pumpFlushCombo), panel.pumpWaitDispenseDoneBtn});
      b[line::kPumpDelay] = ByteField(StrToIntDef(panel.pumpDelayEdit, 0));
      b[line::kPumpVolumeLow] = ByteField(StrToIntDef(panel.pumpVolumeEdit[0], 0));
      b[line::kPumpVolumeMid] = ByteField(StrToIntDef(panel.pumpVolumeEdit[1], 0));
      b[line::kPumpVolumeHigh] = ByteField(StrToIntDef(panel.pumpVolumeEdit[2], 0));
      break;
    }
    case ParameterGroup::kFlush:
      SetBit(b[line::kFlushControl], line::kFlushToDrain, panel.flushToDrainBtn);
      SetBit(b[line::kFlushControl], line::kFlushWaitDone, panel.flushWaitDoneBtn);
      b[line::kFlushDelay] = ByteField(StrToIntDef(panel.flushDelayEdit, 0));
      b[line::kFlushTime] = ByteField(StrToIntDef(panel.flushTimeEdit, 0));
      break;
    case ParameterGroup::kPumpHighVolume: {
      const int pump = panel.pumpHighPumpCombo;
      WritePumpControl(programLine, {NamesPump(pump) ? static_cast<uint8_t>(pump) : uint8_t{0},
                                     FlushFromList(panel.pumpHighFlushCombo),
                                     panel.pumpHighWaitDispenseDoneBtn});
      b[line::kPumpDelay] = ByteField(StrToIntDef(panel.pumpHighDelayEdit, 0));
      WriteWord(programLine, line::kHighVolume,
                WordField(StrToIntDef(panel.pumpHighVolumeEdit, 0)));
      b[line::kHighVolumeLowAdjust] =
          ByteField(StrToIntDef(panel.pumpHighVolumeLowEdit, line::kDefaultLowAdjust));
      break;
    }
    case ParameterGroup::kNone:
      break;
  }
  return true;
}

bool ChangeInstruction(ProgramRecord& working, int lineIndex, ParameterPanel& panel, int chosen,
                       std::string_view defaultInputFilter) {
  StoreLine(working, lineIndex, panel);
  if (!IsLineIndex(lineIndex)) return false;
  ProgramLine& programLine = working.Lines[lineIndex];
  const bool changed = IsKnownInstruction(chosen) && chosen != programLine.Code();
  if (changed) {
    programLine.SetCode(static_cast<uint8_t>(chosen));
    for (size_t i = line::kFirstParameter; i <= line::kLastParameter; ++i) programLine.b[i] = 0;
    working.LineComments[lineIndex].clear();
    ResetNewLineControls(panel);
    // A new Pump line carries the panel's defaults rather than zero bytes.
    if (chosen == instruction::kPump) StoreLine(working, lineIndex, panel);
  }
  ShowLine(working, lineIndex, panel);
  // Also when the line keeps its instruction: the filter goes back to the system's.
  panel.inputFilterEdit = std::string(defaultInputFilter);
  if (HasInputBlock(programLine.Code())) StoreLine(working, lineIndex, panel);
  return changed;
}

void ChangeInputRow(ProgramRecord& working, int lineIndex, ParameterPanel& panel, int row) {
  if (row < 0 || row >= kRowsWithTarget) return;
  const bool enabled = NamesInput(panel.inputInputCombo[row]);
  panel.inputLineComboEnabled[row] = enabled;
  if (!enabled) panel.inputLineCombo[row] = kNoSelection;
  StoreLine(working, lineIndex, panel);
}

void ChangeLowAdjust(ProgramRecord& working, int lineIndex, ParameterPanel& panel) {
  StoreLine(working, lineIndex, panel);
  panel.pumpHighVolumeHighLabel = HighAdjustText(panel.pumpHighVolumeLowEdit);
}

void ChangeLineComment(ProgramRecord& working, int lineIndex, const ParameterPanel& panel) {
  if (!StoreLine(working, lineIndex, panel)) return;
  working.LineComments[lineIndex] = panel.instructionCommentEdit;
}

std::string HighAdjustText(std::string_view lowAdjustText) {
  const auto lowAdjust = ParseInt32(lowAdjustText);
  if (!lowAdjust) return {};
  return IntToStr(int64_t{line::kHighAdjustFactor} * *lowAdjust);
}

ProgramHeader HeaderOf(const ProgramRecord& program) {
  ProgramHeader header;
  header.programNameEdit = program.Name;
  header.programCommentEdit = program.Comment;
  header.activeBtn = program.Active;
  header.softnerBtn = program.Softner;
  header.defaultSoftnerBtn = program.DefaultSoftner;
  const bool known = program.DefaultLevel >= 0 && program.DefaultLevel <= kHighestDefaultLevel;
  header.defaultLevelComboBox = known ? program.DefaultLevel : kNoSelection;
  return header;
}

void SaveProgram(const ProgramHeader& header, const ProgramRecord& working, ProgramRecord& stored) {
  stored.Active = header.activeBtn;
  stored.Name = header.programNameEdit;
  stored.Comment = header.programCommentEdit;
  stored.Softner = header.softnerBtn;
  stored.DefaultSoftner = header.defaultSoftnerBtn;
  const int level = header.defaultLevelComboBox;
  stored.DefaultLevel = level >= 0 && level <= kHighestDefaultLevel ? level : kHighestDefaultLevel;
  stored.Lines = working.Lines;
  stored.LineComments = working.LineComments;
}

std::optional<int> DebugFollow::Report(uint8_t lineByte) {
  const int lineNumber = lineByte & kLineNumberMask;
  if (lineNumber < 1 || lineNumber > kProgramLineCount) return std::nullopt;
  countdown_ = kCountdownTicks;
  return lineNumber - 1;
}

bool DebugFollow::Tick() {
  if (countdown_ <= 0) return false;
  return --countdown_ == 0;
}

}  // namespace vorel
