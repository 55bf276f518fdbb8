// The controller's program instructions: their codes and names, the parameter bytes the
// system file keeps of each, and the bit layout of every instruction's parameters b1..b5.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/config/ProgramRecord.h"

namespace vorel {

namespace instruction {
inline constexpr uint8_t kEmpty = 0;
inline constexpr uint8_t kReset = 1;
inline constexpr uint8_t kInputWait = 2;
inline constexpr uint8_t kInputOffWait = 3;
inline constexpr uint8_t kInputEvent = 4;
inline constexpr uint8_t kInputJump = 5;
inline constexpr uint8_t kJump = 6;
inline constexpr uint8_t kWait = 7;
inline constexpr uint8_t kPump = 8;
inline constexpr uint8_t kFlush = 9;
inline constexpr uint8_t kKeyboardLock = 10;
inline constexpr uint8_t kPumpHighVolume = 11;
// Codes 12..15 fit the code nibble but mean nothing to the controller.
inline constexpr int kCount = 12;
}  // namespace instruction

struct InstructionInfo {
  std::string_view name;  // in the instruction list and in the system file
  int savedBytes;         // parameter bytes from b1 on that the system file keeps
};

// The application-wide instruction list, in code order.
inline constexpr std::array<InstructionInfo, instruction::kCount> kInstructions = {{
    {"Empty", 0},
    {"Reset", 0},
    {"Input wait", 5},
    {"Input off wait", 3},
    {"Input event", 5},
    {"Input jump", 5},
    {"Jump", 1},
    {"Wait", 2},
    {"Pump", 5},
    {"Flush", 3},
    {"Keyboard lock", 0},
    {"Pump, high volume", 5},
}};

// Byte positions and bit fields of a program line. Multi-byte values are little-endian.
namespace line {
inline constexpr size_t kFirstParameter = 1;
inline constexpr size_t kLastParameter = 5;

inline constexpr uint8_t kNibbleMask = 0x0F;
inline constexpr int kHighNibbleShift = 4;

// Line targets: 1..24 name a program line, 31 sends the machine to Reset, 0 is no target.
inline constexpr int kNoTarget = 0;
inline constexpr int kFirstTarget = 1;
inline constexpr int kLastTarget = kProgramLineCount;
inline constexpr int kResetTarget = 31;

// Trigger inputs 1..6 and chemical pumps 1..7; 0 is none.
inline constexpr int kHighestInput = 6;
inline constexpr int kHighestPump = 7;

// Input block of Input wait, Input event and Input jump. Three rows A, B, C each send one
// input to a target line; their targets share the 16-bit word b4..b5, five bits each.
inline constexpr size_t kInputFilter = 1;    // seconds the input must hold
inline constexpr size_t kInputNextAndA = 2;  // low nibble: input to the next line; high: input A
inline constexpr size_t kInputBAndC = 3;     // low nibble: input B; high nibble: input C
inline constexpr size_t kInputTargets = 4;   // 16-bit: A bits 0-4, B bits 5-9, C bits 10-14
inline constexpr int kInputRows = 3;
inline constexpr int kTargetBits = 5;
inline constexpr uint16_t kTargetMask = 0x1F;
inline constexpr uint16_t kUnusedTargetBit = 0x8000;

// Input off wait: six input slots in b1..b3, the low nibble of each byte first.
inline constexpr size_t kInputOffSlots = 1;
inline constexpr int kInputOffSlotCount = 6;
inline constexpr int kSlotsPerByte = 2;

inline constexpr size_t kJumpTarget = 1;

inline constexpr size_t kWaitTime = 1;  // 16-bit, seconds

// Pump and Pump, high volume share the control byte b1 and the delay byte b2.
inline constexpr size_t kPumpControl = 1;
inline constexpr uint8_t kPumpNumberMask = 0x0F;  // bits 0-3: pump 1..7, 0 none
inline constexpr int kPumpFlushShift = 4;
inline constexpr uint8_t kPumpFlushMask = 0x30;  // bits 4-5: flush after dosing
inline constexpr uint8_t kPumpWaitDone = 0x40;   // bit 6: wait until dispense done
inline constexpr uint8_t kFlushNo = 0;
inline constexpr uint8_t kFlushShort = 1;     // the machine's ShortFlushTime
inline constexpr uint8_t kFlushLong = 2;      // the machine's LongFlushTime
inline constexpr size_t kPumpDelay = 2;       // seconds
inline constexpr size_t kPumpVolumeLow = 3;   // ml for level Low
inline constexpr size_t kPumpVolumeMid = 4;   // ml for level Mid
inline constexpr size_t kPumpVolumeHigh = 5;  // ml for level High

inline constexpr size_t kHighVolume = 3;  // 16-bit, ml at level Mid
inline constexpr size_t kHighVolumeLowAdjust =
    5;  // percent less at Low; twice as much more at High
inline constexpr int kHighAdjustFactor = 2;
inline constexpr uint8_t kDefaultLowAdjust = 25;

inline constexpr size_t kFlushControl = 1;
inline constexpr uint8_t kFlushToDrain = 0x01;   // bit 0
inline constexpr uint8_t kFlushWaitDone = 0x02;  // bit 1
inline constexpr size_t kFlushDelay = 2;         // seconds
inline constexpr size_t kFlushTime = 3;          // seconds
}  // namespace line

inline constexpr bool IsKnownInstruction(int code) {
  return code >= 0 && code < instruction::kCount;
}

// Input wait, Input event and Input jump.
inline constexpr bool HasInputBlock(int code) {
  return code == instruction::kInputWait || code == instruction::kInputEvent ||
         code == instruction::kInputJump;
}

// Only Input wait may send an input on to the next line; the other two keep it 0.
inline constexpr bool HasNextLineInput(int code) {
  return code == instruction::kInputWait;
}

inline constexpr bool HasPumpControl(int code) {
  return code == instruction::kPump || code == instruction::kPumpHighVolume;
}

// The code of an instruction name, letter case ignored; nothing for an unknown name.
std::optional<uint8_t> FindInstruction(std::string_view name);

uint16_t ReadWord(const ProgramLine& programLine, size_t at);
void WriteWord(ProgramLine& programLine, size_t at, uint16_t value);

struct InputBlock {
  uint8_t filter = 0;
  uint8_t nextInput = 0;
  std::array<uint8_t, line::kInputRows> input{};   // A, B, C
  std::array<uint8_t, line::kInputRows> target{};  // 0..31
};

InputBlock ReadInputBlock(const ProgramLine& programLine);
// Inputs and targets are cut to their field widths; the unused bit 15 of b4..b5 is kept.
void WriteInputBlock(ProgramLine& programLine, const InputBlock& block);

uint8_t InputOffSlot(const ProgramLine& programLine, int slot);  // slot 0..5
void SetInputOffSlot(ProgramLine& programLine, int slot, uint8_t input);

struct PumpControl {
  uint8_t pump = 0;   // 0..15 as stored; 1..7 name a pump
  uint8_t flush = 0;  // line::kFlushNo, kFlushShort, kFlushLong (3 is stored by nobody)
  bool waitDone = false;
};

PumpControl ReadPumpControl(const ProgramLine& programLine);
// Bit 7 of b1 belongs to no field and is kept.
void WritePumpControl(ProgramLine& programLine, const PumpControl& control);

}  // namespace vorel
