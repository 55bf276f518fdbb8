// Reading and writing the parameter fields of a program line.
#include "core/config/InstructionSet.h"

#include "core/base/Bytes.h"

namespace vorel {
namespace {

constexpr uint8_t kFlushFieldMax = line::kPumpFlushMask >> line::kPumpFlushShift;

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

uint8_t LowNibble(uint8_t byte) {
  return byte & line::kNibbleMask;
}
uint8_t HighNibble(uint8_t byte) {
  return (byte >> line::kHighNibbleShift) & line::kNibbleMask;
}

uint8_t Nibbles(uint8_t low, uint8_t high) {
  return static_cast<uint8_t>((low & line::kNibbleMask) |
                              ((high & line::kNibbleMask) << line::kHighNibbleShift));
}

}  // namespace

std::optional<uint8_t> FindInstruction(std::string_view name) {
  for (size_t code = 0; code < kInstructions.size(); ++code) {
    if (EqualIgnoringCase(kInstructions[code].name, name)) return static_cast<uint8_t>(code);
  }
  return std::nullopt;
}

uint16_t ReadWord(const ProgramLine& programLine, size_t at) {
  return bytes::LoadLe16(programLine.b, at);
}

void WriteWord(ProgramLine& programLine, size_t at, uint16_t value) {
  bytes::StoreLe16(programLine.b, at, value);
}

InputBlock ReadInputBlock(const ProgramLine& programLine) {
  InputBlock block;
  block.filter = programLine.b[line::kInputFilter];
  block.nextInput = LowNibble(programLine.b[line::kInputNextAndA]);
  block.input[0] = HighNibble(programLine.b[line::kInputNextAndA]);
  block.input[1] = LowNibble(programLine.b[line::kInputBAndC]);
  block.input[2] = HighNibble(programLine.b[line::kInputBAndC]);
  const uint16_t targets = ReadWord(programLine, line::kInputTargets);
  for (int row = 0; row < line::kInputRows; ++row) {
    block.target[row] = (targets >> (row * line::kTargetBits)) & line::kTargetMask;
  }
  return block;
}

void WriteInputBlock(ProgramLine& programLine, const InputBlock& block) {
  programLine.b[line::kInputFilter] = block.filter;
  programLine.b[line::kInputNextAndA] = Nibbles(block.nextInput, block.input[0]);
  programLine.b[line::kInputBAndC] = Nibbles(block.input[1], block.input[2]);
  uint16_t targets = ReadWord(programLine, line::kInputTargets) & line::kUnusedTargetBit;
  for (int row = 0; row < line::kInputRows; ++row) {
    targets |=
        static_cast<uint16_t>((block.target[row] & line::kTargetMask) << (row * line::kTargetBits));
  }
  WriteWord(programLine, line::kInputTargets, targets);
}

uint8_t InputOffSlot(const ProgramLine& programLine, int slot) {
  const uint8_t byte = programLine.b[line::kInputOffSlots + slot / line::kSlotsPerByte];
  return slot % line::kSlotsPerByte == 0 ? LowNibble(byte) : HighNibble(byte);
}

void SetInputOffSlot(ProgramLine& programLine, int slot, uint8_t input) {
  uint8_t& byte = programLine.b[line::kInputOffSlots + slot / line::kSlotsPerByte];
  byte = slot % line::kSlotsPerByte == 0 ? Nibbles(input, HighNibble(byte))
                                         : Nibbles(LowNibble(byte), input);
}

PumpControl ReadPumpControl(const ProgramLine& programLine) {
  const uint8_t byte = programLine.b[line::kPumpControl];
  PumpControl control;
  control.pump = byte & line::kPumpNumberMask;
  control.flush = (byte & line::kPumpFlushMask) >> line::kPumpFlushShift;
  control.waitDone = (byte & line::kPumpWaitDone) != 0;
  return control;
}

void WritePumpControl(ProgramLine& programLine, const PumpControl& control) {
  constexpr uint8_t kOwnedBits = line::kPumpNumberMask | line::kPumpFlushMask | line::kPumpWaitDone;
  uint8_t& byte = programLine.b[line::kPumpControl];
  byte = static_cast<uint8_t>((byte & ~kOwnedBits) | (control.pump & line::kPumpNumberMask) |
                              ((control.flush & kFlushFieldMax) << line::kPumpFlushShift) |
                              (control.waitDone ? line::kPumpWaitDone : 0));
}

}  // namespace vorel
