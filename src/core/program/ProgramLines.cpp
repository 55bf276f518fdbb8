// Line texts of the program grid, and the line moves of Insert line and Delete line
// with the renumbering of the targets that point across them.
#include "core/program/ProgramLines.h"

#include <cstdio>
#include <functional>

namespace vorel {
namespace {

std::string Number(int value) {
  return std::to_string(value);
}

// Items of the parameter column are separated by ", ".
void AddItem(std::string& text, const std::string& item) {
  if (!text.empty()) text += ", ";
  text += item;
}

bool IsLineTarget(int target) {
  return target >= line::kFirstTarget && target <= line::kLastTarget;
}

bool NamesPump(uint8_t pump) {
  return pump >= 1 && pump <= line::kHighestPump;
}

std::string InputBlockText(const ProgramLine& programLine) {
  const InputBlock block = ReadInputBlock(programLine);
  std::string text;
  if (block.filter != 0) AddItem(text, "F" + Number(block.filter));
  if (HasNextLineInput(programLine.Code()) && block.nextInput != 0) {
    AddItem(text, "I" + Number(block.nextInput) + "->Nxt");
  }
  for (int row = 0; row < line::kInputRows; ++row) {
    if (block.input[row] == 0) continue;
    const int target = block.target[row];
    std::string destination = "?";
    if (IsLineTarget(target)) {
      destination = "L" + Number(target);
    } else if (target == line::kResetTarget) {
      destination = "Reset";
    }
    AddItem(text, "I" + Number(block.input[row]) + "->" + destination);
  }
  return text;
}

std::string InputOffWaitText(const ProgramLine& programLine) {
  std::string text;
  for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
    const uint8_t input = InputOffSlot(programLine, slot);
    if (input != 0) AddItem(text, "I" + Number(input));
  }
  return text;
}

// Pump and Pump, high volume alike, up to and including the flush item.
std::string PumpText(const ProgramLine& programLine) {
  const PumpControl control = ReadPumpControl(programLine);
  std::string text = NamesPump(control.pump) ? "P" + Number(control.pump) : "P?";
  const uint8_t delay = programLine.b[line::kPumpDelay];
  if (delay != 0) AddItem(text, "D=" + Number(delay));
  if (control.flush == line::kFlushShort) AddItem(text, "FS");
  if (control.flush == line::kFlushLong) AddItem(text, "FL");
  return text;
}

std::string ParameterText(const ProgramLine& programLine) {
  const auto& b = programLine.b;
  switch (programLine.Code()) {
    case instruction::kInputWait:
    case instruction::kInputEvent:
    case instruction::kInputJump:
      return InputBlockText(programLine);
    case instruction::kInputOffWait:
      return InputOffWaitText(programLine);
    case instruction::kJump: {
      const int target = b[line::kJumpTarget];
      return IsLineTarget(target) ? "Jump L" + Number(target) : "Jump ?";
    }
    case instruction::kWait:
      return "Wait: " + Number(ReadWord(programLine, line::kWaitTime)) + " sec";
    case instruction::kPump: {
      std::string text = PumpText(programLine);
      AddItem(text, "V=" + Number(b[line::kPumpVolumeLow]) + "/" + Number(b[line::kPumpVolumeMid]) +
                        "/" + Number(b[line::kPumpVolumeHigh]));
      return text;
    }
    case instruction::kFlush: {
      std::string text;
      if (b[line::kFlushDelay] > 0) text = "D=" + Number(b[line::kFlushDelay]) + ", ";
      text += "T=" + Number(b[line::kFlushTime]);
      if (b[line::kFlushControl] & line::kFlushToDrain) text += ", To drain";
      return text;
    }
    case instruction::kPumpHighVolume: {
      std::string text = PumpText(programLine);
      AddItem(text, "V=" + Number(ReadWord(programLine, line::kHighVolume)));
      return text;
    }
    default:
      return {};
  }
}

// Applies renumber to every target of every line that carries targets; 0 and Reset are
// never passed to it.
void RenumberTargets(ProgramRecord& program, const std::function<int(int)>& renumber) {
  for (ProgramLine& programLine : program.Lines) {
    const uint8_t code = programLine.Code();
    if (HasInputBlock(code)) {
      InputBlock block = ReadInputBlock(programLine);
      for (auto& target : block.target) {
        if (target != line::kNoTarget && target != line::kResetTarget) {
          target = static_cast<uint8_t>(renumber(target));
        }
      }
      WriteInputBlock(programLine, block);
    } else if (code == instruction::kJump) {
      uint8_t& target = programLine.b[line::kJumpTarget];
      if (target != line::kNoTarget && target != line::kResetTarget) {
        target = static_cast<uint8_t>(renumber(target));
      }
    }
  }
}

// Moves what belongs to the instruction (code, parameters, comment) from one position to
// another; what belongs to the position stays.
void MoveLine(ProgramRecord& program, int from, int to) {
  ProgramLine& destination = program.Lines[to];
  const ProgramLine& source = program.Lines[from];
  destination.SetCode(source.Code());
  for (size_t i = line::kFirstParameter; i <= line::kLastParameter; ++i) {
    destination.b[i] = source.b[i];
  }
  program.LineComments[to] = program.LineComments[from];
}

void EmptyLine(ProgramRecord& program, int index) {
  ProgramLine& programLine = program.Lines[index];
  programLine.SetCode(instruction::kEmpty);
  for (size_t i = line::kFirstParameter; i <= line::kLastParameter; ++i) programLine.b[i] = 0;
  program.LineComments[index].clear();
}

bool IsLineIndex(int index) {
  return index >= 0 && index < kProgramLineCount;
}

}  // namespace

LineText RenderLine(const ProgramLine& programLine) {
  const uint8_t code = programLine.Code();
  if (!IsKnownInstruction(code)) return {Number(code) + " ???", {}};
  return {" " + std::string(kInstructions[code].name), ParameterText(programLine)};
}

GridRow RenderGridRow(const ProgramRecord& program, int lineIndex) {
  char number[16];
  std::snprintf(number, sizeof number, "%3d", lineIndex + 1);
  LineText text = RenderLine(program.Lines[lineIndex]);
  return {number, std::move(text.instruction), std::move(text.parameters),
          program.LineComments[lineIndex]};
}

std::string JoinGridRow(const GridRow& row) {
  std::string text = row[0];
  for (int column = 1; column < kGridColumns; ++column) text += "\t" + row[column];
  return text;
}

std::string ProgramEditorCaption(int machineNumber, std::string_view programName) {
  return "Machine " + Number(machineNumber) + ", " + std::string(programName);
}

bool InsertLine(ProgramRecord& program, int lineIndex) {
  if (!IsLineIndex(lineIndex)) return false;
  for (int i = kProgramLineCount - 1; i > lineIndex; --i) MoveLine(program, i - 1, i);
  EmptyLine(program, lineIndex);
  const int inserted = lineIndex + 1;
  RenumberTargets(program, [inserted](int target) {
    return target >= inserted && target < line::kLastTarget ? target + 1 : target;
  });
  return true;
}

bool DeleteLine(ProgramRecord& program, int lineIndex) {
  if (!IsLineIndex(lineIndex)) return false;
  for (int i = lineIndex; i < kProgramLineCount - 1; ++i) MoveLine(program, i + 1, i);
  EmptyLine(program, kProgramLineCount - 1);
  const int deleted = lineIndex + 1;
  RenumberTargets(program, [deleted](int target) {
    return target > deleted && target <= line::kLastTarget ? target - 1 : target;
  });
  return true;
}

}  // namespace vorel
