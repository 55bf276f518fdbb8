// Test builders for program lines and machines, shared by the program and machine tests.
#pragma once

#include <array>
#include <cstdint>

#include "core/config/SystemConfiguration.h"

namespace vorel::test {

using Bytes = std::array<uint8_t, 6>;  // b0..b5

inline ProgramLine MakeLine(const Bytes& bytes) {
  ProgramLine programLine;
  for (size_t i = 0; i < bytes.size(); ++i) programLine.b[i] = bytes[i];
  return programLine;
}

inline Bytes FirstSix(const ProgramLine& programLine) {
  Bytes bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = programLine.b[i];
  return bytes;
}

// A cleared program whose line `lineIndex` holds `bytes`.
inline ProgramRecord ProgramWith(const Bytes& bytes, int lineIndex = 0) {
  ProgramRecord program = ClearedProgram(1);
  program.Lines[lineIndex] = MakeLine(bytes);
  return program;
}

// A machine with every kind of setting away from its default.
inline MachineSettings Configured() {
  MachineSettings m;
  m.AllowNoProgram = true;
  m.Comment = "Washer 3";
  m.DefaultProgram = 4;
  m.SoftnerPump = "6";
  m.ShortFlushTime = "7";
  m.LongFlushTime = "12";
  m.ProgramTimeout = "45";
  m.Calibration[6] = "55";
  m.Trigger.bytes[trigger::kType] = 5;
  m.Trigger.FillMieleDefaults();
  m.Programs[2].Name = "Towels";
  m.Programs[2].Lines[0].b = {0xA6, 5, 0, 0, 0, 0, 0x12, 0x34};
  m.Programs[2].LineComments[0] = "loop";
  return m;
}

}  // namespace vorel::test
