// The system setup window's rules without its widgets: manual control of the
// controller's outputs (what the poll answer sends, which toggle buttons show down),
// the machine reset waiting for the next poll, the Ethernet monitor's lines and the
// group 0 alarm rule.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/config/SystemConfiguration.h"
#include "core/link/LiveMessages.h"
#include "core/link/Messages.h"

namespace vorel {

namespace manual {
inline constexpr int kPumps = 7;
inline constexpr int kMachines = 10;
inline constexpr uint16_t kFlushWaterBit = 1u << 10;  // on word and control word
inline constexpr uint16_t kFlushDrainBit = 1u << 11;
inline constexpr uint16_t kAlarmOnBit = 1u << 12;       // control word only
inline constexpr uint16_t kAlarmControlBit = 1u << 13;  // control word only
inline constexpr uint16_t kReportAlarmBit = 1u << 12;   // status report output word
}  // namespace manual

// The outputs the technician can switch by hand besides pumps and machines.
enum class ManualOutput { kFlushWater, kFlushDrain, kAlarmOutput };

// What the toggle buttons of the " Test" page show.
struct ManualButtons {
  std::array<bool, manual::kPumps> pump{};
  std::array<bool, manual::kMachines> machine{};
  bool flushWater = false;
  bool flushDrain = false;
  bool alarmOutput = false;

  friend bool operator==(const ManualButtons&, const ManualButtons&) = default;
};

class ManualControl {
 public:
  // A toggle button pressed into `down`: only over the serial link. The output's
  // on-bit follows the button and the output comes under control. Numbers outside
  // 1..7 (pumps) or 1..10 (machines) are ignored.
  void PressPump(int pump, bool down, bool serialLink);
  void PressMachine(int machine, bool down, bool serialLink);
  void PressOutput(ManualOutput output, bool down, bool serialLink);
  // A control box checked or not: the on-bit stays.
  void SetPumpControl(int pump, bool controlled);
  void SetMachineControl(int machine, bool controlled);
  void SetOutputControl(ManualOutput output, bool controlled);

  bool PumpControlled(int pump) const;
  bool MachineControlled(int machine) const;
  bool OutputControlled(ManualOutput output) const;

  // Outputs not under control show what the controller reports.
  void ApplyStatusReport(const StatusReport& report);
  // The gateway's status: pumps, machines and both valves follow it whatever their
  // control; the alarm output is not touched. `outputs` as in the status report.
  void ApplyGatewayStatus(uint8_t pumps, uint16_t outputs);
  // Every button up, every box unchecked, everything back to the controller.
  void Reset();
  // The pump calibration test sets the masks and words as a whole.
  void SetPumps(uint8_t on, uint8_t control) {
    state_.pumpOn = on;
    state_.pumpControl = control;
  }
  void SetMachines(uint16_t on, uint16_t control) {
    state_.onWord = on;
    state_.controlWord = control;
  }

  const ManualControlState& State() const { return state_; }
  const ManualButtons& Buttons() const { return buttons_; }

 private:
  ManualControlState state_;
  ManualButtons buttons_;
};

// A machine reset chosen in the list (index 0..9, 10 for all) and pressed, waiting
// for the next poll of the controller.
class MachineReset {
 public:
  static constexpr int kAll = message::kAllMachines;

  void Press(std::optional<int> listIndex) {
    index_ = listIndex;
    pending_ = true;
  }
  // The poll takes it: the ControlCommand byte, none when nothing was chosen.
  // False when no reset waits.
  bool Take(std::optional<uint8_t>& command);
  // The gateway confirmed the reset it was sent.
  void Confirmed() {
    pending_ = false;
    done_ = true;
  }
  // A change of the link forgets it, and the "OK" of a reset sent before.
  void Forget() {
    pending_ = false;
    done_ = false;
  }
  bool Pending() const { return pending_; }
  // "OK": a reset of a machine went out on this connection (nothing chosen sends
  // nothing, and says nothing).
  bool Done() const { return done_; }
  void HideDone() { done_ = false; }

 private:
  std::optional<int> index_;
  bool pending_ = false;
  bool done_ = false;
};

// One line of the Ethernet trigger monitor: "12:30:05.120> M=03, Serial=00000258,
// UnitID=00000042, Status= 01 02 03 04, Softner=55"; "M= ?" for machine 0.
std::string MonitorLine(const EthernetMonitorReport& report, int hour, int minute, int second,
                        int millisecond);

// The group 0 rule: an alarm sent to recipients (group 1 or 2) is always logged
// too. Sets those group 0 kinds and returns, per kind in the order Level,
// WaterPressure, TriggerError, KeyboardError, DispenseError, whether its group 0
// box may be changed.
std::array<bool, 5> ApplyGroupZeroRule(AlarmSection& alarm);

}  // namespace vorel
