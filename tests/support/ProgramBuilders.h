// Test builders for program lines, machines and controller memories with a program to run,
// shared by the program, machine and simulator tests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/config/SystemConfiguration.h"
#include "core/image/ControllerImage.h"

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

// Machine index `machineIndex` in `memory` runs slot 1, its default program at `level`
// (1 Low, 2 Mid, 3 High), made of `lines` from line 1 on; each pump takes
// `secondsPer100Ml`, the short flush 5 s and the long one 10 s. Enabling is apart.
inline void StoreProgram(ControllerImage& memory, size_t machineIndex,
                         const std::vector<Bytes>& lines, uint8_t level = 2,
                         uint8_t secondsPer100Ml = 50) {
  using namespace image;
  const size_t block = MachineBlock(machineIndex);
  memory.bytes[block + kMachineDefaultProgram] = 1;
  memory.bytes[block + kMachineShortFlushTime] = 5;
  memory.bytes[block + kMachineLongFlushTime] = 10;
  std::fill_n(memory.bytes.begin() + block + kMachineCalibration, 7, secondsPer100Ml);
  memory.bytes[ProgramBlock(machineIndex, 0) + kProgramFlags] =
      static_cast<uint8_t>(level << kProgramDefaultLevelShift);
  size_t lineIndex = 0;
  for (const Bytes& bytes : lines) {
    std::copy(bytes.begin(), bytes.end(),
              memory.bytes.begin() + LineOffset(machineIndex, 0, lineIndex++));
  }
}

// A memory in which only machine index `machineIndex` is enabled, with that program.
inline ControllerImage RunningMemory(size_t machineIndex, const std::vector<Bytes>& lines,
                                     uint8_t level = 2, uint8_t secondsPer100Ml = 50) {
  ControllerImage memory;
  memory.SetU16(image::kEnableMask, static_cast<uint16_t>(1u << machineIndex));
  StoreProgram(memory, machineIndex, lines, level, secondsPer100Ml);
  return memory;
}

}  // namespace vorel::test
