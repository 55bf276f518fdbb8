// The simulated laundry: each machine's program taken line by line over time.
#include "core/simulation/LaundryRun.h"

#include <algorithm>

#include "core/config/InstructionSet.h"
#include "core/link/LiveMessages.h"
#include "core/supervision/SystemSetup.h"

namespace vorel::sim {

using namespace laundry;

namespace {

constexpr uint32_t kMsPerSecond = 1000;
constexpr uint64_t kMsPerMinute = 60 * kMsPerSecond;
// Milliseconds a pump takes for 1 ml at one second per 100 ml.
constexpr uint64_t kDoseMsPerMlPerSecond = kMsPerSecond / 100;
constexpr int kPercent = 100;
// A program's default level: 1 Low, 2 Mid, 3 High; "-" (0) doses as Mid.
constexpr uint8_t kLevelLow = 1;
constexpr uint8_t kLevelHigh = 3;
// The load each start reports, machine by machine and start by start.
constexpr std::array<uint8_t, 5> kLoads = {75, 60, 90, 45, 100};

uint32_t Seconds(uint32_t seconds) {
  return seconds * kMsPerSecond;
}

bool IsInput(int input) {
  return input >= 1 && input <= line::kHighestInput;
}

uint8_t InputBit(int input) {
  return static_cast<uint8_t>(1u << (input - 1));
}

bool IsTargetLine(int target) {
  return target >= line::kFirstTarget && target <= line::kLastTarget;
}

// The millilitres a Pump or Pump, high volume line doses at a program's level.
uint32_t DoseVolume(const ProgramLine& programLine, uint8_t level) {
  if (programLine.Code() == instruction::kPump) {
    const size_t at = level == kLevelLow    ? line::kPumpVolumeLow
                      : level == kLevelHigh ? line::kPumpVolumeHigh
                                            : line::kPumpVolumeMid;
    return programLine.b[at];
  }
  const uint32_t mid = ReadWord(programLine, line::kHighVolume);
  const uint32_t lowAdjust = programLine.b[line::kHighVolumeLowAdjust];
  if (level == kLevelLow)
    return lowAdjust >= kPercent ? 0 : mid * (kPercent - lowAdjust) / kPercent;
  if (level == kLevelHigh) return mid * (kPercent + line::kHighAdjustFactor * lowAdjust) / kPercent;
  return mid;
}

}  // namespace

void LaundryRun::LinePlan::Add(const Stage& stage) {
  if (stage.ms > 0 && count < stages.size()) stages[count++] = stage;
}

LaundryRun::LaundryRun() {
  for (size_t m = 0; m < kMachines; ++m) machines_[m] = Idle(m);
}

LaundryRun::Machine LaundryRun::Idle(size_t machineIndex) {
  Machine machine;
  machine.waitMs = static_cast<uint32_t>(machineIndex + 1) * kStaggerMs;
  return machine;
}

void LaundryRun::Advance(const ControllerImage& memory, uint32_t milliseconds) {
  const uint16_t enabled = memory.U16(image::kEnableMask);
  for (size_t m = 0; m < kMachines; ++m) {
    Machine& machine = machines_[m];
    if ((enabled & (1u << m)) == 0) {
      // Switched off: it stands still, and starts afresh when it is enabled again.
      if (machine.enabled) machine = Idle(m);
      continue;
    }
    machine.enabled = true;
    Run(memory, m, milliseconds);
  }
}

void LaundryRun::Run(const ControllerImage& memory, size_t machineIndex, uint32_t milliseconds) {
  Machine& machine = machines_[machineIndex];
  uint32_t left = milliseconds;
  // Every stage lasts and every pause lasts, so each round takes time or starts one.
  for (;;) {
    if (!machine.running) {
      if (machine.waitMs > left) {
        machine.waitMs -= left;
        return;
      }
      left -= machine.waitMs;
      machine.waitMs = 0;
      // A machine without a program to run looks again after a pause.
      if (!Start(memory, machineIndex)) machine.waitMs = kPauseMs;
      continue;
    }
    const uint32_t step = std::min(machine.stageLeftMs, left);
    machine.stageLeftMs -= step;
    machine.runMs += step;
    left -= step;
    if (machine.stageLeftMs > 0) return;
    if (++machine.stage < machine.plan.count) {
      machine.stageLeftMs = machine.plan.stages[machine.stage].ms;
      continue;
    }
    // The program time-out ends a program that ran too long, at its next line.
    const bool timedOut = machine.timeoutMs > 0 && machine.runMs >= machine.timeoutMs;
    EnterLine(machine, timedOut ? kEnd : machine.plan.next);
  }
}

bool LaundryRun::Start(const ControllerImage& memory, size_t machineIndex) {
  using namespace image;
  Machine& machine = machines_[machineIndex];
  const size_t block = MachineBlock(machineIndex);
  const int chosen = memory.bytes[block + kMachineDefaultProgram] & kDefaultProgramMask;
  int slot = -1;
  if (chosen >= 1 && chosen <= kProgramSlots) {
    slot = chosen - 1;
  } else {
    const uint8_t active = memory.bytes[block + kMachineActiveMask];
    for (int k = 0; k < kProgramSlots && slot < 0; ++k) {
      if (active & (1u << k)) slot = k;
    }
  }
  if (slot < 0) return false;

  machine.running = true;
  machine.slot = static_cast<uint8_t>(slot);
  const size_t program = ProgramBlock(machineIndex, static_cast<size_t>(slot));
  machine.level = (memory.bytes[program + kProgramFlags] >> kProgramDefaultLevelShift) &
                  kProgramDefaultLevelMask;
  for (size_t i = 0; i < kLinesPerProgram; ++i) {
    const auto at = memory.bytes.begin() +
                    static_cast<std::ptrdiff_t>(LineOffset(machineIndex, machine.slot, i));
    std::copy_n(at, kProgramLineBytes, machine.lines[i].b.begin());
  }
  std::copy_n(memory.bytes.begin() + static_cast<std::ptrdiff_t>(block + kMachineCalibration),
              kPumpCount, machine.calibration.begin());
  machine.shortFlushS = memory.bytes[block + kMachineShortFlushTime];
  machine.longFlushS = memory.bytes[block + kMachineLongFlushTime];
  machine.timeoutMs = memory.bytes[block + kMachineProgramTimeout] * kMsPerMinute;
  machine.runMs = 0;
  machine.keyboardLocked = false;
  machine.load = kLoads[(machineIndex + machine.starts) % kLoads.size()];
  ++machine.starts;
  EnterLine(machine, 0);
  return true;
}

void LaundryRun::EnterLine(Machine& machine, int lineIndex) {
  if (lineIndex == kEnd) {
    End(machine);
    return;
  }
  const uint8_t code = machine.lines[static_cast<size_t>(lineIndex)].Code();
  if (code == instruction::kEmpty || code == instruction::kReset) {
    End(machine);
    return;
  }
  // The keyboard stays locked for the rest of the program.
  if (code == instruction::kKeyboardLock) machine.keyboardLocked = true;
  machine.line = lineIndex;
  machine.plan = Plan(machine, lineIndex);
  machine.stage = 0;
  machine.stageLeftMs = machine.plan.stages[0].ms;
}

void LaundryRun::End(Machine& machine) {
  machine.running = false;
  machine.waitMs = kPauseMs;
  machine.keyboardLocked = false;
}

LaundryRun::LinePlan LaundryRun::Plan(const Machine& machine, int lineIndex) {
  using manual::kFlushDrainBit;
  using manual::kFlushWaterBit;
  LinePlan plan;
  plan.next = lineIndex + 1 < kProgramLineCount ? lineIndex + 1 : kEnd;
  const ProgramLine& programLine = machine.lines[static_cast<size_t>(lineIndex)];
  const auto& b = programLine.b;
  switch (programLine.Code()) {
    case instruction::kInputWait:
    case instruction::kInputEvent:
    case instruction::kInputJump: {
      // The washing machine gives the first signal the line waits for: the one to the
      // next line, else that of row A, B or C, which leads to its target.
      const InputBlock block = ReadInputBlock(programLine);
      int input = IsInput(block.nextInput) ? block.nextInput : 0;
      for (int row = 0; row < line::kInputRows && input == 0; ++row) {
        if (!IsInput(block.input[row])) continue;
        input = block.input[row];
        const int target = block.target[row];
        if (IsTargetLine(target)) plan.next = target - 1;
        if (target == line::kResetTarget) plan.next = kEnd;
      }
      if (input == 0) break;
      plan.Add({kSignalMs});
      // The signal holds for the line's filter time, and long enough to be seen.
      plan.Add({std::max(Seconds(block.filter), kLineStepMs), 0, 0, InputBit(input)});
      break;
    }
    case instruction::kInputOffWait: {
      // The selected inputs are on and go off after a while.
      uint8_t inputs = 0;
      for (int slot = 0; slot < line::kInputOffSlotCount; ++slot) {
        const int input = InputOffSlot(programLine, slot);
        if (IsInput(input)) inputs |= InputBit(input);
      }
      if (inputs != 0) plan.Add({kSignalMs, 0, 0, inputs});
      break;
    }
    case instruction::kJump:
      if (IsTargetLine(b[line::kJumpTarget])) plan.next = b[line::kJumpTarget] - 1;
      break;
    case instruction::kWait:
      plan.Add({Seconds(ReadWord(programLine, line::kWaitTime))});
      break;
    case instruction::kPump:
    case instruction::kPumpHighVolume: {
      const PumpControl control = ReadPumpControl(programLine);
      const uint64_t volume = DoseVolume(programLine, machine.level);
      if (control.pump < 1 || control.pump > kPumpCount || volume == 0) break;
      const uint8_t calibration = machine.calibration[control.pump - 1u];
      const uint64_t secondsPer100Ml = calibration > 0 ? calibration : kUncalibratedSecondsPer100Ml;
      const uint64_t doseMs = volume * secondsPer100Ml * kDoseMsPerMlPerSecond;
      plan.Add({Seconds(b[line::kPumpDelay])});
      plan.Add({static_cast<uint32_t>(std::min<uint64_t>(doseMs, kLongestDoseMs)),
                static_cast<uint8_t>(1u << (control.pump - 1u))});
      // The dose is flushed on into the machine.
      const uint8_t flushS = control.flush == line::kFlushShort  ? machine.shortFlushS
                             : control.flush == line::kFlushLong ? machine.longFlushS
                                                                 : 0;
      plan.Add({Seconds(flushS), 0, kFlushWaterBit});
      break;
    }
    case instruction::kFlush: {
      // A drain flush sends the water to the drain instead of the machine.
      const bool toDrain = (b[line::kFlushControl] & line::kFlushToDrain) != 0;
      plan.Add({Seconds(b[line::kFlushDelay])});
      plan.Add({Seconds(b[line::kFlushTime]), 0,
                static_cast<uint16_t>(kFlushWaterBit | (toDrain ? kFlushDrainBit : 0))});
      break;
    }
    default:
      // The keyboard lock (taken when the line is entered), and codes the controller
      // does not know, which it steps over.
      break;
  }
  if (plan.count == 0) plan.Add({kLineStepMs});
  return plan;
}

void LaundryRun::ResetMachine(size_t machineIndex) {
  if (machineIndex < kMachines && machines_[machineIndex].running) End(machines_[machineIndex]);
}

void LaundryRun::ResetAll() {
  for (size_t m = 0; m < kMachines; ++m) ResetMachine(m);
}

const LaundryRun::Stage* LaundryRun::Current(const Machine& machine) const {
  return machine.running ? &machine.plan.stages[machine.stage] : nullptr;
}

uint8_t LaundryRun::Pumps() const {
  uint8_t pumps = 0;
  for (const Machine& machine : machines_) {
    if (const Stage* stage = Current(machine)) pumps |= stage->pumps;
  }
  return pumps;
}

uint16_t LaundryRun::Outputs() const {
  uint16_t outputs = 0;
  for (size_t m = 0; m < kMachines; ++m) {
    if (const Stage* stage = Current(machines_[m])) outputs |= stage->valves | (1u << m);
  }
  return outputs;
}

MachineReport LaundryRun::Report(size_t machineIndex) const {
  MachineReport report;
  if (machineIndex >= kMachines) return report;
  const Machine& machine = machines_[machineIndex];
  if (machine.enabled) report.flags |= wire::kFlagTriggerOnline;
  const Stage* stage = Current(machine);
  if (!stage) return report;
  report.line = static_cast<uint8_t>(machine.line + 1);
  report.slot = static_cast<uint8_t>(machine.slot + 1);
  if (machine.keyboardLocked) report.flags |= wire::kFlagKeyboardLocked;
  report.inputs = stage->inputs;
  report.load = machine.load;
  return report;
}

void LaundryRun::StoreRecord(size_t machineIndex, std::span<uint8_t> record) const {
  if (record.size() <= wire::kRecordInputs) return;
  const MachineReport report = Report(machineIndex);
  record[wire::kRecordLine] = report.line;
  record[wire::kRecordSlot] = report.slot;
  record[wire::kRecordFlags] = report.flags;
  record[wire::kRecordInputs] = report.inputs;
}

}  // namespace vorel::sim
