// Manual control, machine reset, the monitor line and the group 0 rule.
#include "core/supervision/SystemSetup.h"

#include <cstdio>

#include "core/base/Bytes.h"

namespace vorel {

using namespace manual;

namespace {

bool ValidPump(int pump) {
  return pump >= 1 && pump <= kPumps;
}
bool ValidMachine(int machine) {
  return machine >= 1 && machine <= kMachines;
}

template <typename Mask>
void SetBit(Mask& mask, unsigned bit, bool on) {
  mask = static_cast<Mask>(on ? (mask | (1u << bit)) : (mask & ~(1u << bit)));
}

struct OutputBits {
  uint16_t ManualControlState::*onWord;  // which word holds the on-bit
  uint16_t onBit;
  uint16_t controlBit;
};

OutputBits BitsOf(ManualOutput output) {
  switch (output) {
    case ManualOutput::kFlushWater:
      return {&ManualControlState::onWord, kFlushWaterBit, kFlushWaterBit};
    case ManualOutput::kFlushDrain:
      return {&ManualControlState::onWord, kFlushDrainBit, kFlushDrainBit};
    case ManualOutput::kAlarmOutput:
      break;
  }
  // The alarm output's on-bit travels in the control word.
  return {&ManualControlState::controlWord, kAlarmOnBit, kAlarmControlBit};
}

bool& ButtonOf(ManualButtons& buttons, ManualOutput output) {
  switch (output) {
    case ManualOutput::kFlushWater:
      return buttons.flushWater;
    case ManualOutput::kFlushDrain:
      return buttons.flushDrain;
    case ManualOutput::kAlarmOutput:
      break;
  }
  return buttons.alarmOutput;
}

}  // namespace

void ManualControl::PressPump(int pump, bool down, bool serialLink) {
  if (!serialLink || !ValidPump(pump)) return;
  buttons_.pump[pump - 1] = down;
  SetBit(state_.pumpOn, pump - 1, down);
  SetBit(state_.pumpControl, pump - 1, true);
}

void ManualControl::PressMachine(int machine, bool down, bool serialLink) {
  if (!serialLink || !ValidMachine(machine)) return;
  buttons_.machine[machine - 1] = down;
  SetBit(state_.onWord, machine - 1, down);
  SetBit(state_.controlWord, machine - 1, true);
}

void ManualControl::PressOutput(ManualOutput output, bool down, bool serialLink) {
  if (!serialLink) return;
  const OutputBits bits = BitsOf(output);
  ButtonOf(buttons_, output) = down;
  uint16_t& word = state_.*bits.onWord;
  word = static_cast<uint16_t>(down ? (word | bits.onBit) : (word & ~bits.onBit));
  state_.controlWord |= bits.controlBit;
}

void ManualControl::SetPumpControl(int pump, bool controlled) {
  if (ValidPump(pump)) SetBit(state_.pumpControl, pump - 1, controlled);
}

void ManualControl::SetMachineControl(int machine, bool controlled) {
  if (ValidMachine(machine)) SetBit(state_.controlWord, machine - 1, controlled);
}

void ManualControl::SetOutputControl(ManualOutput output, bool controlled) {
  const uint16_t bit = BitsOf(output).controlBit;
  state_.controlWord =
      static_cast<uint16_t>(controlled ? (state_.controlWord | bit) : (state_.controlWord & ~bit));
}

bool ManualControl::PumpControlled(int pump) const {
  return ValidPump(pump) && (state_.pumpControl >> (pump - 1)) & 1;
}

bool ManualControl::MachineControlled(int machine) const {
  return ValidMachine(machine) && (state_.controlWord >> (machine - 1)) & 1;
}

bool ManualControl::OutputControlled(ManualOutput output) const {
  return (state_.controlWord & BitsOf(output).controlBit) != 0;
}

void ManualControl::ApplyStatusReport(const StatusReport& report) {
  // As sent: a 44-byte report keeps the alarm output's bit here, not in its widened form.
  const uint8_t pumps = report.SetupPumps();
  const uint16_t outputs = report.SetupOutputs();
  for (int p = 1; p <= kPumps; ++p) {
    if (!PumpControlled(p)) buttons_.pump[p - 1] = (pumps >> (p - 1)) & 1;
  }
  for (int m = 1; m <= kMachines; ++m) {
    if (!MachineControlled(m)) buttons_.machine[m - 1] = (outputs >> (m - 1)) & 1;
  }
  const std::pair<ManualOutput, uint16_t> valves[] = {
      {ManualOutput::kFlushWater, kFlushWaterBit},
      {ManualOutput::kFlushDrain, kFlushDrainBit},
      {ManualOutput::kAlarmOutput, kReportAlarmBit}};
  for (const auto& [output, bit] : valves) {
    if (!OutputControlled(output)) ButtonOf(buttons_, output) = (outputs & bit) != 0;
  }
}

void ManualControl::ApplyGatewayStatus(uint8_t pumps, uint16_t outputs) {
  for (int p = 1; p <= kPumps; ++p) buttons_.pump[p - 1] = (pumps >> (p - 1)) & 1;
  for (int m = 1; m <= kMachines; ++m) buttons_.machine[m - 1] = (outputs >> (m - 1)) & 1;
  buttons_.flushWater = (outputs & kFlushWaterBit) != 0;
  buttons_.flushDrain = (outputs & kFlushDrainBit) != 0;
}

void ManualControl::Reset() {
  state_ = {};
  buttons_ = {};
}

bool MachineReset::Take(std::optional<uint8_t>& command) {
  if (!pending_) return false;
  pending_ = false;
  command.reset();
  if (index_ && *index_ >= 0 && *index_ <= kAll) command = MachineResetCommand(*index_);
  done_ = command.has_value();
  return true;
}

std::string MonitorLine(const EthernetMonitorReport& report, int hour, int minute, int second,
                        int millisecond) {
  char time[32];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d> ", hour, minute, second, millisecond);
  char machine[16];
  if (report.machineNumber == 0) {
    std::snprintf(machine, sizeof machine, "M= ?");
  } else {
    std::snprintf(machine, sizeof machine, "M=%02d", report.machineNumber);
  }
  char rest[128];
  std::snprintf(rest, sizeof rest,
                ", Serial=%08u, UnitID=%08u, Status= %02X %02X %02X %02X, Softner=%02X",
                report.serialNumber, report.unitId, report.status[0], report.status[1],
                report.status[2], report.status[3], report.softener);
  return std::string(time) + machine + rest;
}

std::array<bool, 5> ApplyGroupZeroRule(AlarmSection& alarm) {
  static constexpr bool AlarmGroup::*kKinds[] = {
      &AlarmGroup::Level, &AlarmGroup::WaterPressure, &AlarmGroup::TriggerError,
      &AlarmGroup::KeyboardError, &AlarmGroup::DispenseError};
  std::array<bool, 5> changeable{};
  for (size_t k = 0; k < changeable.size(); ++k) {
    const bool sent = alarm.Group[1].*kKinds[k] || alarm.Group[2].*kKinds[k];
    if (sent) alarm.Group[0].*kKinds[k] = true;
    changeable[k] = !sent;
  }
  return changeable;
}

}  // namespace vorel
